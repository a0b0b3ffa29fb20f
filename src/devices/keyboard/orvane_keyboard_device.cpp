#include "devices/keyboard/orvane_keyboard_device.h"

#include "core/diagnostics.h"
#include "lighting/keyboard_lighting.h"

namespace qx::devices {

COrvaneKeyboardDevice::COrvaneKeyboardDevice(HidBackend& backend)
    : COrvaneUSBDevice(backend, DeviceKind::KeyboardWired) {}

COrvaneKeyboardDevice::~COrvaneKeyboardDevice() {
    // The threads call into this class: they end before it goes.
    Shutdown();
}

void COrvaneKeyboardDevice::AttachPanel() {
    COrvaneUSBDevice::AttachPanel();
    BuildPanel();
}

void COrvaneKeyboardDevice::FirstContact() {
    if (ReadIdentity() != kResultSuccess) DebugLine("identity was not read");
}

void COrvaneKeyboardDevice::RefreshFromDevice() {
    if (lastCode_.load() == 0x402) {
        if (ProfileCapability* profiles = Profiles()) profiles->LoadProfile();
    }
    RequestPanelRefresh();
}

void COrvaneKeyboardDevice::PowerQuery() { ReceiverPowerQuery(); }

int COrvaneKeyboardDevice::PresenceQuery() { return ReceiverPresenceQuery(); }

void COrvaneKeyboardDevice::SetFunctionPage(int page) {
    COrvaneUSBDevice::SetFunctionPage(page);
    if (kFunctionKey >= KeyCount()) return;
    QWidget* functionKey = KeyButtons()[kFunctionKey];
    if (functionKey == nullptr) return;
    if (page == 1) functionKey->setEnabled(true);
    if (page == 2) functionKey->setEnabled(false);
}

std::unique_ptr<lighting::LightingEngine> COrvaneKeyboardDevice::CreateLighting(
    int ledCount) const {
    return std::make_unique<lighting::KeyboardLighting>(lighting::EngineSources{}, ledCount);
}

void COrvaneKeyboardDevice::OnNotificationCode(uint16_t code, bool) {
    DebugLine("接收到自动添加设备的同步信息要求  TEST");
    const uint16_t high = code >> 8;
    // Key events drive the reactive effects (key-down 0x05kk, key-up 0x06kk).
    if (high == 0x05 || high == 0x06) {
        if (auto* keyboard = dynamic_cast<lighting::KeyboardLighting*>(Lighting())) {
            keyboard->OnKeyEvent(static_cast<uint8_t>(code & 0xFF), high == 0x05 ? 1 : 2);
            NoteFrameWritten();
        }
        return;
    }
    if (code == 0x401 || code == 0x402) {
        DebugLine("接收到自动添加设备的同步信息要求");
        lastCode_.store(code);
        RequestRefresh(50);
    } else if (high == 0x10 || high == 0x11) {
        // The panel is refreshed on the UI thread, where its widgets live.
        if (CommandLink().IsOpen()) RequestPanelRefresh();
    }
}

std::string COrvaneKeyboardDevice::NotificationExitLine() const {
    return "KB 设备同步线程设定退出";
}

}  // namespace qx::devices
