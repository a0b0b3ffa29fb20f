// No exchange with a device ever runs on the UI thread: the simulated bus records the thread of
// every report written to a device, across everything the window does with devices.
#include <gtest/gtest.h>

#include <QThread>
#include <algorithm>
#include <thread>
#include <vector>

#include "device_window_fixture.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/orvane_usb_device.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;

TEST(DeviceThreads, NoWriteEverHappensOnTheUiThread) {
    const auto rows = test::KeyboardReceiverRows();
    DeviceWindow w(rows);
    w.Start();
    const std::thread::id ui = std::this_thread::get_id();

    // Arrival and first contact of two devices.
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    ASSERT_TRUE(w.bus.Plug("headset"));
    w.Pass();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    CDeviceOptionUI* entry = keyboard->DeviceEntry();
    ASSERT_NE(entry, nullptr);
    entry->OnTimer(CDeviceOptionUI::kContactTimer);
    w.Settle();
    // Selection, lighting control, power polling.
    w.controller->SelectNext();
    w.controller->SelectPrevious();
    w.controller->SetLightingControl(true);
    entry->OnTimer(CDeviceOptionUI::kPowerTimer);
    w.Settle();
    // The receiver comes and the keyboard moves to it and back, with presence polling.
    ASSERT_TRUE(w.bus.Plug("keyboard-receiver"));
    w.Pass();
    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    w.Pass();
    EXPECT_TRUE(keyboard->Receiver());
    entry->OnTimer(CDeviceOptionUI::kPresenceTimer);
    entry->OnTimer(CDeviceOptionUI::kPowerTimer);
    w.Settle();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    EXPECT_FALSE(keyboard->Receiver());
    // Removal.
    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    ASSERT_TRUE(w.bus.Unplug("headset"));
    w.Pass();

    size_t writers = 0;
    for (const char* device : {"keyboard", "keyboard-receiver", "headset"}) {
        const std::vector<std::thread::id> threads = w.bus.WriteThreads(device);
        writers += threads.size();
        EXPECT_EQ(std::count(threads.begin(), threads.end(), ui), 0)
            << device << " was written on the UI thread";
    }
    EXPECT_GT(writers, 0u) << "the devices were written at all";
}

}  // namespace
}  // namespace qx::devices
