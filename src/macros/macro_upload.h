// The file side of uploading macros and recoil patterns: the macro image built from the
// device folder's macro files (for the macros the keys use) or from its four recoil files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace qx {

struct MacroUploadPlan {
    // 0: send image (nothing to send when it is empty); > 0: the image is too large for the
    // macro memory by that many events plus one; -1: the image cannot be built.
    int result = 0;
    std::vector<uint8_t> image;
};

// One record per listed macro number (positions in "macro.config", as the key table collects
// them), checked against the capacity of the macro memory in bytes. A number outside the list,
// or a macro without a readable file, gives an empty record so that the numbering stays.
MacroUploadPlan PrepareMacroUpload(const std::filesystem::path& deviceFolder,
                                   const std::vector<int>& macroNumbers, size_t capacity);

// The four recoil patterns ("ShootData_0.Shoot" .. "ShootData_3.Shoot") as one image; empty
// when it would not fit the image's 16-bit length.
std::vector<uint8_t> BuildRecoilImage(const std::filesystem::path& deviceFolder);

}  // namespace qx
