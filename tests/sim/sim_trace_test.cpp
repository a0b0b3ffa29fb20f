// What the bus shows of its devices from outside: the log of the command packets each device
// received and what it answered, the threads that wrote to it, the named operations the
// program's Simulator interface offers, and the start-up choices of simulation mode.
#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <thread>

#include "sim/sim_bus.h"
#include "sim/sim_control.h"
#include "sim/sim_setup.h"
#include "test_packets.h"

namespace qx::sim {
namespace {

using test::Request;
using Error = ControlResult::Error;

class TraceFixture : public ::testing::Test {
  protected:
    SimBus bus;

    std::unique_ptr<HidNodeConnection> Open(std::string_view device, int interfaceNumber) {
        std::string error;
        auto c = bus.OpenNode(bus.NodePath(device, interfaceNumber), true, true, error);
        EXPECT_TRUE(c) << error;
        return c;
    }
    // Writes one packet; the reply (if any) is queued by the time this returns.
    static void Write(HidNodeConnection& c, const Packet& packet) {
        ASSERT_EQ(c.WriteReport(packet, 1000), HidIoStatus::Ok);
    }
};

TEST_F(TraceFixture, LogHoldsEachPacketAsItArrivedWithTheDevicesAnswer) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    auto c = Open("keyboard", 1);
    const uint8_t data[] = {0x11, 0x22, 0x33};
    Packet badSum = Request(cmd::kWriteConfig, 3, 10, data);
    ++badSum[2];
    const Packet packets[] = {Request(cmd::kBeginConfig),
                              Request(cmd::kReadIdentity, 34, 0),
                              Request(cmd::kWriteConfig, 3, 300, data),  // past the 256 bytes
                              Request(cmd::kWriteConfig, 3, 10, data),
                              badSum,
                              Request(0x77)};  // a command the keyboard lacks
    for (const Packet& p : packets) Write(*c, p);

    const RequestLog log = bus.Requests("keyboard");
    EXPECT_TRUE(log.plugged);
    ASSERT_EQ(log.requests.size(), std::size(packets));
    const uint8_t statuses[] = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFE};
    for (size_t i = 0; i < log.requests.size(); ++i) {
        const LoggedRequest& entry = log.requests[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(entry.index, i);
        EXPECT_EQ(entry.request, packets[i]);
        EXPECT_EQ(entry.link, Link::Cable);
        EXPECT_EQ(entry.interfaceNumber, 1);
        EXPECT_EQ(entry.writer, std::this_thread::get_id());
        ASSERT_TRUE(entry.reply.has_value());
        EXPECT_EQ((*entry.reply)[kPacketCommand], packets[i][kPacketCommand]);
        EXPECT_EQ((*entry.reply)[kPacketStatus], statuses[i]);
        EXPECT_EQ(entry.strayReplies, 0u);
        EXPECT_FALSE(entry.unplugged);
        EXPECT_LT(entry.timeMs, 60000u);
    }
    EXPECT_FALSE(log.requests[4].ChecksumValid());
    EXPECT_TRUE(log.requests[3].ChecksumValid());
    EXPECT_EQ(log.requests[1].Length(), 34);
    EXPECT_EQ(log.requests[2].Offset(), 300);

    // The JSON form carries the same facts.
    Json::Value json;
    std::istringstream in(RequestLogJson("keyboard", log));
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &json, nullptr));
    EXPECT_EQ(json["device"].asString(), "keyboard");
    EXPECT_EQ(json["dropped"].asUInt64(), 0u);
    const Json::Value& write = json["requests"][3];
    EXPECT_EQ(write["name"].asString(), "WriteConfig");
    EXPECT_EQ(write["command"].asInt(), 6);
    EXPECT_EQ(write["length"].asInt(), 3);
    EXPECT_EQ(write["offset"].asInt(), 10);
    EXPECT_EQ(write["data"].asString(), "112233");
    EXPECT_EQ(write["interface"].asString(), "cable");
    EXPECT_EQ(write["status"].asInt(), 0);
    EXPECT_FALSE(json["requests"][4]["checksum_ok"].asBool());
    EXPECT_EQ(json["requests"][5]["name"].asString(), "");

    // Packets of other shapes (the boot keyboard's LED report) are not command packets.
    auto boot = Open("keyboard", 0);
    const uint8_t leds[] = {0x02};
    ASSERT_EQ(boot->WriteReport(leds, 1000), HidIoStatus::Ok);
    EXPECT_EQ(bus.Requests("keyboard").requests.size(), std::size(packets));
}

TEST_F(TraceFixture, FaultsShowInTheLog) {
    struct Case {
        const char* fault;
        bool answered;
        uint8_t status;
        size_t stray;
    };
    for (const Case& k : {Case{"silent", false, 0, 0}, Case{"status-ff", true, 0xFF, 0},
                          Case{"status-fe", true, 0xFE, 0}, Case{"stray-reply", true, 0x00, 1}}) {
        SCOPED_TRACE(k.fault);
        SimBus local;
        ASSERT_TRUE(local.Plug("mouse"));
        std::string error;
        auto c = local.OpenNode(local.NodePath("mouse", 1), true, true, error);
        ASSERT_TRUE(c);
        ASSERT_TRUE(SetDeviceFault(local, "mouse", k.fault, 1).Ok());
        const uint8_t data[] = {0x5A};
        Write(*c, Request(cmd::kWriteConfig, 1, 7, data));
        Write(*c, Request(cmd::kWriteConfig, 1, 7, data));
        const RequestLog log = local.Requests("mouse");
        ASSERT_EQ(log.requests.size(), 2u);
        EXPECT_EQ(log.requests[0].reply.has_value(), k.answered);
        if (k.answered) {
            EXPECT_EQ((*log.requests[0].reply)[kPacketStatus], k.status);
        }
        EXPECT_EQ(log.requests[0].strayReplies, k.stray);
        // The fault was for one packet: the next is carried out.
        ASSERT_TRUE(log.requests[1].reply.has_value());
        EXPECT_EQ((*log.requests[1].reply)[kPacketStatus], 0x00);
        EXPECT_EQ(local.Mouse()->ReadMemory(Region::Config, 7, 1)[0], 0x5A);
    }
}

TEST_F(TraceFixture, UnplugAfterFaultLeavesTheLogReadableAndAPlugStartsItAfresh) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    auto c = Open("keyboard", 1);
    ASSERT_TRUE(SetDeviceFault(bus, "keyboard", "unplug-after", 1).Ok());
    Write(*c, Request(cmd::kBeginConfig));
    Write(*c, Request(cmd::kReadIdentity, 34, 0));
    EXPECT_FALSE(bus.IsPlugged("keyboard"));
    RequestLog log = bus.Requests("keyboard");
    EXPECT_FALSE(log.plugged);
    ASSERT_EQ(log.requests.size(), 2u);
    EXPECT_TRUE(log.requests[0].reply.has_value());
    EXPECT_TRUE(log.requests[1].unplugged);
    EXPECT_FALSE(log.requests[1].reply.has_value());

    ASSERT_TRUE(bus.Plug("keyboard"));
    EXPECT_TRUE(bus.Requests("keyboard").requests.empty());
    c = Open("keyboard", 1);
    Write(*c, Request(cmd::kBeginConfig));
    log = bus.Requests("keyboard");
    ASSERT_EQ(log.requests.size(), 1u);
    EXPECT_EQ(log.requests[0].index, 0u);
    EXPECT_TRUE(bus.ClearRequests("keyboard"));
    EXPECT_TRUE(bus.Requests("keyboard").requests.empty());
    EXPECT_FALSE(bus.ClearRequests("pad"));  // never plugged
}

TEST_F(TraceFixture, ThroughTheReceiverTheLogSaysSoAndShowsTheUnreachableAnswer) {
    ASSERT_TRUE(bus.Plug("keyboard-receiver"));
    auto c = Open("keyboard-receiver", 1);
    Write(*c, Request(cmd::kReadIdentity, 24, 0));
    ASSERT_TRUE(bus.SetReceiverOnline("keyboard-receiver", false));
    Write(*c, Request(cmd::kReadIdentity, 24, 0));
    const RequestLog log = bus.Requests("keyboard-receiver");
    ASSERT_EQ(log.requests.size(), 2u);
    for (const LoggedRequest& entry : log.requests) EXPECT_EQ(entry.link, Link::Receiver);
    EXPECT_EQ((*log.requests[0].reply)[kPacketCommand], cmd::kReadIdentity);
    EXPECT_EQ((*log.requests[1].reply)[kPacketCommand], cmd::kPresence);
    // Faults aimed at a receiver act on the device behind it.
    ASSERT_TRUE(bus.SetReceiverOnline("keyboard-receiver", true));
    ASSERT_TRUE(SetDeviceFault(bus, "keyboard-receiver", "status-fe", 1).Ok());
    Write(*c, Request(cmd::kBeginConfig));
    EXPECT_EQ((*bus.Requests("keyboard-receiver").requests.back().reply)[kPacketStatus], 0xFE);
}

TEST_F(TraceFixture, OldestEntriesGiveWayAtTheLimitAndAreCounted) {
    ASSERT_TRUE(bus.Plug("pad"));
    auto c = Open("pad", 1);
    const size_t extra = 3;
    for (size_t i = 0; i < SimBus::kRequestLogLimit + extra; ++i) {
        Write(*c, Request(cmd::kReadStatus, 6, 0));
        // Keep the reader's queue from filling (it drops, but keeps the test honest).
        std::vector<uint8_t> buffer(64);
        size_t n = 0;
        c->ReadReport(buffer, n, 0);
    }
    const RequestLog log = bus.Requests("pad");
    EXPECT_EQ(log.requests.size(), SimBus::kRequestLogLimit);
    EXPECT_EQ(log.dropped, extra);
    EXPECT_EQ(log.requests.front().index, extra);
}

TEST_F(TraceFixture, EveryWritingThreadIsRecordedAndObserved) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    ASSERT_TRUE(bus.Plug("headset"));
    std::mutex mutex;
    std::vector<std::pair<std::string, std::thread::id>> seen;
    bus.SetWriteObserver([&](std::string_view device, std::thread::id writer) {
        std::lock_guard lock(mutex);
        seen.emplace_back(std::string(device), writer);
    });
    auto keyboard = Open("keyboard", 1);
    auto headset = Open("headset", 3);
    std::thread::id worker;
    std::thread([&] {
        worker = std::this_thread::get_id();
        Write(*keyboard, Request(cmd::kBeginConfig));
        std::vector<uint8_t> led(17, 0);  // not a command packet, still a write
        led[0] = 0xFF;
        led[1] = 0x22;
        led[2] = 0xAA;
        EXPECT_EQ(headset->WriteReport(led, 1000), HidIoStatus::Ok);
    }).join();
    Write(*keyboard, Request(cmd::kEndConfig));

    EXPECT_EQ(bus.WriteThreads("keyboard"),
              (std::vector<std::thread::id>{worker, std::this_thread::get_id()}));
    EXPECT_EQ(bus.WriteThreads("headset"), std::vector<std::thread::id>{worker});
    EXPECT_TRUE(bus.WriteThreads("mouse").empty());
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0], std::make_pair(std::string("keyboard"), worker));
        EXPECT_EQ(seen[1], std::make_pair(std::string("headset"), worker));
        EXPECT_EQ(seen[2], std::make_pair(std::string("keyboard"), std::this_thread::get_id()));
    }
    // A write to an unplugged node still counts: it was attempted on that thread.
    ASSERT_TRUE(bus.Unplug("headset"));
    const uint8_t report[] = {0xFF, 0x22};
    EXPECT_EQ(headset->WriteReport(report, 1000), HidIoStatus::Failed);
    EXPECT_EQ(bus.WriteThreads("headset"),
              (std::vector<std::thread::id>{worker, std::this_thread::get_id()}));
    bus.SetWriteObserver({});
}

TEST_F(TraceFixture, MemoryByNameWithClearErrors) {
    ASSERT_TRUE(bus.Plug("keyboard"));
    ASSERT_TRUE(bus.Plug("pad"));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadDeviceMemory(bus, "keyboard", "identity", 0, 0, bytes).Ok());
    EXPECT_EQ(bytes, bus.Keyboard()->Identity());
    ASSERT_TRUE(ReadDeviceMemory(bus, "keyboard", "keytable", 3, 6, bytes).Ok());
    EXPECT_EQ(bytes, bus.Keyboard()->ReadMemory(Region::KeyTable, 3, 6));
    ASSERT_TRUE(ReadDeviceMemory(bus, "keyboard", "identity", 33, 1, bytes).Ok());
    EXPECT_EQ(bytes.size(), 1u);

    struct Case {
        const char* device;
        const char* region;
        uint32_t offset;
        uint32_t length;
        Error error;
        std::vector<const char*> mentions;
    };
    const Case cases[] = {
        {"toaster", "identity", 0, 0, Error::UnknownDevice, {"toaster", "keyboard-receiver"}},
        {"mouse", "identity", 0, 0, Error::Refused, {"mouse", "never"}},
        {"keyboard", "flash", 0, 0, Error::UnknownRegion, {"flash", "identity", "keymask"}},
        {"pad", "keytable", 0, 0, Error::UnknownRegion, {"keytable", "identity, config, frame"}},
        {"keyboard", "identity", 34, 0, Error::BadArgument, {"34 bytes"}},
        {"keyboard", "identity", 30, 5, Error::BadArgument, {"past the end"}},
        {"keyboard", "identity", 0xFFFFFFFF, 0xFFFFFFFF, Error::BadArgument, {"past the end"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.device) + " " + k.region);
        const ControlResult result =
            ReadDeviceMemory(bus, k.device, k.region, k.offset, k.length, bytes);
        EXPECT_EQ(result.error, k.error);
        for (const char* word : k.mentions)
            EXPECT_NE(result.text.find(word), std::string::npos) << result.text;
        EXPECT_TRUE(bytes.empty());
    }
    // The pad names what it has, and nothing it lacks.
    const ControlResult padRegions = ReadDeviceMemory(bus, "pad", "macros", 0, 0, bytes);
    EXPECT_EQ(padRegions.text.find("keytable"), std::string::npos) << padRegions.text;
}

TEST_F(TraceFixture, NotificationFaultAndPowerByName) {
    ASSERT_TRUE(bus.Plug("mouse"));
    auto notifications = Open("mouse", 1);
    ASSERT_TRUE(SendDeviceNotification(bus, "mouse", 0x1102).Ok());
    std::vector<uint8_t> buffer(64);
    size_t n = 0;
    ASSERT_EQ(notifications->ReadReport(buffer, n, 1000), HidIoStatus::Ok);
    buffer.resize(n);
    EXPECT_EQ(buffer, (std::vector<uint8_t>{0x03, 0x02, 0x11}));

    ASSERT_TRUE(SetDevicePower(bus, "mouse", 42, true).Ok());
    EXPECT_EQ(bus.Mouse()->ReadMemory(Region::Status, 0, 2), (std::vector<uint8_t>{42, 1}));
    ASSERT_TRUE(SetDevicePower(bus, "mouse", 7, false).Ok());
    EXPECT_EQ(bus.Mouse()->ReadMemory(Region::Status, 0, 2), (std::vector<uint8_t>{7, 2}));

    const ControlResult tooMuch = SetDevicePower(bus, "mouse", 101, false);
    EXPECT_EQ(tooMuch.error, Error::BadArgument);
    EXPECT_EQ(bus.Mouse()->ReadMemory(Region::Status, 0, 1)[0], 7);
    const ControlResult fault = SetDeviceFault(bus, "mouse", "wobble", 1);
    EXPECT_EQ(fault.error, Error::UnknownFault);
    EXPECT_NE(fault.text.find("unplug-after"), std::string::npos) << fault.text;
    EXPECT_EQ(SetDeviceFault(bus, "blender", "none", 0).error, Error::UnknownDevice);

    // A persistent fault (count 0) holds until "none".
    ASSERT_TRUE(SetDeviceFault(bus, "mouse", "silent", 0).Ok());
    for (int i = 0; i < 3; ++i) Write(*notifications, Request(cmd::kBeginConfig));
    ASSERT_TRUE(SetDeviceFault(bus, "mouse", "none", 0).Ok());
    Write(*notifications, Request(cmd::kBeginConfig));
    const RequestLog log = bus.Requests("mouse");
    ASSERT_EQ(log.requests.size(), 4u);
    EXPECT_FALSE(log.requests[2].reply.has_value());
    EXPECT_TRUE(log.requests[3].reply.has_value());

    ASSERT_TRUE(bus.Unplug("mouse"));
    EXPECT_EQ(SendDeviceNotification(bus, "mouse", 0x0401).error, Error::Refused);
    std::string json;
    ASSERT_TRUE(DeviceRequestsJson(bus, "mouse", json).Ok());
    EXPECT_NE(json.find("\"plugged\":false"), std::string::npos) << json;
}

TEST(SimulationSetup, ModesFromOptionAndEnvironment) {
    EXPECT_EQ(SimulationModeFromOption("--simulate"), SimulationMode::Basic);
    EXPECT_EQ(SimulationModeFromOption("--simulate=all"), SimulationMode::All);
    for (const char* bad : {"--simulate=", "--simulate=ALL", "--simulate=some", "--simulated"})
        EXPECT_FALSE(SimulationModeFromOption(bad).has_value()) << bad;
    EXPECT_EQ(SimulationModeFromEnvironment(nullptr), SimulationMode::Off);
    EXPECT_EQ(SimulationModeFromEnvironment("sim"), SimulationMode::Basic);
    EXPECT_EQ(SimulationModeFromEnvironment("sim-all"), SimulationMode::All);
    EXPECT_EQ(SimulationModeFromEnvironment("hidraw"), SimulationMode::Off);
    EXPECT_EQ(DevicesPluggedAtStart(SimulationMode::All),
              (std::vector<std::string>{"keyboard", "mouse", "pad", "headset"}));
    EXPECT_EQ(DevicesPluggedAtStart(SimulationMode::Basic),
              (std::vector<std::string>{"keyboard", "headset"}));
    EXPECT_TRUE(DevicesPluggedAtStart(SimulationMode::Off).empty());
}

TEST(SimulationSetup, TableGetsTheSimulatorsIdsByKindRoleInterfaceAndCollection) {
    // The rows as the supported-device table has them (a copy, so the test needs no device
    // library), plus one that fits no simulated node.
    std::vector<SupportedDeviceRow> rows = {
        {.vendorId = 0x3A5C,
         .productId = 0x7031,
         .interfaceNumber = 1,
         .collectionNumber = 4,
         .kind = DeviceKind(1),
         .role = InterfaceRole(0x00),
         .usagePage = 0xFF1C,
         .usage = 0x92,
         .hasPartner = true,
         .partnerRow = 2},
        {.vendorId = 0x3A5C,
         .productId = 0x7031,
         .interfaceNumber = 1,
         .collectionNumber = 3,
         .kind = DeviceKind(1),
         .role = InterfaceRole(0xFF),
         .usagePage = 0x000C,
         .usage = 0x01,
         .hasPartner = true,
         .partnerRow = 3},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 1,
         .collectionNumber = 4,
         .kind = DeviceKind(9),
         .role = InterfaceRole(0x00),
         .usagePage = 0xFF1C,
         .usage = 0x92,
         .hasPartner = true,
         .partnerRow = 0},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 1,
         .collectionNumber = 3,
         .kind = DeviceKind(9),
         .role = InterfaceRole(0xFF),
         .usagePage = 0x000C,
         .usage = 0x01,
         .hasPartner = true,
         .partnerRow = 1},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 1,
         .collectionNumber = 4,
         .kind = DeviceKind(2),
         .role = InterfaceRole(0x00),
         .usagePage = 0xFF1C,
         .usage = 0x92,
         .hasPartner = true,
         .partnerRow = 6},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 1,
         .collectionNumber = 3,
         .kind = DeviceKind(2),
         .role = InterfaceRole(0xFF),
         .usagePage = 0x000C,
         .usage = 0x01,
         .hasPartner = true,
         .partnerRow = 7},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 1,
         .collectionNumber = 4,
         .kind = DeviceKind(6),
         .role = InterfaceRole(0x00),
         .usagePage = 0xFF1C,
         .usage = 0x92,
         .hasPartner = true,
         .partnerRow = 4},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 1,
         .collectionNumber = 3,
         .kind = DeviceKind(6),
         .role = InterfaceRole(0xFF),
         .usagePage = 0x000C,
         .usage = 0x01,
         .hasPartner = true,
         .partnerRow = 5},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 1,
         .collectionNumber = 4,
         .kind = DeviceKind(3),
         .role = InterfaceRole(0x00),
         .usagePage = 0xFF1C,
         .usage = 0x92,
         .hasPartner = false,
         .partnerRow = 0},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 1,
         .collectionNumber = 3,
         .kind = DeviceKind(3),
         .role = InterfaceRole(0xFF),
         .usagePage = 0x000C,
         .usage = 0x01,
         .hasPartner = false,
         .partnerRow = 0},
        {.vendorId = 0x0C76,
         .productId = 0x1630,
         .interfaceNumber = 3,
         .collectionNumber = 0,
         .kind = DeviceKind(7),
         .role = InterfaceRole(0x00),
         .usagePage = 0x000C,
         .usage = 0x01,
         .hasPartner = false,
         .partnerRow = 0},
        {.vendorId = 0x0000,
         .productId = 0x0000,
         .interfaceNumber = 2,
         .collectionNumber = 4,
         .kind = DeviceKind(2),
         .role = InterfaceRole(0x00),
         .usagePage = 0xFF1C,
         .usage = 0x92,
         .hasPartner = false,
         .partnerRow = 0},
    };
    const std::vector<SupportedDeviceRow> filled = WithSimulatorIdentities(rows);
    ASSERT_EQ(filled.size(), rows.size());
    const std::pair<uint16_t, uint16_t> expected[] = {{0x3A5C, 0x7031},
                                                      {0x3A5C, 0x7031},
                                                      {0x3A5C, SimBus::kKeyboardReceiverProductId},
                                                      {0x3A5C, SimBus::kKeyboardReceiverProductId},
                                                      {0x3A5C, MouseFirmware::kProductId},
                                                      {0x3A5C, MouseFirmware::kProductId},
                                                      {0x3A5C, SimBus::kMouseReceiverProductId},
                                                      {0x3A5C, SimBus::kMouseReceiverProductId},
                                                      {0x3A5C, PadFirmware::kProductId},
                                                      {0x3A5C, PadFirmware::kProductId},
                                                      {0x0C76, 0x1630},
                                                      {0x0000, 0x0000}};
    for (size_t i = 0; i < filled.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(filled[i].vendorId, expected[i].first);
        EXPECT_EQ(filled[i].productId, expected[i].second);
        // Everything else is the row as it was.
        SupportedDeviceRow same = filled[i];
        same.vendorId = rows[i].vendorId;
        same.productId = rows[i].productId;
        EXPECT_EQ(std::memcmp(&same, &rows[i], sizeof same), 0);
    }
    EXPECT_EQ(rows[4].productId, 0) << "the input is not changed";

    // Each filled identity is a simulated device whose nodes include that interface.
    SimBus bus;
    for (const char* device : {"keyboard-receiver", "mouse", "mouse-receiver", "pad"}) {
        ASSERT_TRUE(bus.Plug(device));
        std::vector<HidNodeInfo> nodes;
        ASSERT_TRUE(bus.EnumerateNodes(nodes));
        const HidNodeInfo& node = nodes.back();
        EXPECT_TRUE(std::any_of(filled.begin(), filled.end(), [&](const SupportedDeviceRow& r) {
            return r.vendorId == node.vendorId && r.productId == node.productId &&
                   r.interfaceNumber == node.interfaceNumber;
        })) << device;
    }
}

}  // namespace
}  // namespace qx::sim
