// The macro files of one device folder: the list "macro.config" ("MacroInfo": name and
// identifier of each macro, in the order that gives the macros their numbers) and one
// "<identifier>.mac" file per saved macro. The macro editor calls these for its buttons.
#pragma once

#include <json/value.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qx {

struct MacroInfo {
    std::string name;  // "MacroName"
    std::string guid;  // "Guid"
};

class MacroStore {
  public:
    static constexpr int kMaxMacros = 50;
    static constexpr int kMacroVersion = 64;
    // What RenameMacro returns for an empty name.
    static constexpr const char* kEmptyNameMarker = "IsEmpty";

    explicit MacroStore(std::filesystem::path deviceFolder);

    std::filesystem::path ListPath() const { return folder_ / "macro.config"; }
    // folder / (guid + ".mac"), or an empty path for an identifier that is not a plain name.
    std::filesystem::path MacroFilePath(const std::string& guid) const;

    // The list; empty when "macro.config" is missing or unreadable.
    std::vector<MacroInfo> ReadMacroList() const;

    // Appends "macro_N" (the smallest N whose name is free, ignoring case) with a fresh
    // identifier; no ".mac" file is written yet. Nothing when 50 macros exist.
    [[nodiscard]] std::optional<MacroInfo> AddMacro();
    // kEmptyNameMarker for an empty name, "" when the name is in use (any macro, itself
    // included, ignoring case) or the position is not in the list, else the new name.
    [[nodiscard]] std::string RenameMacro(int position, const std::string& name);
    // Removes the entry, then its ".mac" file; the removed position, or -1 when the position is
    // not in the list or the list could not be written (nothing is removed then).
    [[nodiscard]] int DeleteMacro(int position);
    // Writes the ".mac" file of a macro from its events; each "Delay" is normalised to the
    // decimal text of its value (an empty one becomes "0").
    [[nodiscard]] bool SaveMacro(const MacroInfo& macro, const Json::Value& events);
    // The "Events" of a macro's file; an empty array when it is missing or unreadable.
    Json::Value LoadMacro(const std::string& guid) const;
    // Adds a macro and copies the file byte for byte to its ".mac" file; the new name, or ""
    // when the path is empty, the file is not JSON or 50 macros exist.
    // When the copy fails the entry is taken back out of the list.
    [[nodiscard]] std::string ImportMacro(const std::filesystem::path& path);
    [[nodiscard]] bool ExportMacro(int position, const std::filesystem::path& path) const;

  private:
    std::string NewIdentifier(const std::vector<MacroInfo>& list) const;
    [[nodiscard]] bool WriteList(const std::vector<MacroInfo>& list, Json::Value document) const;

    std::filesystem::path folder_;
};

}  // namespace qx
