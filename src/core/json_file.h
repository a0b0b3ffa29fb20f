// Reading and writing the program's JSON settings files: jsoncpp's reader, and its styled
// writer (3-space indentation, one trailing newline) for every file the program writes.
#pragma once

#include <json/value.h>

#include <filesystem>
#include <string>

namespace qx {

// The parsed content of the file, or a null value when the file is missing, unreadable, empty,
// not JSON, or nested too deeply to parse. Never throws.
Json::Value ReadJsonFile(const std::filesystem::path& path);

// The styled text of a value, as WriteJsonFile stores it.
std::string StyledJsonText(const Json::Value& value);

// Replaces the file with the styled text of value, atomically. False when the file could not be
// written (the old file is then unchanged).
bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value);

// Before a file that does not parse is replaced by defaults, its bytes are kept beside it as
// "<name>.damaged" so that a damaged settings file can still be recovered by hand. Does nothing
// for a missing, empty or valid file.
void SetAsideDamagedFile(const std::filesystem::path& path);

}  // namespace qx
