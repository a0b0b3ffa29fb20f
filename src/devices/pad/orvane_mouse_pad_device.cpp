#include "devices/pad/orvane_mouse_pad_device.h"

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

}  // namespace qx::devices
