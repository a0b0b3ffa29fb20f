// The colour palette file ("color_option_info.config" in the user's folder): the preset and
// custom colour cells of the palette window and their last selections. Created from the shipped
// default on first use.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qx {

class PaletteStore {
  public:
    static constexpr int kCellCount = 20;

    struct CustomCell {
        bool present = false;  // the file has a "color" entry for the cell
        uint32_t colour = 0;   // ARGB
        std::string userData;  // "1" when the cell holds a colour of the user's
        bool HoldsUserColour() const;
    };

    // The user's palette file and the shipped default.
    PaletteStore();
    PaletteStore(std::filesystem::path file, std::filesystem::path defaults);

    // Reads the palette file; a missing or unreadable one is replaced by the default (when the
    // default can be read; an unreadable one is kept aside first). False when that write failed.
    [[nodiscard]] bool Open();
    int PresetSelection() const;
    int CustomSelection() const;
    std::vector<uint32_t> PresetColours() const;  // kCellCount entries, 0 where absent
    std::vector<CustomCell> CustomCells() const;  // kCellCount entries

    // Store the cells (index = cell number) and the selection, re-reading the file first so
    // that other members are kept.
    [[nodiscard]] bool SavePresetColours(const std::vector<uint32_t>& colours, int selected);
    [[nodiscard]] bool SaveCustomColours(const std::vector<CustomCell>& cells, int selected);

    // Eight upper-case hexadecimal digits, most significant first.
    static std::string FormatColour(uint32_t colour);
    // Base-16 text of 1 to 8 digits; anything else reads as 0.
    static uint32_t ParseColour(const std::string& text);

    const std::filesystem::path& FilePath() const { return file_; }

  private:
    std::filesystem::path file_;
    std::filesystem::path defaults_;
};

}  // namespace qx
