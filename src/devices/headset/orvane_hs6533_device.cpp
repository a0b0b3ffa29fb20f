#include "devices/headset/orvane_hs6533_device.h"

#include "lighting/preview_lighting.h"

namespace qx::devices {

COrvaneHS6533Device::COrvaneHS6533Device(HidBackend& backend)
    : COrvaneUSBDevice(backend, DeviceKind::Headset) {}

COrvaneHS6533Device::~COrvaneHS6533Device() { Shutdown(); }

void COrvaneHS6533Device::PowerQuery() { ReadAndShowPowerRecord(); }

void COrvaneHS6533Device::OnNotificationCode(uint16_t code, bool) {
    if (code == 0x0401) RequestRefresh(500);
}

std::string COrvaneHS6533Device::NotificationExitLine() const { return "HS 设备同步线程设定退出"; }

std::unique_ptr<lighting::LightingEngine> COrvaneHS6533Device::CreateLighting(int) const {
    return std::make_unique<lighting::HeadsetLighting>();
}

}  // namespace qx::devices
