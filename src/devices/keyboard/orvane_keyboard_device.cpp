#include "devices/keyboard/orvane_keyboard_device.h"

#include "core/diagnostics.h"

namespace qx::devices {

COrvaneKeyboardDevice::COrvaneKeyboardDevice(QWidget* parent) : COrvaneUSBDevice(parent) {
    SetKind(DeviceKind::KeyboardWired);
}

COrvaneKeyboardDevice::~COrvaneKeyboardDevice() {
    // The threads call into this class: they end before it goes.
    StopNotificationThreads();
}

void COrvaneKeyboardDevice::AttachPanel() {
    COrvaneUSBDevice::AttachPanel();
    BuildPanel();
}

void COrvaneKeyboardDevice::FirstContact() { ReadIdentity(); }

void COrvaneKeyboardDevice::RefreshFromDevice() {
    if (lastCode_.load() == 0x402) LoadProfile();
    RefreshPanel();
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

void COrvaneKeyboardDevice::OnNotificationCode(uint16_t code, bool) {
    DebugLine("接收到自动添加设备的同步信息要求  TEST");
    const uint16_t high = code >> 8;
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
