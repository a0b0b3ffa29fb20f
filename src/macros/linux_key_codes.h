// Linux input key codes (KEY_* of linux/input-event-codes.h) against the PC set-1 make code and
// extended flag that identify a captured key in the macro editor and the key assignment (rows
// 0-112 of the key code table).
#pragma once

#include <cstdint>
#include <optional>

namespace qx::macros {

struct ScanKey {
    uint8_t scanCode = 0;
    bool extended = false;
};

// Linux input key code (KEY_*) -> PC set-1 make code + extended flag; nullopt when none.
std::optional<ScanKey> ScanKeyFromLinuxKey(unsigned linuxKey);
std::optional<unsigned> LinuxKeyFromScanKey(ScanKey key);

}  // namespace qx::macros
