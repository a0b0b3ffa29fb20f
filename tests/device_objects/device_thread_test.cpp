// No exchange with a device ever runs on the UI thread: the simulated bus records the thread of
// every report written to a device, across everything the window does with devices. And the
// device's worker keeps its jobs one after the other, also when a job runs on another thread.
#include <gtest/gtest.h>

#include <QThread>
#include <algorithm>
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "device_window_fixture.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/device_worker.h"
#include "devices/base/orvane_usb_device.h"
#include "test_time.h"

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

// A job run by its caller while the worker is idle holds the worker off: what is posted
// meanwhile starts after it, and nothing is run by a caller while a job runs or waits.
TEST(DeviceThreads, AJobRunByItsCallerKeepsTheWorkersJobsOneAfterTheOther) {
    DeviceWorker worker("test-worker");
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> borrowedEnded{false};
    std::atomic<bool> postedRan{false};
    std::atomic<bool> postedAfter{false};
    bool ranHere = false;
    size_t backlogInside = 0;
    ASSERT_TRUE(worker.RunIfIdle([&] {
        ranHere = std::this_thread::get_id() == caller;
        ASSERT_TRUE(worker.Post([&] {
            postedAfter.store(borrowedEnded.load());
            postedRan.store(true);
        }));
        QThread::msleep(30);
        EXPECT_FALSE(postedRan.load()) << "the worker started a job during the caller's";
        backlogInside = worker.Backlog();
        borrowedEnded.store(true);
    }));
    EXPECT_TRUE(ranHere);
    EXPECT_EQ(backlogInside, 2u) << "the caller's job and the posted one";
    ASSERT_TRUE(worker.WaitIdle(qx::test::Patience(3000)));
    EXPECT_TRUE(postedRan.load());
    EXPECT_TRUE(postedAfter.load());

    // Busy: refused, nothing run.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> running{false};
    ASSERT_TRUE(worker.Post([&running, released] {
        running.store(true);
        released.wait();
    }));
    ASSERT_TRUE(test::WaitUntil([&] { return running.load(); }));
    bool ran = false;
    EXPECT_FALSE(worker.RunIfIdle([&] { ran = true; })) << "a job runs";
    ASSERT_TRUE(worker.Post([] {}));
    EXPECT_FALSE(worker.RunIfIdle([&] { ran = true; })) << "a job runs, another is queued";
    release.set_value();
    ASSERT_TRUE(worker.WaitIdle(qx::test::Patience(3000)));
    EXPECT_TRUE(worker.RunIfIdle([&] { ran = true; }));
    EXPECT_TRUE(ran);
    worker.Stop();
    ran = false;
    EXPECT_FALSE(worker.RunIfIdle([&] { ran = true; })) << "the worker was stopped";
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace qx::devices
