// The colour palette file ("color_option_info.config"): opening (a damaged one replaced by the
// default), the cells and selections read, and both kinds of cells saved back.
// Input: the file's bytes.
#include "fuzz_support.h"
#include "profiles/palette_store.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto folder = fuzz::FreshFolder("palette");
    const auto file = folder / "color_option_info.config";
    fuzz::WriteBytes(file, std::string_view(reinterpret_cast<const char*>(data), size));
    PaletteStore store(file, fuzz::ShippedData() / "DefaultData" / "color_option_info.config");
    if (!store.Open()) return 0;
    const auto presets = store.PresetColours();
    const auto cells = store.CustomCells();
    fuzz::Require(presets.size() == PaletteStore::kCellCount, "twenty preset cells");
    fuzz::Require(cells.size() == PaletteStore::kCellCount, "twenty custom cells");
    const int presetSelection = store.PresetSelection();
    const int customSelection = store.CustomSelection();
    if (store.SavePresetColours(presets, presetSelection))
        fuzz::Require(store.PresetColours() == presets, "preset cells read back");
    (void)store.SaveCustomColours(cells, customSelection);
    const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 12));
    (void)PaletteStore::ParseColour(text);
    return 0;
}
