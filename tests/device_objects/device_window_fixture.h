// A main window as the device list sees it: the real skin's main page with its containers, a
// paint manager, a skin loader, a slot table, the simulated bus, and a message target that hands
// kEntryOnline to the controller as the main window does.
#pragma once

#include <QObject>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "devices/base/device_list_controller.h"
#include "devices/discovery_thread.h"
#include "devices/slot_table.h"
#include "sim/sim_bus.h"
#include "ui/custom_message.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::devices::test {

// The supported-device table whose keyboard receiver rows have the simulated receiver's identity.
inline std::array<SupportedDeviceRow, kSupportedDeviceCount> KeyboardReceiverRows() {
    auto rows = kSupportedDevices;
    for (size_t row : {size_t{2}, size_t{3}}) {
        rows[row].vendorId = 0x3A5C;
        rows[row].productId = sim::SimBus::kKeyboardReceiverProductId;
    }
    return rows;
}

// Runs the UI thread's events until `done` holds or `timeoutMs` passed. The final value.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// Runs the event loop for `ms` milliseconds, not stretched for slow builds: for a test that
// checks what has not happened yet within a time the code under test promises.
void RunEventsFor(int ms);

class MessageTarget : public QObject, public ui::CustomMessageHandler {
  public:
    qintptr HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) override;
    DeviceListController* controller = nullptr;
    std::vector<std::pair<qintptr, qintptr>> entryOnline;
};

class DeviceWindow : public DiscoveryOwner {
  public:
    explicit DeviceWindow(std::span<const SupportedDeviceRow> rows = kSupportedDevices,
                          std::span<const DeviceFamilyRow> families = DeviceFamilies());
    ~DeviceWindow() override;

    // Windowinit: placeholder entries of the mouse and the keyboard.
    void Start();
    // One discovery pass, its arrivals and removals handled, and what they asked of the devices'
    // workers done and shown (Settle).
    void Pass();
    // Lets every device's worker finish its jobs and runs their results on this thread.
    void Settle();

    QWidget* Control(const char* name) const;
    bool NoDeviceShown() const;
    int SelectedPage() const;       // index of "device_switch"
    int SelectedPowerPage() const;  // index of "device_power_switch"

    void OnDeviceArrived(int slot) override { controller->OnDeviceArrived(slot); }
    void OnDeviceRemoved(int slot) override { controller->OnDeviceRemoved(slot); }
    void OnFirstPassDone() override {}

    sim::SimBus bus;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<ui::PaintManager> paintManager;
    std::unique_ptr<ui::SkinLoader> loader;
    SlotTable slotTable;
    MessageTarget target;
    std::unique_ptr<DeviceListController> controller;
    std::unique_ptr<DiscoveryThread> discovery;
};

}  // namespace qx::devices::test
