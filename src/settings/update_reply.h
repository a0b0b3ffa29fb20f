// Reading the update service's JSON reply into an UpdateResult.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/update_result.h"

namespace qx {

// "V%04x" of a firmware version, "V%d" of the program's.
std::string CurrentVersionText(std::int32_t currentVersion, bool hex);

// The reply is read as text up to its first zero byte. A JSON object gives the result: "path",
// "name", "version_name", "device_id", and "version" (digits in base 16 for firmware, base 10
// for the program; digits that do not form a number read as 0) decides the status: an update
// is available when it is greater than currentVersion. Anything else (empty, not JSON, not an
// object) is a BadReply error that offers no update.
UpdateResult ParseUpdateReply(std::string_view reply, std::int32_t currentVersion, bool hex);

}  // namespace qx
