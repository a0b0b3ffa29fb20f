// The mouse event table of the macro editor and of recording: window message, button bit and
// type code ("Type" in bits 0-6, bit 7 set for "down") of each mouse event, with its name key.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qx {

struct MouseEventRow {
    uint16_t message;   // 0 where the row has no window message (moves)
    uint8_t buttonBit;  // 0 where the row has none
    uint8_t typeCode;
    std::string_view nameKey;
};

inline constexpr int kMouseEventRowCount = 15;

std::span<const MouseEventRow> MouseEventRows();

// Row (0-9) of a "Type" 1 event by its button bit and action; rows 10-13 of a "Type" 4 or 5
// move by its type code ("Type" | 128 for "down").
std::optional<int> FindMouseButtonRow(int buttonBit, bool down);
std::optional<int> FindMouseMoveRow(int typeCode);

}  // namespace qx
