// The file that remembers when the update service was last asked: "updatetime.config" in the
// user's folder, {"updatelasttime": {"value": "Y-M-D"}}.
#pragma once

#include <filesystem>
#include <string>

namespace qx {

std::filesystem::path CheckDateFilePath();  // UserFolder() / "updatetime.config"

// The stored date; when the file has none (missing, unreadable, wrong type), today's date is
// written into it and returned (a failed write only means the next start stamps it again).
std::string ReadOrStampCheckDate(const std::filesystem::path& path = CheckDateFilePath());

// Stores a date ("%d-%d-%d"); other members of the file are kept.
[[nodiscard]] bool WriteCheckDate(const std::string& date,
                                  const std::filesystem::path& path = CheckDateFilePath());

}  // namespace qx
