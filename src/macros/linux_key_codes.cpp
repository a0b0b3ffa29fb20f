#include "macros/linux_key_codes.h"

#include <linux/input-event-codes.h>

#include <array>

#include "macros/key_code_rows.h"

namespace qx::macros {
namespace {

// The Linux key of each scan-code row, in row order. The flags follow the key code table, which
// marks keys the way the keyboard reports them when captured: right Shift and Num Lock count as
// extended, Pause does not.
constexpr std::array<unsigned, kScanCodeRowCount> kLinuxKeyOfRow{
    KEY_LEFTCTRL,          // 0 LCtrl
    KEY_LEFTSHIFT,         // 1 LShift
    KEY_LEFTALT,           // 2 LAlt
    KEY_LEFTMETA,          // 3 LWin
    KEY_RIGHTCTRL,         // 4 RCtrl
    KEY_RIGHTSHIFT,        // 5 RShift
    KEY_RIGHTALT,          // 6 RAlt
    KEY_RIGHTMETA,         // 7 RWin
    KEY_A,                 // 8 A
    KEY_B,                 // 9 B
    KEY_C,                 // 10 C
    KEY_D,                 // 11 D
    KEY_E,                 // 12 E
    KEY_F,                 // 13 F
    KEY_G,                 // 14 G
    KEY_H,                 // 15 H
    KEY_I,                 // 16 I
    KEY_J,                 // 17 J
    KEY_K,                 // 18 K
    KEY_L,                 // 19 L
    KEY_M,                 // 20 M
    KEY_N,                 // 21 N
    KEY_O,                 // 22 O
    KEY_P,                 // 23 P
    KEY_Q,                 // 24 Q
    KEY_R,                 // 25 R
    KEY_S,                 // 26 S
    KEY_T,                 // 27 T
    KEY_U,                 // 28 U
    KEY_V,                 // 29 V
    KEY_W,                 // 30 W
    KEY_X,                 // 31 X
    KEY_Y,                 // 32 Y
    KEY_Z,                 // 33 Z
    KEY_1,                 // 34 1
    KEY_2,                 // 35 2
    KEY_3,                 // 36 3
    KEY_4,                 // 37 4
    KEY_5,                 // 38 5
    KEY_6,                 // 39 6
    KEY_7,                 // 40 7
    KEY_8,                 // 41 8
    KEY_9,                 // 42 9
    KEY_0,                 // 43 0
    KEY_ENTER,             // 44 Enter
    KEY_ESC,               // 45 Esc
    KEY_BACKSPACE,         // 46 BackSpace
    KEY_TAB,               // 47 Tab
    KEY_SPACE,             // 48 Space
    KEY_MINUS,             // 49 -
    KEY_EQUAL,             // 50 =
    KEY_LEFTBRACE,         // 51 [
    KEY_RIGHTBRACE,        // 52 ]
    KEY_BACKSLASH,         // 53 xiegang
    KEY_SEMICOLON,         // 54 ;
    KEY_APOSTROPHE,        // 55 '
    KEY_GRAVE,             // 56 `
    KEY_COMMA,             // 57 <
    KEY_DOT,               // 58 .
    KEY_SLASH,             // 59 /
    KEY_CAPSLOCK,          // 60 Caplk
    KEY_F1,                // 61 F1
    KEY_F2,                // 62 F2
    KEY_F3,                // 63 F3
    KEY_F4,                // 64 F4
    KEY_F5,                // 65 F5
    KEY_F6,                // 66 F6
    KEY_F7,                // 67 F7
    KEY_F8,                // 68 F8
    KEY_F9,                // 69 F9
    KEY_F10,               // 70 F10
    KEY_F11,               // 71 F11
    KEY_F12,               // 72 F12
    KEY_SYSRQ,             // 73 Print Scr
    KEY_SCROLLLOCK,        // 74 Scroll Lock
    KEY_PAUSE,             // 75 Pause
    KEY_INSERT,            // 76 Insert
    KEY_HOME,              // 77 Home
    KEY_PAGEUP,            // 78 Page Up
    KEY_DELETE,            // 79 Delete
    KEY_END,               // 80 End
    KEY_PAGEDOWN,          // 81 Page Down
    KEY_RIGHT,             // 82 Right
    KEY_LEFT,              // 83 Left
    KEY_DOWN,              // 84 Down
    KEY_UP,                // 85 Up
    KEY_NUMLOCK,           // 86 Num Lock
    KEY_KPSLASH,           // 87 Num /
    KEY_KPASTERISK,        // 88 Num *
    KEY_KPMINUS,           // 89 Num -
    KEY_KPPLUS,            // 90 Num +
    KEY_KPENTER,           // 91 Num Enter
    KEY_KP1,               // 92 Num 1
    KEY_KP2,               // 93 Num 2
    KEY_KP3,               // 94 Num 3
    KEY_KP4,               // 95 Num 4
    KEY_KP5,               // 96 Num 5
    KEY_KP6,               // 97 Num 6
    KEY_KP7,               // 98 Num 7
    KEY_KP8,               // 99 Num 8
    KEY_KP9,               // 100 Num 9
    KEY_KP0,               // 101 Num 0
    KEY_KPDOT,             // 102 Decimal
    KEY_COMPOSE,           // 103 App
    KEY_102ND,             // 104 K45
    KEY_RO,                // 105 K56
    KEY_YEN,               // 106 K14
    KEY_KPCOMMA,           // 107 K107
    KEY_MUHENKAN,          // 108 K131
    KEY_HENKAN,            // 109 K132
    KEY_KATAKANAHIRAGANA,  // 110 K133
    KEY_HANJA,             // 111 K150
    KEY_HANGEUL,           // 112 K151
};

}  // namespace

std::optional<ScanKey> ScanKeyFromLinuxKey(unsigned linuxKey) {
    const auto rows = KeyCodeRows();
    for (int row = 0; row < kScanCodeRowCount; ++row) {
        if (kLinuxKeyOfRow[row] == linuxKey) return ScanKey{rows[row].scanCode, rows[row].extended};
    }
    return std::nullopt;
}

std::optional<unsigned> LinuxKeyFromScanKey(ScanKey key) {
    const auto row = FindScanCodeRow(key.scanCode, key.extended);
    if (!row) return std::nullopt;
    return kLinuxKeyOfRow[*row];
}

}  // namespace qx::macros
