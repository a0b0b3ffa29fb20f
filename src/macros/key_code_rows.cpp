#include "macros/key_code_rows.h"

#include <array>

namespace qx {
namespace {

constexpr std::array<KeyCodeRow, kKeyCodeRowCount> kRows{{
    {0x20, 0x01, 0x00, "keyboard_key_LCtrl", 0x1D, false},                // 0
    {0x20, 0x02, 0x00, "keyboard_key_LShift", 0x2A, false},               // 1
    {0x20, 0x04, 0x00, "keyboard_key_LAlt", 0x38, false},                 // 2
    {0x20, 0x08, 0x00, "keyboard_key_LWin", 0x5B, true},                  // 3
    {0x20, 0x10, 0x00, "keyboard_key_RCtrl", 0x1D, true},                 // 4
    {0x20, 0x20, 0x00, "keyboard_key_RShift", 0x36, true},                // 5
    {0x20, 0x40, 0x00, "keyboard_key_RAlt", 0x38, true},                  // 6
    {0x20, 0x80, 0x00, "keyboard_key_RWin", 0x5C, true},                  // 7
    {0x20, 0x00, 0x04, "keyboard_key_A", 0x1E, false},                    // 8
    {0x20, 0x00, 0x05, "keyboard_key_B", 0x30, false},                    // 9
    {0x20, 0x00, 0x06, "keyboard_key_C", 0x2E, false},                    // 10
    {0x20, 0x00, 0x07, "keyboard_key_D", 0x20, false},                    // 11
    {0x20, 0x00, 0x08, "keyboard_key_E", 0x12, false},                    // 12
    {0x20, 0x00, 0x09, "keyboard_key_F", 0x21, false},                    // 13
    {0x20, 0x00, 0x0A, "keyboard_key_G", 0x22, false},                    // 14
    {0x20, 0x00, 0x0B, "keyboard_key_H", 0x23, false},                    // 15
    {0x20, 0x00, 0x0C, "keyboard_key_I", 0x17, false},                    // 16
    {0x20, 0x00, 0x0D, "keyboard_key_J", 0x24, false},                    // 17
    {0x20, 0x00, 0x0E, "keyboard_key_K", 0x25, false},                    // 18
    {0x20, 0x00, 0x0F, "keyboard_key_L", 0x26, false},                    // 19
    {0x20, 0x00, 0x10, "keyboard_key_M", 0x32, false},                    // 20
    {0x20, 0x00, 0x11, "keyboard_key_N", 0x31, false},                    // 21
    {0x20, 0x00, 0x12, "keyboard_key_O", 0x18, false},                    // 22
    {0x20, 0x00, 0x13, "keyboard_key_P", 0x19, false},                    // 23
    {0x20, 0x00, 0x14, "keyboard_key_Q", 0x10, false},                    // 24
    {0x20, 0x00, 0x15, "keyboard_key_R", 0x13, false},                    // 25
    {0x20, 0x00, 0x16, "keyboard_key_S", 0x1F, false},                    // 26
    {0x20, 0x00, 0x17, "keyboard_key_T", 0x14, false},                    // 27
    {0x20, 0x00, 0x18, "keyboard_key_U", 0x16, false},                    // 28
    {0x20, 0x00, 0x19, "keyboard_key_V", 0x2F, false},                    // 29
    {0x20, 0x00, 0x1A, "keyboard_key_W", 0x11, false},                    // 30
    {0x20, 0x00, 0x1B, "keyboard_key_X", 0x2D, false},                    // 31
    {0x20, 0x00, 0x1C, "keyboard_key_Y", 0x15, false},                    // 32
    {0x20, 0x00, 0x1D, "keyboard_key_Z", 0x2C, false},                    // 33
    {0x20, 0x00, 0x1E, "keyboard_key_1", 0x02, false},                    // 34
    {0x20, 0x00, 0x1F, "keyboard_key_2", 0x03, false},                    // 35
    {0x20, 0x00, 0x20, "keyboard_key_3", 0x04, false},                    // 36
    {0x20, 0x00, 0x21, "keyboard_key_4", 0x05, false},                    // 37
    {0x20, 0x00, 0x22, "keyboard_key_5", 0x06, false},                    // 38
    {0x20, 0x00, 0x23, "keyboard_key_6", 0x07, false},                    // 39
    {0x20, 0x00, 0x24, "keyboard_key_7", 0x08, false},                    // 40
    {0x20, 0x00, 0x25, "keyboard_key_8", 0x09, false},                    // 41
    {0x20, 0x00, 0x26, "keyboard_key_9", 0x0A, false},                    // 42
    {0x20, 0x00, 0x27, "keyboard_key_0", 0x0B, false},                    // 43
    {0x20, 0x00, 0x28, "keyboard_key_Enter", 0x1C, false},                // 44
    {0x20, 0x00, 0x29, "keyboard_key_Esc", 0x01, false},                  // 45
    {0x20, 0x00, 0x2A, "keyboard_key_BackSpace", 0x0E, false},            // 46
    {0x20, 0x00, 0x2B, "keyboard_key_Tab", 0x0F, false},                  // 47
    {0x20, 0x00, 0x2C, "keyboard_key_Space", 0x39, false},                // 48
    {0x20, 0x00, 0x2D, "keyboard_key_-", 0x0C, false},                    // 49
    {0x20, 0x00, 0x2E, "keyboard_key_=", 0x0D, false},                    // 50
    {0x20, 0x00, 0x2F, "keyboard_key_[", 0x1A, false},                    // 51
    {0x20, 0x00, 0x30, "keyboard_key_]", 0x1B, false},                    // 52
    {0x20, 0x00, 0x31, "keyboard_key_xiegang", 0x2B, false},              // 53
    {0x20, 0x00, 0x33, "keyboard_key_;", 0x27, false},                    // 54
    {0x20, 0x00, 0x34, "keyboard_key_'", 0x28, false},                    // 55
    {0x20, 0x00, 0x35, "keyboard_key_`", 0x29, false},                    // 56
    {0x20, 0x00, 0x36, "keyboard_key_<", 0x33, false},                    // 57
    {0x20, 0x00, 0x37, "keyboard_key_.", 0x34, false},                    // 58
    {0x20, 0x00, 0x38, "keyboard_key_/", 0x35, false},                    // 59
    {0x20, 0x00, 0x39, "keyboard_key_Caplk", 0x3A, false},                // 60
    {0x20, 0x00, 0x3A, "keyboard_key_F1", 0x3B, false},                   // 61
    {0x20, 0x00, 0x3B, "keyboard_key_F2", 0x3C, false},                   // 62
    {0x20, 0x00, 0x3C, "keyboard_key_F3", 0x3D, false},                   // 63
    {0x20, 0x00, 0x3D, "keyboard_key_F4", 0x3E, false},                   // 64
    {0x20, 0x00, 0x3E, "keyboard_key_F5", 0x3F, false},                   // 65
    {0x20, 0x00, 0x3F, "keyboard_key_F6", 0x40, false},                   // 66
    {0x20, 0x00, 0x40, "keyboard_key_F7", 0x41, false},                   // 67
    {0x20, 0x00, 0x41, "keyboard_key_F8", 0x42, false},                   // 68
    {0x20, 0x00, 0x42, "keyboard_key_F9", 0x43, false},                   // 69
    {0x20, 0x00, 0x43, "keyboard_key_F10", 0x44, false},                  // 70
    {0x20, 0x00, 0x44, "keyboard_key_F11", 0x57, false},                  // 71
    {0x20, 0x00, 0x45, "keyboard_key_F12", 0x58, false},                  // 72
    {0x20, 0x00, 0x46, "keyboard_key_Print Scr", 0x37, true},             // 73
    {0x20, 0x00, 0x47, "keyboard_key_Scroll Lock", 0x46, false},          // 74
    {0x20, 0x00, 0x48, "keyboard_key_Pause", 0x45, false},                // 75
    {0x20, 0x00, 0x49, "keyboard_key_Insert", 0x52, true},                // 76
    {0x20, 0x00, 0x4A, "keyboard_key_Home", 0x47, true},                  // 77
    {0x20, 0x00, 0x4B, "keyboard_key_Page Up", 0x49, true},               // 78
    {0x20, 0x00, 0x4C, "keyboard_key_Delete", 0x53, true},                // 79
    {0x20, 0x00, 0x4D, "keyboard_key_End", 0x4F, true},                   // 80
    {0x20, 0x00, 0x4E, "keyboard_key_Page Down", 0x51, true},             // 81
    {0x20, 0x00, 0x4F, "keyboard_key_Right", 0x4D, true},                 // 82
    {0x20, 0x00, 0x50, "keyboard_key_Left", 0x4B, true},                  // 83
    {0x20, 0x00, 0x51, "keyboard_key_Down", 0x50, true},                  // 84
    {0x20, 0x00, 0x52, "keyboard_key_Up", 0x48, true},                    // 85
    {0x20, 0x00, 0x53, "keyboard_key_Num Lock", 0x45, true},              // 86
    {0x20, 0x00, 0x54, "keyboard_key_Num /", 0x35, true},                 // 87
    {0x20, 0x00, 0x55, "keyboard_key_Num *", 0x37, false},                // 88
    {0x20, 0x00, 0x56, "keyboard_key_Num -", 0x4A, false},                // 89
    {0x20, 0x00, 0x57, "keyboard_key_Num +", 0x4E, false},                // 90
    {0x20, 0x00, 0x58, "keyboard_key_Num Enter", 0x1C, true},             // 91
    {0x20, 0x00, 0x59, "keyboard_key_Num 1", 0x4F, false},                // 92
    {0x20, 0x00, 0x5A, "keyboard_key_Num 2", 0x50, false},                // 93
    {0x20, 0x00, 0x5B, "keyboard_key_Num 3", 0x51, false},                // 94
    {0x20, 0x00, 0x5C, "keyboard_key_Num 4", 0x4B, false},                // 95
    {0x20, 0x00, 0x5D, "keyboard_key_Num 5", 0x4C, false},                // 96
    {0x20, 0x00, 0x5E, "keyboard_key_Num 6", 0x4D, false},                // 97
    {0x20, 0x00, 0x5F, "keyboard_key_Num 7", 0x47, false},                // 98
    {0x20, 0x00, 0x60, "keyboard_key_Num 8", 0x48, false},                // 99
    {0x20, 0x00, 0x61, "keyboard_key_Num 9", 0x49, false},                // 100
    {0x20, 0x00, 0x62, "keyboard_key_Num 0", 0x52, false},                // 101
    {0x20, 0x00, 0x63, "keyboard_key_Decimal", 0x53, false},              // 102
    {0x20, 0x00, 0x65, "keyboard_key_App", 0x5D, true},                   // 103
    {0x20, 0x00, 0x64, "keyboard_key_K45", 0x56, false},                  // 104
    {0x20, 0x00, 0x87, "keyboard_key_K56", 0x73, false},                  // 105
    {0x20, 0x00, 0x89, "keyboard_key_K14", 0x7D, false},                  // 106
    {0x20, 0x00, 0x85, "keyboard_key_K107", 0x7E, false},                 // 107
    {0x20, 0x00, 0x8B, "keyboard_key_K131", 0x7B, false},                 // 108
    {0x20, 0x00, 0x8A, "keyboard_key_K132", 0x79, false},                 // 109
    {0x20, 0x00, 0x88, "keyboard_key_K133", 0x70, false},                 // 110
    {0x20, 0x00, 0x91, "keyboard_key_K150", 0xF1, false},                 // 111
    {0x20, 0x00, 0x90, "keyboard_key_K151", 0xF2, false},                 // 112
    {0x20, 0x00, 0x32, "keyboard_key_K42", 0x00, false},                  // 113
    {0x30, 0x92, 0x01, "keyboard_key_Launch App2", 0x00, false},          // 114
    {0x30, 0x23, 0x02, "keyboard_key_Browaer Home", 0x00, false},         // 115
    {0x30, 0xCD, 0x00, "keyboard_key_Media Play Pause", 0x00, false},     // 116
    {0x30, 0x21, 0x02, "keyboard_key_Browser Search", 0x00, false},       // 117
    {0x30, 0x8A, 0x01, "keyboard_key_Launch Mail", 0x00, false},          // 118
    {0x30, 0xE9, 0x00, "keyboard_key_Volume Up", 0x00, false},            // 119
    {0x30, 0xE2, 0x00, "keyboard_key_Volume Mute", 0x00, false},          // 120
    {0x30, 0xB7, 0x00, "keyboard_key_Media Stop", 0x00, false},           // 121
    {0x30, 0xEA, 0x00, "keyboard_key_Volume Down", 0x00, false},          // 122
    {0x30, 0x2A, 0x02, "keyboard_key_Browser Favorites", 0x00, false},    // 123
    {0x30, 0x25, 0x02, "keyboard_key_Browser ForWard", 0x00, false},      // 124
    {0x30, 0x24, 0x02, "keyboard_key_Browser Back", 0x00, false},         // 125
    {0x30, 0xB6, 0x00, "keyboard_key_Media Prev Track", 0x00, false},     // 126
    {0x30, 0xB5, 0x00, "keyboard_key_Media Next Track", 0x00, false},     // 127
    {0x30, 0x94, 0x01, "keyboard_key_Computer", 0x00, false},             // 128
    {0x30, 0x27, 0x02, "keyboard_key_Browser Refresh", 0x00, false},      // 129
    {0x30, 0x26, 0x02, "wed_stop", 0x00, false},                          // 130
    {0x30, 0x83, 0x01, "keyboard_key_Launch Media Select", 0x00, false},  // 131
    {0x40, 0x01, 0x00, "keyboard_key_Power", 0x00, false},                // 132
    {0x40, 0x02, 0x00, "keyboard_key_Sleep", 0x00, false},                // 133
    {0x40, 0x04, 0x00, "keyboard_key_Wakeup", 0x00, false},               // 134
    {0xD0, 0xA2, 0x01, "keyboard_key_M1", 0x00, false},                   // 135
    {0xD0, 0xA2, 0x02, "keyboard_key_M2", 0x00, false},                   // 136
    {0xD0, 0xA2, 0x03, "keyboard_key_M3", 0x00, false},                   // 137
    {0xD0, 0xA2, 0x04, "keyboard_key_M4", 0x00, false},                   // 138
    {0xD0, 0xA2, 0x05, "keyboard_key_M5", 0x00, false},                   // 139
    {0xA0, 0x01, 0x00, "keyboard_key_FN", 0x00, false},                   // 140
    {0xA0, 0x1B, 0x00, "keyboard_key_GM", 0x00, false},                   // 141
}};

}  // namespace

std::span<const KeyCodeRow> KeyCodeRows() { return kRows; }

std::optional<int> FindModifierRow(int modifierBit) {
    for (int row = 0; row < 8; ++row) {
        if (kRows[row].first == modifierBit) return row;
    }
    return std::nullopt;
}

std::optional<int> FindUsageRow(int usage) {
    for (int row = 8; row < kKeyCodeRowCount; ++row) {
        const KeyCodeRow& r = kRows[row];
        if (r.category == 0x20 && r.first == 0 && r.second == usage) return row;
    }
    return std::nullopt;
}

std::optional<int> FindScanCodeRow(uint8_t scanCode, bool extended) {
    for (int row = 0; row < kScanCodeRowCount; ++row) {
        if (kRows[row].scanCode == scanCode && kRows[row].extended == extended) return row;
    }
    return std::nullopt;
}

}  // namespace qx
