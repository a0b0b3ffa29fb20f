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
// written (the old file is then unchanged, and errno tells why).
[[nodiscard]] bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value);

// What keeping a file's bytes aside did. ok is false when bytes that needed keeping could not
// be written: the caller must then leave the file as it is.
struct AsideResult {
    bool ok = true;
    std::filesystem::path keptAs;  // where the bytes now also lie; empty when nothing was kept
};

// Before a file whose content cannot be used is replaced, its bytes are kept beside it as
// "<name>.damaged" so that they can still be recovered by hand. When that name holds other
// bytes already (an earlier damage), "<name>.damaged-2", "-3", ... are used; the same bytes are
// never kept twice. Nothing to keep for a missing or empty file.
[[nodiscard]] AsideResult KeepFileAside(const std::filesystem::path& path);

// KeepFileAside only when the file does not parse as JSON; a valid file is left alone (its
// caller decides whether its shape is usable and calls KeepFileAside itself).
[[nodiscard]] AsideResult SetAsideDamagedFile(const std::filesystem::path& path);

}  // namespace qx
