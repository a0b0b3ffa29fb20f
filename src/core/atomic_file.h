// Whole-file reads and writes for settings files. A write goes to a temporary file in the same
// folder, is flushed to disk and then renamed over the target, so a crash, a kill or a full disk
// leaves either the old file or the new one, never a truncated mix.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

// The whole content of a regular file, or nothing when it cannot be opened or read completely.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Replaces the file at path with bytes. False (and the old file untouched) on any failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Copies a file byte for byte over another (atomically on the target side). False when the
// source cannot be read or the target cannot be written; the target is then unchanged.
bool CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace qx
