#include "devices/pad/orvane_mouse_pad_device.h"

#include "core/diagnostics.h"
#include "lighting/preview_lighting.h"

namespace qx::devices {

COrvaneMousePadDevice::COrvaneMousePadDevice(HidBackend& backend)
    : COrvaneUSBDevice(backend, DeviceKind::MousePad) {}

COrvaneMousePadDevice::~COrvaneMousePadDevice() { Shutdown(); }

void COrvaneMousePadDevice::FirstContact() {
    if (ReadIdentity() != kResultSuccess) DebugLine("identity was not read");
}

void COrvaneMousePadDevice::PowerQuery() { ReadAndShowPowerRecord(); }

void COrvaneMousePadDevice::OnNotificationCode(uint16_t code, bool) {
    if (code == 0x0401) RequestRefresh(500);
}

std::string COrvaneMousePadDevice::NotificationExitLine() const {
    return "MP 设备同步线程设定退出";
}

std::unique_ptr<lighting::LightingEngine> COrvaneMousePadDevice::CreateLighting(
    int ledCount) const {
    return std::make_unique<lighting::PadLighting>(ledCount);
}

}  // namespace qx::devices
