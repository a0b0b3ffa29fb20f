// What one question to the update service found out about one update target; the settings
// window shows it as a row of its update list.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

// Row states that the service itself produces (the settings window has more).
inline constexpr std::int32_t kUpdateAvailable = 1;
inline constexpr std::int32_t kUpToDate = 7;

// Why a question got no usable answer. Such a row offers no update.
enum class UpdateError {
    None,
    NoConnection,   // no address reachable, refused, cut off, or timed out
    Certificate,    // the server's certificate was not trusted (authority, date or name)
    ServerStatus,   // the server answered with an HTTP status other than 2xx
    ReplyTooLarge,  // the reply did not fit the reply bound
    BadReply,       // the reply was empty, not JSON, or not a JSON object
    BadAddress,     // the configured service address cannot be used
    Cancelled,      // the check was stopped while waiting
};

struct UpdateResult {
    std::int32_t status = kUpToDate;
    std::int32_t deviceId = 0;  // the reply's "device_id"
    std::string name;           // the reply's "name"; the check replaces it by the row name
    std::string currentVersionText;
    std::string versionName;  // the reply's "version_name"
    std::string newVersionText;
    std::string downloadPath;  // the reply's "path"
    std::string localFile;     // where a downloader would put it (none exists yet)
    UpdateError error = UpdateError::None;
    std::string errorText;  // for the diagnostics: what went wrong, in words
};

// A short English name of an error ("no connection", ...), for diagnostic lines.
const char* UpdateErrorName(UpdateError error);

}  // namespace qx
