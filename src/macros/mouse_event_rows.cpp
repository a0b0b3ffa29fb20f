#include "macros/mouse_event_rows.h"

#include <array>

namespace qx {
namespace {

constexpr std::array<MouseEventRow, kMouseEventRowCount> kRows{{
    {513, 1, 129, "mouse_key_left"},
    {514, 1, 1, "mouse_key_left"},
    {516, 2, 129, "mouse_key_right"},
    {517, 2, 1, "mouse_key_right"},
    {519, 4, 129, "mouse_key_middle"},
    {520, 4, 1, "mouse_key_middle"},
    {523, 16, 129, "mouse_key_forward"},
    {524, 16, 1, "mouse_key_forward"},
    {523, 8, 129, "mouse_key_back"},
    {524, 8, 1, "mouse_key_back"},
    {0, 0, 132, "mouse_move_to_left_text"},
    {0, 0, 4, "mouse_move_to_right_text"},
    {0, 0, 133, "mouse_move_to_up_text"},
    {0, 0, 5, "mouse_move_to_down_text"},
    {522, 0, 0, "mouse_cursor_text"},
}};

}  // namespace

std::span<const MouseEventRow> MouseEventRows() { return kRows; }

std::optional<int> FindMouseButtonRow(int buttonBit, bool down) {
    const int typeCode = down ? 129 : 1;
    for (int row = 0; row < 10; ++row) {
        if (kRows[row].buttonBit == buttonBit && kRows[row].typeCode == typeCode) return row;
    }
    return std::nullopt;
}

std::optional<int> FindMouseMoveRow(int typeCode) {
    for (int row = 10; row < 14; ++row) {
        if (kRows[row].typeCode == typeCode) return row;
    }
    return std::nullopt;
}

}  // namespace qx
