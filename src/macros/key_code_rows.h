// The program's one key code table: 142 rows that order the keys of the macro editor and the
// key assignment, each with its 3-byte function code and its display-name language key. Rows
// 0-112 also carry the key's PC scan code (set 1 make code) and extended flag, which is how
// captured keys are mapped to rows.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qx {

struct KeyCodeRow {
    uint8_t category;  // 0x20 keyboard, 0x30 consumer, 0x40 system, 0xD0 and 0xA0 special
    uint8_t first;     // modifier bit, consumer usage low byte, system bit, ...
    uint8_t second;    // HID keyboard usage, consumer usage high byte, ...
    std::string_view nameKey;
    uint8_t scanCode;  // rows 0-112 only; 0 elsewhere
    bool extended;
};

inline constexpr int kKeyCodeRowCount = 142;
inline constexpr int kScanCodeRowCount = 113;  // rows 0-112 carry a scan code

std::span<const KeyCodeRow> KeyCodeRows();

// Row of a "Type" 9 macro event (modifier bit, rows 0-7).
std::optional<int> FindModifierRow(int modifierBit);
// Row of a "Type" 10 macro event (HID usage, rows 8 on, category 0x20 with first byte 0).
std::optional<int> FindUsageRow(int usage);
// Row of a captured key by scan code and extended flag (rows 0-112).
std::optional<int> FindScanCodeRow(uint8_t scanCode, bool extended);

}  // namespace qx
