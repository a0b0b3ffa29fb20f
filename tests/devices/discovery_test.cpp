#include "devices/discovery_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "hid/hid_paths.h"
#include "sim/sim_bus.h"

namespace qx {
namespace {

// Records what discovery hands over, as the main window would receive it.
class RecordingOwner final : public DiscoveryOwner {
  public:
    void OnDeviceArrived(int slot) override { Record(arrived, slot); }
    void OnDeviceRemoved(int slot) override { Record(removed, slot); }
    void OnFirstPassDone() override { Record(firstPasses, 0); }
    void OnDevicesNotOpenable(const std::vector<std::string>& reasons) override {
        std::lock_guard lock(mutex_);
        notOpenable.push_back(reasons);
    }

    // Waits until `list` holds at least `count` entries.
    bool WaitFor(std::vector<int>& list, size_t count) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::seconds(5), [&] { return list.size() >= count; });
    }
    std::vector<int> Sorted(std::vector<int>& list) {
        std::lock_guard lock(mutex_);
        std::vector<int> copy = list;
        std::sort(copy.begin(), copy.end());
        return copy;
    }

    std::vector<int> arrived, removed, firstPasses;
    std::vector<std::vector<std::string>> notOpenable;  // each change of the list

  private:
    void Record(std::vector<int>& list, int value) {
        std::lock_guard lock(mutex_);
        list.push_back(value);
        cv_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable cv_;
};

class DiscoveryTest : public ::testing::Test {
  protected:
    sim::SimBus bus_;
    SlotTable slots_;
    RecordingOwner owner_;
    DiscoveryThread discovery_{slots_, owner_, bus_};
};

TEST_F(DiscoveryTest, FirstPassIsAnnouncedOnceEvenWithNothingAttached) {
    ASSERT_TRUE(discovery_.RunPass());
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_TRUE(owner_.arrived.empty());
    EXPECT_EQ(owner_.firstPasses.size(), 1u);
}

TEST_F(DiscoveryTest, KeyboardAndHeadsetFillTheirSlots) {
    ASSERT_TRUE(bus_.Plug("keyboard"));
    ASSERT_TRUE(bus_.Plug("headset"));
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(owner_.Sorted(owner_.arrived), (std::vector<int>{0, 1, 10}));

    const DeviceSlot command = slots_.Slot(0);
    EXPECT_TRUE(command.Connected());
    EXPECT_EQ(PathInterfaceNumber(command.path), 1);
    EXPECT_EQ(PathCollectionNumber(command.path), 4);
    EXPECT_EQ(PathCollectionNumber(slots_.Slot(1).path), 3);
    EXPECT_EQ(PathInterfaceNumber(slots_.Slot(10).path), 3);
    EXPECT_EQ(PathCollectionNumber(slots_.Slot(10).path), 0);

    // Claimed interfaces are not matched again.
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(owner_.arrived.size(), 3u);
}

TEST_F(DiscoveryTest, UnplugFreesTheSlotsInOnePassAndReplugArrivesAgain) {
    ASSERT_TRUE(bus_.Plug("keyboard"));
    ASSERT_TRUE(bus_.Plug("headset"));
    ASSERT_TRUE(discovery_.RunPass());
    const std::string oldPath = slots_.Slot(0).path;

    ASSERT_TRUE(bus_.Unplug("keyboard"));
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(owner_.Sorted(owner_.removed), (std::vector<int>{0, 1}));
    EXPECT_TRUE(slots_.Slot(0).Free());
    EXPECT_TRUE(slots_.Slot(1).Free());
    EXPECT_TRUE(slots_.Slot(10).Connected()) << "the headset stays";

    ASSERT_TRUE(bus_.Plug("keyboard"));
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(owner_.arrived.size(), 5u);
    EXPECT_TRUE(slots_.Slot(0).Connected());
    EXPECT_NE(slots_.Slot(0).path, oldPath);
}

TEST_F(DiscoveryTest, DevicesWithoutIdentityInTheTableAreIgnoredUntilATableGivesThemOne) {
    ASSERT_TRUE(bus_.Plug("mouse"));
    ASSERT_TRUE(bus_.Plug("pad"));
    ASSERT_TRUE(bus_.Plug("keyboard-receiver"));
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_TRUE(owner_.arrived.empty());

    // A table that knows the simulated mouse: its rows take the mouse's identity.
    HidDevice probe(bus_);
    ASSERT_EQ(probe.Enumerate(), 1);
    uint16_t vendor = 0, product = 0;
    while (const std::string* path = probe.NextPath()) {
        HidDevice device(bus_);
        if (path->find("mouse") != std::string::npos &&
            device.Open(*path, false, false, true, false)) {
            vendor = device.VendorId();
            product = device.ProductId();
        }
    }
    ASSERT_NE(vendor, 0);
    auto rows = kSupportedDevices;
    rows[4].vendorId = rows[5].vendorId = vendor;
    rows[4].productId = rows[5].productId = product;
    SlotTable slots(rows);
    RecordingOwner owner;
    DiscoveryThread discovery(slots, owner, bus_);
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(owner.Sorted(owner.arrived), (std::vector<int>{4, 5}));
}

TEST_F(DiscoveryTest, EnumerationListsMoreThanEightInterfaces) {
    for (const char* device : {"keyboard", "headset", "mouse", "pad", "keyboard-receiver"})
        ASSERT_TRUE(bus_.Plug(device));
    HidDevice enumerator(bus_);
    ASSERT_EQ(enumerator.Enumerate(), 1);
    EXPECT_GT(enumerator.PathCount(), 8);
}

TEST_F(DiscoveryTest, TheThreadReportsHotPlugAndStopsPromptly) {
    discovery_.Start();
    ASSERT_TRUE(owner_.WaitFor(owner_.firstPasses, 1));
    ASSERT_TRUE(bus_.Plug("headset"));
    ASSERT_TRUE(owner_.WaitFor(owner_.arrived, 1));
    ASSERT_TRUE(bus_.Unplug("headset"));
    ASSERT_TRUE(owner_.WaitFor(owner_.removed, 1));
    EXPECT_EQ(owner_.removed.front(), 10);

    const auto start = std::chrono::steady_clock::now();
    discovery_.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(discovery_.Running());
}

// The thread sleeps between passes: with nothing plugged or unplugged it makes no pass at all,
// and a plug ends the sleep at once (no time-out is involved: the simulated bus reports it).
TEST_F(DiscoveryTest, TheThreadSleepsUntilTheBusChangesAndThenSeesItAtOnce) {
    ASSERT_TRUE(bus_.Plug("keyboard"));
    discovery_.Start();
    ASSERT_TRUE(owner_.WaitFor(owner_.firstPasses, 1));
    ASSERT_TRUE(owner_.WaitFor(owner_.arrived, 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(discovery_.PassCount(), 1) << "an idle bus wakes nobody";

    ASSERT_TRUE(bus_.Plug("headset"));
    ASSERT_TRUE(owner_.WaitFor(owner_.arrived, 3));
    EXPECT_EQ(owner_.arrived.back(), 10);
    ASSERT_TRUE(bus_.Unplug("keyboard"));
    ASSERT_TRUE(owner_.WaitFor(owner_.removed, 2));
    EXPECT_EQ(owner_.Sorted(owner_.removed), (std::vector<int>{0, 1}));
    // Plug, unplug: a pass each (a pass may cover more than one change).
    EXPECT_LE(discovery_.PassCount(), 3);
}

// The simulated bus whose listing fails a given number of times before it works.
class FlakyBackend final : public HidBackend {
  public:
    explicit FlakyBackend(sim::SimBus& bus) : bus_(bus) {}
    std::atomic<int> failuresLeft{0};
    std::atomic<int> attempts{0};
    std::atomic<bool> denyOpen{false};

    bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) override {
        ++attempts;
        if (failuresLeft > 0) {
            --failuresLeft;
            return false;
        }
        return bus_.EnumerateNodes(nodes);
    }
    bool DescribeNode(const std::string& nodePath, HidNodeInfo& info) override {
        return bus_.DescribeNode(nodePath, info);
    }
    std::unique_ptr<HidNodeConnection> OpenNode(const std::string& nodePath, bool read, bool write,
                                                std::string& error) override {
        if (denyOpen) {
            error = "no permission to open " + nodePath + ": install the udev rule";
            return nullptr;
        }
        return bus_.OpenNode(nodePath, read, write, error);
    }
    bool NodePresent(const std::string& nodePath) override { return bus_.NodePresent(nodePath); }
    std::unique_ptr<HidChangeWatch> WatchChanges() override { return bus_.WatchChanges(); }

  private:
    sim::SimBus& bus_;
};

// A failed listing no longer ends discovery: the first pass is still announced (the window
// comes up), removals are still seen, and later passes try the listing again.
TEST_F(DiscoveryTest, FailedEnumerationIsTriedAgainAndTheFirstPassStillCompletes) {
    FlakyBackend flaky(bus_);
    DiscoveryThread flakyDiscovery(slots_, owner_, flaky);
    ASSERT_TRUE(bus_.Plug("headset"));
    ASSERT_TRUE(flakyDiscovery.RunPass());
    ASSERT_EQ(owner_.arrived, (std::vector<int>{10}));

    flaky.failuresLeft = 2;
    ASSERT_TRUE(bus_.Unplug("headset"));
    ASSERT_TRUE(bus_.Plug("keyboard"));
    EXPECT_FALSE(flakyDiscovery.RunPass());
    EXPECT_EQ(owner_.removed, (std::vector<int>{10})) << "presence is checked all the same";
    EXPECT_FALSE(flakyDiscovery.RunPass());
    EXPECT_EQ(owner_.arrived.size(), 1u);
    EXPECT_TRUE(flakyDiscovery.RunPass());
    EXPECT_EQ(owner_.Sorted(owner_.arrived), (std::vector<int>{0, 1, 10}));

    SlotTable slots;
    RecordingOwner owner;
    DiscoveryThread fresh(slots, owner, flaky);
    flaky.failuresLeft = 1;
    EXPECT_FALSE(fresh.RunPass());
    EXPECT_EQ(owner.firstPasses.size(), 1u) << "the window must come up even so";
    EXPECT_TRUE(fresh.RunPass());
    EXPECT_EQ(owner.firstPasses.size(), 1u);
}

// On the thread, the retry comes by itself: nothing on the bus changes after the failures.
TEST_F(DiscoveryTest, TheThreadRetriesAFailedEnumerationWithoutAnyChange) {
    FlakyBackend flaky(bus_);
    ASSERT_TRUE(bus_.Plug("keyboard"));
    flaky.failuresLeft = 3;
    DiscoveryThread discovery(slots_, owner_, flaky);  // stopped before the backend goes
    discovery.SetRetryDelayMs(20);
    discovery.Start();
    ASSERT_TRUE(owner_.WaitFor(owner_.firstPasses, 1));
    ASSERT_TRUE(owner_.WaitFor(owner_.arrived, 2));
    EXPECT_EQ(flaky.attempts.load(), 4);
}

}  // namespace
// A supported device whose nodes this user may not open is reported (once per node, with the
// reason that names the fix) so that the empty device list can say why; the report is withdrawn
// once the device opens.
TEST_F(DiscoveryTest, DevicesThatDoNotOpenAreReportedUntilTheyDo) {
    FlakyBackend denying(bus_);
    denying.denyOpen = true;
    DiscoveryThread denied(slots_, owner_, denying);
    ASSERT_TRUE(bus_.Plug("keyboard"));
    ASSERT_TRUE(denied.RunPass());
    EXPECT_TRUE(owner_.arrived.empty());
    ASSERT_EQ(owner_.notOpenable.size(), 1u);
    ASSERT_FALSE(owner_.notOpenable[0].empty());
    for (const std::string& reason : owner_.notOpenable[0])
        EXPECT_NE(reason.find("no permission to open"), std::string::npos) << reason;

    ASSERT_TRUE(denied.RunPass());
    EXPECT_EQ(owner_.notOpenable.size(), 1u) << "an unchanged list is not reported again";

    denying.denyOpen = false;
    ASSERT_TRUE(denied.RunPass());
    EXPECT_FALSE(owner_.arrived.empty());
    ASSERT_EQ(owner_.notOpenable.size(), 2u);
    EXPECT_TRUE(owner_.notOpenable[1].empty());
}

}  // namespace qx
