// The simulated bus as a HID backend: plugging, paths, several opens, blocking reads that are
// released by unplug, by Cancel and by their time-out, and traffic while devices come and go.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "sim/sim_bus.h"
#include "sim/sim_descriptors.h"
#include "test_packets.h"

namespace qx::sim {
namespace {

using namespace std::chrono_literals;
using test::Request;

// Runs a blocking call on another thread; the test waits for it at most a few seconds so that a
// broken release shows up as a failure instead of a hung test.
template <class F>
auto RunAside(F f) {
    return std::async(std::launch::async, std::move(f));
}
constexpr auto kGuard = 10s;
// Reads that must come back at once use this time-out, so a wrong wait shows as TimedOut.
constexpr int kLongWait = 5000;

// Waits for a blocked call that the test released. When it does not come back in time the test
// fails and `rescue` releases it another way, so a broken release ends the test instead of
// hanging it.
template <class T, class Rescue>
T AwaitRelease(std::future<T>& pending, Rescue rescue) {
    if (pending.wait_for(kGuard) != std::future_status::ready) {
        ADD_FAILURE() << "the blocked call was not released";
        rescue();
    }
    return pending.get();
}

struct ReadResult {
    HidIoStatus status;
    std::vector<uint8_t> report;
};

ReadResult Read(HidNodeConnection& c, int timeoutMs) {
    std::vector<uint8_t> buffer(64);
    size_t n = 0;
    const HidIoStatus status = c.ReadReport(buffer, n, timeoutMs);
    buffer.resize(n);
    return {status, buffer};
}

class SimBusFixture : public ::testing::Test {
  protected:
    SimBus bus;

    std::unique_ptr<HidNodeConnection> Open(const std::string& path, bool read = true,
                                            bool write = true) {
        std::string error;
        auto c = bus.OpenNode(path, read, write, error);
        EXPECT_TRUE(c) << error;
        return c;
    }
};

TEST_F(SimBusFixture, EnumeratesThePluggedDevicesNodes) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    ASSERT_TRUE(bus.Plug("headset"));
    std::vector<HidNodeInfo> nodes;
    ASSERT_TRUE(bus.EnumerateNodes(nodes));
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].nodePath, "sim:keyboard:0");
    EXPECT_EQ(nodes[1].nodePath, "sim:keyboard:1");
    EXPECT_EQ(nodes[2].nodePath, "sim:headset:2");
    EXPECT_EQ(nodes[0].interfaceNumber, 0);
    EXPECT_EQ(nodes[1].interfaceNumber, 1);
    EXPECT_EQ(nodes[2].interfaceNumber, 3);
    EXPECT_EQ(nodes[1].vendorId, 0x3A5C);
    EXPECT_EQ(nodes[1].productId, 0x7031);
    EXPECT_EQ(nodes[2].vendorId, 0x0C76);
    EXPECT_EQ(nodes[2].productId, 0x1630);
    EXPECT_NE(nodes[1].version, 0);
    EXPECT_EQ(nodes[1].reportDescriptor, KeyboardVendorInterfaceDescriptor());

    HidNodeInfo info;
    ASSERT_TRUE(bus.DescribeNode("sim:headset:2", info));
    EXPECT_EQ(info.reportDescriptor, HeadsetDescriptor());
    EXPECT_EQ(bus.NodePath("keyboard", 1), "sim:keyboard:1");
    EXPECT_EQ(bus.NodePaths("headset"), std::vector<std::string>{"sim:headset:2"});
}

TEST_F(SimBusFixture, EveryDeviceNamePlugsWithItsIds) {
    struct Case {
        const char* name;
        uint16_t vendor;
        uint16_t product;
        std::vector<int> interfaces;
    };
    const Case cases[] = {
        {"keyboard", 0x3A5C, 0x7031, {0, 1}},
        {"headset", 0x0C76, 0x1630, {3}},
        {"mouse", 0x3A5C, 0x7041, {0, 1}},
        {"pad", 0x3A5C, 0x7051, {1}},
        {"keyboard-receiver", 0x3A5C, 0x7032, {0, 1}},
        {"mouse-receiver", 0x3A5C, 0x7042, {0, 1}},
        {"pad-receiver", 0x3A5C, 0x7052, {1}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(bus.Plug(c.name)) << c.name;
        std::vector<int> interfaces;
        for (const std::string& path : bus.NodePaths(c.name)) {
            HidNodeInfo info;
            ASSERT_TRUE(bus.DescribeNode(path, info));
            EXPECT_EQ(info.vendorId, c.vendor) << c.name;
            EXPECT_EQ(info.productId, c.product) << c.name;
            interfaces.push_back(info.interfaceNumber);
        }
        EXPECT_EQ(interfaces, c.interfaces) << c.name;
    }
    EXPECT_FALSE(bus.Plug("keyboard"));  // plugged already
    EXPECT_FALSE(bus.Plug("toaster"));   // no such device
    EXPECT_FALSE(bus.Unplug("toaster"));
    EXPECT_FALSE(bus.Plug("a:b", std::make_shared<KeyboardFirmware>()));
    EXPECT_TRUE(bus.Unplug("keyboard"));
    EXPECT_FALSE(bus.Unplug("keyboard"));
}

TEST_F(SimBusFixture, TestsGiveOtherIdsAtPlugTime) {
    ASSERT_TRUE(bus.Plug("mouse", 0x1234, 0x5678));
    HidNodeInfo info;
    ASSERT_TRUE(bus.DescribeNode(bus.NodePath("mouse", 1), info));
    EXPECT_EQ(info.vendorId, 0x1234);
    EXPECT_EQ(info.productId, 0x5678);
}

TEST_F(SimBusFixture, ReplugGetsNewPathsAndTheOldOnesAreGone) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    const std::vector<std::string> before = bus.NodePaths("keyboard");
    ASSERT_TRUE(bus.Unplug("keyboard"));
    EXPECT_TRUE(bus.NodePaths("keyboard").empty());
    for (const std::string& path : before) {
        EXPECT_FALSE(bus.NodePresent(path));
        HidNodeInfo info;
        EXPECT_FALSE(bus.DescribeNode(path, info));
        std::string error;
        EXPECT_EQ(bus.OpenNode(path, true, true, error), nullptr);
        EXPECT_NE(error.find(path), std::string::npos);
    }
    std::vector<HidNodeInfo> nodes;
    ASSERT_TRUE(bus.EnumerateNodes(nodes));
    EXPECT_TRUE(nodes.empty());

    ASSERT_TRUE(bus.Plug("keyboard"));
    const std::vector<std::string> after = bus.NodePaths("keyboard");
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], "sim:keyboard:2");
    for (const std::string& path : after) {
        EXPECT_TRUE(bus.NodePresent(path));
        EXPECT_EQ(std::find(before.begin(), before.end(), path), before.end());
    }
}

TEST_F(SimBusFixture, DeviceKeepsItsMemoryAcrossReplug) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    const uint8_t data[] = {0x5E};
    auto c = Open(bus.NodePath("keyboard", 1));
    ASSERT_EQ(c->WriteReport(Request(cmd::kWriteConfig, 1, 7, data), 1000), HidIoStatus::Ok);
    ASSERT_TRUE(bus.Unplug("keyboard"));
    ASSERT_TRUE(bus.Plug("keyboard"));
    c = Open(bus.NodePath("keyboard", 1));
    ASSERT_EQ(c->WriteReport(Request(cmd::kReadConfig, 1, 7), 1000), HidIoStatus::Ok);
    const ReadResult r = Read(*c, 1000);
    ASSERT_EQ(r.status, HidIoStatus::Ok);
    EXPECT_EQ(r.report[8], 0x5E);

    // A new firmware object replaces the kept one.
    ASSERT_TRUE(bus.Unplug("keyboard"));
    auto fresh = std::make_shared<KeyboardFirmware>();
    ASSERT_TRUE(bus.Plug("keyboard", fresh));
    EXPECT_EQ(bus.Keyboard(), fresh);
    EXPECT_NE(fresh->ReadMemory(Region::Config, 7, 1)[0], 0x5E);
}

TEST_F(SimBusFixture, EveryReadingOpenSeesEveryReportFromItsOpenOn) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    const std::string path = bus.NodePath("keyboard", 1);
    auto a = Open(path);
    auto b = Open(path, true, false);
    auto writer = Open(path, false, true);
    bus.Keyboard()->PressKey(0x10);
    ASSERT_EQ(writer->WriteReport(Request(cmd::kBeginConfig), 1000), HidIoStatus::Ok);
    auto late = Open(path);
    for (HidNodeConnection* c : {a.get(), b.get()}) {
        const ReadResult note = Read(*c, 1000);
        ASSERT_EQ(note.status, HidIoStatus::Ok);
        EXPECT_EQ(note.report, (std::vector<uint8_t>{0x03, 0x10, 0x05}));
        const ReadResult reply = Read(*c, 1000);
        ASSERT_EQ(reply.status, HidIoStatus::Ok);
        EXPECT_EQ(reply.report.size(), 64u);
        EXPECT_EQ(reply.report[3], cmd::kBeginConfig);
        EXPECT_EQ(Read(*c, 0).status, HidIoStatus::TimedOut);
    }
    EXPECT_EQ(Read(*late, 0).status, HidIoStatus::TimedOut);
    EXPECT_EQ(Read(*writer, 0).status, HidIoStatus::Failed);  // not opened for reading
    EXPECT_EQ(b->WriteReport(Request(cmd::kBeginConfig), 1000), HidIoStatus::Failed);
    // Interface 0 hears nothing of interface 1.
    auto boot = Open(bus.NodePath("keyboard", 0));
    bus.Keyboard()->PressKey(0x11);
    EXPECT_EQ(Read(*boot, 0).status, HidIoStatus::TimedOut);
}

TEST_F(SimBusFixture, ShortBufferCutsTheReport) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    auto c = Open(bus.NodePath("keyboard", 1));
    ASSERT_EQ(c->WriteReport(Request(cmd::kBeginConfig), 1000), HidIoStatus::Ok);
    std::vector<uint8_t> buffer(10);
    size_t n = 0;
    ASSERT_EQ(c->ReadReport(buffer, n, 1000), HidIoStatus::Ok);
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(buffer[3], cmd::kBeginConfig);
}

TEST_F(SimBusFixture, ReadTimesOutOnASilentNode) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    auto c = Open(bus.NodePath("keyboard", 1));
    bus.Keyboard()->InjectSilence();
    ASSERT_EQ(c->WriteReport(Request(cmd::kBeginConfig), 1000), HidIoStatus::Ok);
    std::vector<uint8_t> buffer(64);
    size_t n = 99;
    EXPECT_EQ(c->ReadReport(buffer, n, 20), HidIoStatus::TimedOut);
    EXPECT_EQ(n, 0u);
}

TEST_F(SimBusFixture, UnplugReleasesABlockedReaderAtOnce) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    auto c = Open(bus.NodePath("keyboard", 1));
    auto pending = RunAside([&] { return Read(*c, -1).status; });
    EXPECT_EQ(pending.wait_for(50ms), std::future_status::timeout);  // it really blocks
    ASSERT_TRUE(bus.Unplug("keyboard"));
    EXPECT_EQ(AwaitRelease(pending, [&] { c->Cancel(); }), HidIoStatus::Failed);
    EXPECT_EQ(c->WriteReport(Request(cmd::kBeginConfig), 1000), HidIoStatus::Failed);
}

TEST_F(SimBusFixture, QueuedReportsAreStillReadAfterUnplug) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    auto c = Open(bus.NodePath("keyboard", 1));
    bus.Keyboard()->SendSyncRequest();
    ASSERT_TRUE(bus.Unplug("keyboard"));
    EXPECT_EQ(Read(*c, kLongWait).status, HidIoStatus::Ok);
    EXPECT_EQ(Read(*c, kLongWait).status, HidIoStatus::Failed);
    bus.Keyboard()->SendSyncRequest();  // the firmware lives on, its reports go nowhere
    EXPECT_EQ(Read(*c, 0).status, HidIoStatus::Failed);
}

TEST_F(SimBusFixture, CancelCutsAWaitShortAndIsConsumedOnce) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    auto c = Open(bus.NodePath("keyboard", 1));
    auto pending = RunAside([&] { return Read(*c, -1).status; });
    EXPECT_EQ(pending.wait_for(50ms), std::future_status::timeout);
    c->Cancel();
    EXPECT_EQ(AwaitRelease(pending, [&] { bus.Unplug("keyboard"); }), HidIoStatus::Cancelled);
    EXPECT_EQ(Read(*c, 0).status, HidIoStatus::TimedOut);  // the signal was used up

    // Signalled while nothing waits: the next wait returns at once, even with a report queued.
    bus.Keyboard()->SendSyncRequest();
    c->Cancel();
    EXPECT_EQ(Read(*c, kLongWait).status, HidIoStatus::Cancelled);
    EXPECT_EQ(Read(*c, 0).status, HidIoStatus::Ok);

    // A write consumes it too, and its report does not reach the device.
    c->Cancel();
    EXPECT_EQ(c->WriteReport(Request(cmd::kBeginConfig), 1000), HidIoStatus::Cancelled);
    EXPECT_EQ(bus.Keyboard()->PacketCount(cmd::kBeginConfig), 0u);
}

TEST_F(SimBusFixture, DestroyingTheBusReleasesReaders) {
    auto owned = std::make_unique<SimBus>();
    ASSERT_TRUE(owned->Plug("headset"));
    std::string error;
    auto c = owned->OpenNode(owned->NodePath("headset", 3), true, true, error);
    ASSERT_TRUE(c);
    auto pending = RunAside([&] { return Read(*c, -1).status; });
    owned.reset();
    EXPECT_EQ(AwaitRelease(pending, [&] { c->Cancel(); }), HidIoStatus::Failed);
}

TEST_F(SimBusFixture, UnplugInTheMiddleOfATransfer) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    const std::string path = bus.NodePath("keyboard", 1);
    auto c = Open(path);
    auto other = Open(bus.NodePath("keyboard", 0));
    bus.Keyboard()->UnplugAfter(2);
    for (uint16_t offset : {uint16_t{0}, uint16_t{56}}) {
        ASSERT_EQ(c->WriteReport(Request(cmd::kReadKeyTable, 56, offset), 1000), HidIoStatus::Ok);
        EXPECT_EQ(Read(*c, 1000).status, HidIoStatus::Ok);
    }
    EXPECT_EQ(c->WriteReport(Request(cmd::kReadKeyTable, 56, 112), 1000), HidIoStatus::Ok);
    EXPECT_EQ(Read(*c, kLongWait).status, HidIoStatus::Failed);  // gone, no reply
    EXPECT_FALSE(bus.IsPlugged("keyboard"));
    EXPECT_FALSE(bus.NodePresent(path));
    EXPECT_EQ(Read(*other, kLongWait).status, HidIoStatus::Failed);
    EXPECT_EQ(c->WriteReport(Request(cmd::kReadKeyTable, 56, 112), 1000), HidIoStatus::Failed);
}

TEST_F(SimBusFixture, ReceiverSwitchesItsDeviceOffAndOn) {
    ASSERT_TRUE(bus.Plug("mouse-receiver"));
    EXPECT_FALSE(bus.SetReceiverOnline("mouse", false));  // not a receiver
    ASSERT_TRUE(bus.FirmwareAs<MouseFirmware>("mouse-receiver"));
    ASSERT_TRUE(bus.FirmwareAs<ReceiverFirmware>("mouse-receiver"));
    auto c = Open(bus.NodePath("mouse-receiver", 1));
    for (bool online : {false, true}) {
        ASSERT_TRUE(bus.SetReceiverOnline("mouse-receiver", online));
        ASSERT_EQ(c->WriteReport(Request(cmd::kReadIdentity, 24, 0), 1000), HidIoStatus::Ok);
        const ReadResult r = Read(*c, 1000);
        ASSERT_EQ(r.status, HidIoStatus::Ok);
        EXPECT_EQ(r.report[3], online ? cmd::kReadIdentity : cmd::kPresence);
    }
    bus.FirmwareAs<MouseFirmware>("mouse-receiver")->PressButton();
    EXPECT_EQ(Read(*c, 1000).report, (std::vector<uint8_t>{0x03, 0x03, 0x04}));
}

TEST_F(SimBusFixture, HeadsetTakesLedReportsThroughTheBus) {
    ASSERT_TRUE(bus.Plug("headset"));
    auto c = Open(bus.NodePath("headset", 3));
    std::vector<uint8_t> report(17, 0);
    report[0] = 0xFF;
    report[1] = 0x44;
    report[2] = 0xAB;
    report[3] = 99;
    ASSERT_EQ(c->WriteReport(report, 1000), HidIoStatus::Ok);
    EXPECT_EQ(bus.Headset()->Leds(0x44)[0][1], 99);
    EXPECT_EQ(Read(*c, 0).status, HidIoStatus::TimedOut);  // LED reports get no answer
}

TEST_F(SimBusFixture, FullQueueDropsNewerReportsAsHidrawDoes) {
    bus.SetInputQueueCapacity(4);
    ASSERT_TRUE(bus.Plug("keyboard"));
    auto c = Open(bus.NodePath("keyboard", 1));
    for (uint8_t key = 1; key <= 6; ++key) bus.Keyboard()->PressKey(key);
    for (uint8_t key = 1; key <= 4; ++key) EXPECT_EQ(Read(*c, 0).report[1], key);
    EXPECT_EQ(Read(*c, 0).status, HidIoStatus::TimedOut);
}

// Clients exchange packets on their own connections while the keyboard is unplugged and
// replugged under them; every call must come back, and every reply must match its request.
TEST_F(SimBusFixture, TrafficWhileDevicesComeAndGo) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    std::atomic<bool> stop{false};
    std::atomic<int> exchanges{0};
    std::atomic<int> mismatches{0};
    auto client = [&] {
        std::unique_ptr<HidNodeConnection> c;
        for (int round = 0; round < 2000 && !stop; ++round) {
            if (!c) {
                std::string error;
                const std::string path = bus.NodePath("keyboard", 1);
                if (!path.empty()) c = bus.OpenNode(path, true, true, error);
                if (!c) {
                    std::this_thread::yield();
                    continue;
                }
            }
            if (c->WriteReport(Request(cmd::kReadStatus, 6, 0), 100) != HidIoStatus::Ok) {
                c.reset();
                continue;
            }
            for (;;) {
                const ReadResult r = Read(*c, 100);
                if (r.status != HidIoStatus::Ok) {
                    c.reset();
                    break;
                }
                if (r.report[0] != 0x04) continue;  // a notification
                if (r.report[3] == cmd::kReadStatus) {
                    ++exchanges;
                } else {
                    ++mismatches;
                }
                break;
            }
        }
    };
    auto notifier = [&] {
        for (int i = 0; i < 2000 && !stop; ++i) {
            if (auto keyboard = bus.Keyboard()) keyboard->PressKey(static_cast<uint8_t>(i));
            std::this_thread::yield();
        }
    };
    std::vector<std::future<void>> workers;
    for (int i = 0; i < 3; ++i) workers.push_back(RunAside(client));
    workers.push_back(RunAside(notifier));
    for (int i = 0; i < 30; ++i) {
        std::this_thread::sleep_for(1ms);
        bus.Unplug("keyboard");
        std::this_thread::sleep_for(1ms);
        bus.Plug("keyboard");
    }
    stop = true;
    for (auto& w : workers) ASSERT_EQ(w.wait_for(kGuard), std::future_status::ready);
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_GT(exchanges.load(), 0);
}

}  // namespace
}  // namespace qx::sim
