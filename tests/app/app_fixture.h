// What the window tests share: waiting on the event loop, and a main window running on the
// simulated bus with the device and control classes registered.
#pragma once

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSize>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "controls/register_controls.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/register_device_controls.h"
#include "platform/hid_backend.h"
#include "settings/language_settings.h"
#include "sim/sim_bus.h"
#include "sim/sim_setup.h"
#include "test_time.h"
#include "ui/paint_manager.h"

namespace qx::app::test {

// Runs the event loop until `done` holds or `timeoutMs` passed; the last value of `done`.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > qx::test::Patience(timeoutMs)) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline void RegisterClassesOnce() {
    static const bool registered = [] {
        controls::RegisterCustomControls();
        devices::RegisterDeviceControls();
        return true;
    }();
    (void)registered;
}

// A main window on its own simulated bus, shown after its first discovery pass.
class MainWindowTest : public ::testing::Test {
  protected:
    // Devices plugged before the window starts.
    virtual std::vector<std::string> PluggedAtStart() const { return {}; }
    // The supported-device rows the window's discovery matches.
    virtual std::vector<SupportedDeviceRow> SupportedRows() const {
        return {kSupportedDevices.begin(), kSupportedDevices.end()};
    }

    void SetUp() override {
        RegisterClassesOnce();
        settings::LanguageSettings::ResetForTests();
        for (const std::string& device : PluggedAtStart()) ASSERT_TRUE(bus_.Plug(device));
        MainWndOptions options;
        options.backend = &bus_;
        options.supportedRows = SupportedRows();
        options.monitorSize = [this] { return monitor_; };
        options.trayAvailable = [this] { return trayAvailable_; };
        window_ = std::make_unique<CMainWnd>(options);
        ASSERT_TRUE(window_->Create()) << window_->LastError().toStdString();
        ASSERT_TRUE(WaitUntil([this] { return window_->isVisible(); }))
            << "the window was not shown after the first discovery pass";
    }

    void TearDown() override {
        if (window_) window_->Exit();
        window_.reset();
    }

    QWidget* Control(const char* name) const {
        return window_->FindControl(QString::fromLatin1(name));
    }
    void Click(const char* name) {
        auto* button = qobject_cast<QAbstractButton*>(Control(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    devices::COrvaneUSBDevice* Keyboard() const {
        const auto& list = window_->Devices()->Keyboards();
        return list.empty() ? nullptr : list.front();
    }
    devices::COrvaneUSBDevice* Headset() const {
        const auto& list = window_->Devices()->Headsets();
        return list.empty() ? nullptr : list.front();
    }
    static bool EntryShown(devices::COrvaneUSBDevice* device) {
        return device != nullptr && device->DeviceEntry() != nullptr &&
               device->DeviceEntry()->IsShown();
    }

    QSize monitor_{1920, 1080};
    bool trayAvailable_ = true;
    sim::SimBus bus_;
    std::unique_ptr<CMainWnd> window_;
};

class KeyboardAndHeadsetTest : public MainWindowTest {
  protected:
    std::vector<std::string> PluggedAtStart() const override { return {"keyboard", "headset"}; }
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(WaitUntil([this] { return EntryShown(Keyboard()) && EntryShown(Headset()); }))
            << "keyboard and headset entries not shown";
    }
};

}  // namespace qx::app::test
