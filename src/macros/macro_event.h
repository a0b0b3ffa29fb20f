// A macro event object of the macro and recoil files ("Button", "Action", "Type", "Delay") and
// its 4-byte form in the device's macro memory: delay (16 bits, little-endian), type with bit 7
// set for "down", button.
#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <string>

namespace qx {

using DeviceMacroEvent = std::array<uint8_t, 4>;

// Event kinds ("Type").
inline constexpr int kEventMouseButton = 1;
inline constexpr int kEventMoveHorizontal = 4;
inline constexpr int kEventMoveVertical = 5;
inline constexpr int kEventModifierKey = 9;
inline constexpr int kEventKey = 10;

// The delay of an event: macro files store it as decimal text (leading digits are read, text
// without them gives 0), recoil files as an integer.
int EventDelay(const Json::Value& event);

DeviceMacroEvent EncodeMacroEvent(const Json::Value& event);

// An event object as the editor writes it ("Delay" as decimal text).
Json::Value MakeMacroEvent(int button, bool down, int type, int delay);

}  // namespace qx
