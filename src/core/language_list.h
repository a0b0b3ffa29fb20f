// The list of interface languages shipped in "Language.config" of the default data folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qx {

struct LanguageEntry {
    std::string name;  // "Language_name": given to the resource manager as the language
    std::string file;  // "Language_file": the language file to load
    int id = 0;        // "Language_ID": the identifier kept in the user's settings
    std::string text;  // "Language_text": shown in the language combo
};

std::filesystem::path LanguageListPath();  // DefaultDataFolder() / "Language.config"

// The entries in combo order; empty when the file is missing or unreadable. Entries of the
// wrong type read as empty entries so that positions stay aligned.
std::vector<LanguageEntry> ReadLanguageList(const std::filesystem::path& path = LanguageListPath());

// The index of the first entry whose id matches, 0 when none does.
int LanguageIndexForId(const std::vector<LanguageEntry>& list, int id);

}  // namespace qx
