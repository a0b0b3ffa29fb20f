// The one name of each kind of device that scripts and the command line use ("keyboard",
// "keyboard-receiver", "mouse", "mouse-receiver", "pad", "headset"), and the older forms that
// earlier versions printed ("HD", "MousePad", "KeyboardWired", ...), still accepted.
#pragma once

#include <string>
#include <string_view>

#include "core/device_kind.h"

namespace qx {

// The name of a kind: a kind reached through a receiver is "<family>-receiver".
const char* DeviceNameOfKind(DeviceKind kind);

// The name for `name` in any accepted form (case ignored); `name` itself when it is none of them,
// so that the caller's "unknown device" message shows what the user typed.
std::string CanonicalDeviceName(std::string_view name);

}  // namespace qx
