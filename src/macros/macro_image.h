// The macro image that the keyboard and the mouse keep in their macro memory (macros, and on
// the mouse also the four recoil patterns): a 16-byte header, the record offsets, then one
// record per macro, each an event count, two reserved bytes and its 4-byte events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "macros/macro_event.h"

namespace qx {

using MacroRecord = std::vector<DeviceMacroEvent>;

// The largest image the 16-bit length and offset fields can describe.
inline constexpr size_t kMaxMacroImageLength = 0xFFFF;

// 16 + 6 * records + 4 * events.
size_t MacroImageLength(const std::vector<MacroRecord>& records);

// The image bytes; nothing when it would be longer than kMaxMacroImageLength.
std::optional<std::vector<uint8_t>> BuildMacroImage(const std::vector<MacroRecord>& records);

// The result of an upload whose image does not fit the macro memory: one more than the number
// of 4-byte events by which it is too large. 0 when it fits.
int OversizeResult(size_t totalLength, size_t capacity);

}  // namespace qx
