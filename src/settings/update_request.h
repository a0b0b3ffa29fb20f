// The bytes of one question to the update service: a form body and three headers, POSTed to
// the service's base address followed by "updates".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qx {

// "app_key=KEY&version=V" with V in hexadecimal (hex) or decimal, followed by one zero byte:
// the service has always been sent the terminating zero as part of the body.
std::string UpdateRequestBody(const std::string& appKey, std::int32_t currentVersion, bool hex);

// Content-Length (the body's length, its zero included), Content-Type and Accept, written as
// the service expects them.
std::vector<std::string> UpdateRequestHeaders(std::size_t bodyLength);

// The base address (whose path ends in "/api/") followed by "updates"; a base without a final
// "/" gets one first.
std::string UpdateRequestUrl(const std::string& baseUrl);

}  // namespace qx
