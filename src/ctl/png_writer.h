// Writes an 8-bit RGB picture as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qx::ctl {

// `rgb` holds width x height pixels of three bytes, row by row from the top. On failure the
// result is false and `error` says why (a half-written file is removed).
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              std::string& error);

}  // namespace qx::ctl
