#include "settings/update_reply.h"

#include <json/reader.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>

#include "core/json_value.h"

namespace qx {
namespace {

// strtol's reading (leading blanks, a sign, "0x" in base 16, digits up to the first other
// character), clamped to the 32-bit range; no digits at all read as 0.
std::int32_t ReadVersionDigits(const std::string& digits, int base) {
    errno = 0;
    const long long value = std::strtoll(digits.c_str(), nullptr, base);
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

// "version" is text; a plain integer is taken as its decimal text.
std::string VersionDigits(const Json::Value& version) {
    if (version.isString()) return version.asString();
    if (version.isInt64()) return std::to_string(version.asInt64());
    return "";
}

UpdateResult BadReply(UpdateResult result, std::string why) {
    result.error = UpdateError::BadReply;
    result.errorText = std::move(why);
    return result;
}

}  // namespace

std::string CurrentVersionText(std::int32_t currentVersion, bool hex) {
    char text[24];
    if (hex) {
        std::snprintf(text, sizeof text, "V%04x", static_cast<unsigned>(currentVersion));
    } else {
        std::snprintf(text, sizeof text, "V%d", currentVersion);
    }
    return text;
}

UpdateResult ParseUpdateReply(std::string_view reply, std::int32_t currentVersion, bool hex) {
    UpdateResult result;
    result.currentVersionText = CurrentVersionText(currentVersion, hex);
    if (const std::size_t zero = reply.find('\0'); zero != std::string_view::npos) {
        reply = reply.substr(0, zero);
    }
    if (reply.empty()) return BadReply(std::move(result), "empty reply");

    Json::Value root;
    try {
        Json::Reader reader;
        if (!reader.parse(reply.data(), reply.data() + reply.size(), root, false)) {
            return BadReply(std::move(result), "reply is not JSON");
        }
    } catch (const std::exception&) {
        return BadReply(std::move(result), "reply is nested too deeply");
    }
    if (!root.isObject()) return BadReply(std::move(result), "reply is not a JSON object");

    result.downloadPath = json::ToString(json::Get(root, "path"));
    result.name = json::ToString(json::Get(root, "name"));
    result.versionName = json::ToString(json::Get(root, "version_name"));
    result.deviceId = json::ToInt(json::Get(root, "device_id"));
    const std::string digits = VersionDigits(json::Get(root, "version"));
    const std::int32_t newVersion = ReadVersionDigits(digits, hex ? 16 : 10);
    result.newVersionText = hex ? "V" + digits : result.versionName;
    result.status = newVersion > currentVersion ? kUpdateAvailable : kUpToDate;
    return result;
}

}  // namespace qx
