// The keyboard's logical keys and where the device keeps them: the factory code of every logical
// key (how the host recognises a key in the device's key table) and the two position maps built
// from the table the device reports.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace qx::devices {

inline constexpr int kLogicalKeyCount = 170;
// Keys 0-125 are the ones the key table and the macro collection walk.
inline constexpr int kAssignableKeyCount = 126;
inline constexpr uint8_t kNoPosition = 255;
// The function key: its code is special to the firmware and it sits at position 113 on the
// keyboards whose table does not list it.
inline constexpr int kFunctionKeyIndex = 110;
inline constexpr uint8_t kFunctionKeyFallback = 113;

using KeyCode3 = std::array<uint8_t, 3>;
using KeyPositionMap = std::array<uint8_t, kLogicalKeyCount>;

// Factory code of a logical key (type, modifier bits, usage); 20 00 00 outside 0-169.
KeyCode3 FactoryKeyCode(int logicalKey);

struct KeyPositionMaps {
    KeyPositionMap primary{};  // key assignments
    KeyPositionMap colour{};   // custom-colour mask and streamed frame
};

// Every logical key's first position among the `keyCount` three-byte entries of `table`
// (entries past the end of `table` are never read).
KeyPositionMaps BuildKeyPositionMaps(std::span<const uint8_t> table, int keyCount);

}  // namespace qx::devices
