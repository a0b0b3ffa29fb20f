// Digests of a few steps of every effect, style and preview step with a fixed seed, so that a
// change that alters any of them is seen.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace qx::lighting::test {

// Name of the run -> 64-bit digest of its frames.
std::map<std::string, std::uint64_t> ComputeGoldenDigests();

}  // namespace qx::lighting::test
