// The simulated keyboard's key table as it leaves the factory: 170 key positions, each holding
// the 3-byte code (type, modifier bits, HID usage) of one logical key. The positions follow the
// keyboard's own scan layout, not the logical key order, so a host that confuses logical keys
// with positions writes to the wrong keys.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qx::sim {

inline constexpr size_t kKeyboardKeyCount = 170;

using KeyCode = std::array<uint8_t, 3>;

// Factory code of logical key 0-169 (unused logical keys carry 20 00 00).
KeyCode FactoryKeyCode(size_t logicalKey);

// Position of logical key 0-169 in the keyboard's own layout (a bijection onto 0-169).
size_t KeyboardPositionOf(size_t logicalKey);

// The 510-byte factory key table: 3 bytes per position.
std::array<uint8_t, kKeyboardKeyCount * 3> FactoryKeyTable();

// One byte per position (what command 0x1B reads); its meaning is the keyboard's own.
std::array<uint8_t, kKeyboardKeyCount> FactoryKeyBytes();

}  // namespace qx::sim
