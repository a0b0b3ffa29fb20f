#include "devices/pad/orvane_mouse_pad_device.h"

#include "lighting/preview_lighting.h"

namespace qx::devices {

COrvaneMousePadDevice::COrvaneMousePadDevice(QWidget* parent) : COrvaneUSBDevice(parent) {
    SetKind(DeviceKind::MousePad);
}

COrvaneMousePadDevice::~COrvaneMousePadDevice() { StopNotificationThreads(); }

void COrvaneMousePadDevice::FirstContact() { ReadIdentity(); }

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
