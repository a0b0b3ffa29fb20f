// Whole-file reads and crash-safe writes of settings files. A write goes to a temporary file in
// the same folder, is flushed to disk and then renamed over the target, so a crash, a kill or a
// full disk leaves either the old file or the new one, never a truncated mix.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qx::platform {

// The whole content of a regular file, or nothing when it cannot be opened or read completely.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Replaces the file at path with bytes. False on any failure, with errno telling why; the old
// file is then untouched and no temporary file is left behind.
[[nodiscard]] bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Copies a file byte for byte over another (atomically on the target side). False when the
// source cannot be read or the target cannot be written; the target is then unchanged.
[[nodiscard]] bool CopyFileAtomically(const std::filesystem::path& from,
                                      const std::filesystem::path& to);

// Writes bytes to a file that does not exist yet; false (errno EEXIST) when the name is taken,
// so two callers racing for one name never overwrite each other.
[[nodiscard]] bool CreateFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Removes the temporary files that writes into folder left when their process was killed or
// the machine went down mid-write. Temporaries of processes that still run are kept. Returns
// how many were removed.
int RemoveStaleTemporaries(const std::filesystem::path& folder);

}  // namespace qx::platform
