// What the fuzz targets share: a scratch folder of the process (the user's data folder points
// into it, so nothing reaches a real home folder), files written from the input, and the check
// that stops a run when the code under test broke a promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace qx::fuzz {

// A folder of this process below the temporary folder, made on first use; XDG_DATA_HOME points
// at its "home" subfolder.
const std::filesystem::path& ScratchFolder();

// An empty folder ScratchFolder()/name (what an earlier run left there is removed first).
std::filesystem::path FreshFolder(std::string_view name);

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// The input cut into at most `parts` pieces at the separator line "\n--8<--\n" (the pieces of
// a seed file made of several files); missing pieces are empty.
std::vector<std::string_view> SplitInput(const uint8_t* data, size_t size, size_t parts);

// The shipped data folder of the source tree.
std::filesystem::path ShippedData();

// Stops the run with a message when a promise of the code under test does not hold.
void Require(bool condition, const char* what);

}  // namespace qx::fuzz
