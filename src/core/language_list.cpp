#include "core/language_list.h"

#include "core/json_file.h"
#include "core/json_value.h"
#include "platform/user_folders.h"

namespace qx {

std::filesystem::path LanguageListPath() {
    return platform::DefaultDataFolder() / "Language.config";
}

std::vector<LanguageEntry> ReadLanguageList(const std::filesystem::path& path) {
    const Json::Value languages = json::Get(ReadJsonFile(path), "Language");
    std::vector<LanguageEntry> list;
    for (Json::ArrayIndex i = 0; i < json::ArraySize(languages); ++i) {
        const Json::Value& entry = languages[i];
        list.push_back({json::ToString(json::Get(entry, "Language_name")),
                        json::ToString(json::Get(entry, "Language_file")),
                        json::ToInt(json::Get(entry, "Language_ID")),
                        json::ToString(json::Get(entry, "Language_text"))});
    }
    return list;
}

int LanguageIndexForId(const std::vector<LanguageEntry>& list, int id) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].id == id) return static_cast<int>(i);
    }
    return 0;
}

}  // namespace qx
