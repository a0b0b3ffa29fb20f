#include "core/check_date_file.h"

#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "core/time_stamp.h"

namespace qx {

std::filesystem::path CheckDateFilePath() { return UserFolder() / "updatetime.config"; }

std::string ReadOrStampCheckDate(const std::filesystem::path& path) {
    const Json::Value document = ReadJsonFile(path);
    const Json::Value& value = json::Get(json::Get(document, "updatelasttime"), "value");
    if (value.isString()) return value.asString();
    const std::string today = TodayDateText();
    WriteCheckDate(today, path);
    return today;
}

bool WriteCheckDate(const std::string& date, const std::filesystem::path& path) {
    Json::Value document = ReadJsonFile(path);
    json::Slot(json::Slot(document, "updatelasttime"), "value") = date;
    return WriteJsonFile(path, document);
}

}  // namespace qx
