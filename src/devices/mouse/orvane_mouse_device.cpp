#include "devices/mouse/orvane_mouse_device.h"

#include "lighting/preview_lighting.h"

namespace qx::devices {

COrvaneMouseDevice::COrvaneMouseDevice(HidBackend& backend)
    : COrvaneUSBDevice(backend, DeviceKind::MouseWired) {}

COrvaneMouseDevice::~COrvaneMouseDevice() { Shutdown(); }

void COrvaneMouseDevice::PowerQuery() { ReceiverPowerQuery(); }

int COrvaneMouseDevice::PresenceQuery() { return ReceiverPresenceQuery(); }

void COrvaneMouseDevice::OnNotificationCode(uint16_t code, bool) {
    if (code == 0x0401) {
        RequestRefresh(50);
    } else if ((code >> 8) == 0x10 && CommandLink().IsOpen()) {
        profile_.store(code & 0x0F);
        RequestPanelRefresh();
    }
}

std::string COrvaneMouseDevice::NotificationExitLine() const { return "MS 设备同步线程设定退出"; }

std::unique_ptr<lighting::LightingEngine> COrvaneMouseDevice::CreateLighting(int ledCount) const {
    return std::make_unique<lighting::MouseLighting>(ledCount);
}

}  // namespace qx::devices
