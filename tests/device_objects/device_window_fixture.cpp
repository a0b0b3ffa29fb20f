#include "device_window_fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStackedWidget>
#include <QThread>

#include "controls/register_controls.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/register_device_controls.h"
#include "test_time.h"
#include "ui/messages.h"

namespace qx::devices::test {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > qx::test::Patience(timeoutMs)) return done();
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

qintptr MessageTarget::HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) {
    if (message == msg::kEntryOnline) {
        entryOnline.emplace_back(wParam, lParam);
        if (controller != nullptr)
            controller->OnEntryOnline(static_cast<int>(wParam), static_cast<int>(lParam));
    }
    return 0;
}

DeviceWindow::DeviceWindow(std::span<const SupportedDeviceRow> rows,
                           std::span<const DeviceFamilyRow> families)
    : slotTable(rows) {
    controls::RegisterCustomControls();
    RegisterDeviceControls();
    loader = std::make_unique<ui::SkinLoader>();
    window.reset(loader->Build("main.ui"));
    paintManager = std::make_unique<ui::PaintManager>(window.get());
    if (window) paintManager->AttachControls(window.get());
    controller = std::make_unique<DeviceListController>(window.get(), *paintManager, *loader,
                                                        slotTable, &target, bus, families);
    target.controller = controller.get();
    discovery = std::make_unique<DiscoveryThread>(slotTable, *this, bus);
}

DeviceWindow::~DeviceWindow() {
    discovery.reset();
    target.controller = nullptr;
    controller.reset();
    paintManager.reset();
    window.reset();
}

void DeviceWindow::Start() { controller->CreatePlaceholderEntries(); }

void DeviceWindow::Pass() {
    discovery->RunPass();
    Settle();
}

void DeviceWindow::Settle() {
    // The devices' workers run what the pass asked for and hand their results back to this
    // thread: until every worker is idle and nothing is left queued here.
    for (int round = 0; round < 50; ++round) {
        bool busy = false;
        for (COrvaneUSBDevice* device : controller->AllDevices()) {
            busy = busy || device->Worker().Backlog() > 0;
            device->Worker().WaitIdle(6000);
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (!busy) {
            bool still = false;
            for (COrvaneUSBDevice* device : controller->AllDevices())
                still = still || device->Worker().Backlog() > 0;
            if (!still) return;
        }
    }
}

QWidget* DeviceWindow::Control(const char* name) const {
    return paintManager->FindControl(QString::fromLatin1(name));
}

bool DeviceWindow::NoDeviceShown() const {
    QWidget* noDevice = Control("No_device_Link");
    return noDevice != nullptr && !noDevice->isHidden();
}

int DeviceWindow::SelectedPage() const {
    auto* pages = qobject_cast<QStackedWidget*>(Control("device_switch"));
    return pages == nullptr ? -1 : pages->currentIndex();
}

int DeviceWindow::SelectedPowerPage() const {
    auto* pages = qobject_cast<QStackedWidget*>(Control("device_power_switch"));
    return pages == nullptr ? -1 : pages->currentIndex();
}

}  // namespace qx::devices::test
