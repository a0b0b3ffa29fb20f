// Kinds of supported devices and the roles of their HID collections.
#pragma once

#include <cstdint>

namespace qx {

enum class DeviceKind : uint16_t {
    KeyboardWired = 1,
    MouseWired = 2,
    MousePad = 3,
    MouseWireless = 6,
    Headset = 7,
    KeyboardWireless = 9,
};

enum class InterfaceRole : uint16_t {
    Command = 0,          // the vendor collection that carries the command channel
    Notification = 0xFF,  // the consumer collection on which the device reports events
};

}  // namespace qx
