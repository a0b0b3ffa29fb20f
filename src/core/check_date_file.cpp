#include "core/check_date_file.h"

#include "core/diagnostics.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/time_stamp.h"
#include "platform/user_folders.h"

namespace qx {

std::filesystem::path CheckDateFilePath() { return platform::UserFolder() / "updatetime.config"; }

std::string ReadOrStampCheckDate(const std::filesystem::path& path) {
    const Json::Value document = ReadJsonFile(path);
    const Json::Value& value = json::Get(json::Get(document, "updatelasttime"), "value");
    if (value.isString()) return value.asString();
    const std::string today = TodayDateText();
    if (!WriteCheckDate(today, path)) DebugLine("check date not stored: " + path.string());
    return today;
}

bool WriteCheckDate(const std::string& date, const std::filesystem::path& path) {
    Json::Value document = ReadJsonFile(path);
    json::Slot(json::Slot(document, "updatelasttime"), "value") = date;
    return WriteJsonFile(path, document);
}

}  // namespace qx
