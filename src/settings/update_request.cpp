#include "settings/update_request.h"

#include <cstdio>

namespace qx {

std::string UpdateRequestBody(const std::string& appKey, std::int32_t currentVersion, bool hex) {
    char version[16];
    if (hex) {
        std::snprintf(version, sizeof version, "%x", static_cast<unsigned>(currentVersion));
    } else {
        std::snprintf(version, sizeof version, "%d", currentVersion);
    }
    std::string body = "app_key=" + appKey + "&version=" + version;
    body.push_back('\0');
    return body;
}

std::vector<std::string> UpdateRequestHeaders(std::size_t bodyLength) {
    return {
        "Content-Length: " + std::to_string(bodyLength),
        "Content-Type: application/x-www-form-urlencoded",
        "Accept:application/prs.Orbek.v1+json",
    };
}

std::string UpdateRequestUrl(const std::string& baseUrl) {
    if (!baseUrl.empty() && baseUrl.back() != '/') return baseUrl + "/updates";
    return baseUrl + "updates";
}

}  // namespace qx
