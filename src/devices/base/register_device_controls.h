// Makes the device classes and the device list classes known to the control factory, so that
// skins can name them ("OrvaneKeyboardDevice", "DeviceOption", "MpDevicePower", ...).
#pragma once

namespace qx::devices {

void RegisterDeviceControls();

}  // namespace qx::devices
