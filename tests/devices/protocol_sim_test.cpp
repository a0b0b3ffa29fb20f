// The command channel against the simulated firmware: what the host sends is what the device
// understands, faults included.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "core/result_codes.h"
#include "devices/discovery_thread.h"
#include "hid/device_link.h"
#include "hid/hid_paths.h"
#include "sim/sim_bus.h"

namespace qx {
namespace {

using sim::Region;

class ProtocolSimTest : public ::testing::Test {
  protected:
    void TearDown() override { link_.CloseCommandInterfaces(); }

    // Opens the command collection (interface 1, collection 4) of a plugged device.
    void Connect(const char* device, int mode) {
        ASSERT_TRUE(bus_.Plug(device));
        HidNodeInfo node;
        const std::string nodePath = bus_.NodePath(device, 1);
        ASSERT_TRUE(bus_.DescribeNode(nodePath, node));
        const std::string path = MakeInterfacePath(nodePath, node.vendorId, node.productId, 1, 4);
        const LinkSide side = mode == kConnectionReceiver ? LinkSide::Receiver : LinkSide::Cable;
        std::string error;
        ASSERT_TRUE(link_.OpenCommandInterface(side, path, &error)) << error;
    }

    sim::SimBus bus_;
    DeviceLink link_{bus_};
};

TEST_F(ProtocolSimTest, FirstContactReadsWhatTheKeyboardHolds) {
    Connect("keyboard", kConnectionCable);
    auto keyboard = bus_.Keyboard();
    keyboard->SetCurrentProfile(2);

    ASSERT_EQ(link_.CmdBeginConfig(), kResultSuccess);
    IdentityBlock identity;
    ASSERT_EQ(link_.CmdReadIdentity(identity.bytes.data()), kResultSuccess);
    EXPECT_EQ(std::vector<uint8_t>(identity.bytes.begin(), identity.bytes.end()),
              keyboard->Identity());
    EXPECT_EQ(identity.KeyCount(), 170);
    ASSERT_EQ(link_.SetBlockSize(static_cast<uint16_t>(identity.KeyCount() * 3)), 1);
    std::vector<uint8_t> table(512);
    ASSERT_EQ(link_.CmdReadKeyTable(table.data()), kResultSuccess);
    EXPECT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + 510),
              keyboard->ReadMemory(Region::KeyTable, 0, 510));
    std::vector<uint8_t> keyBytes(170);
    ASSERT_EQ(link_.CmdReadKeyBytes(keyBytes.data()), kResultSuccess);
    EXPECT_EQ(keyBytes, keyboard->ReadMemory(Region::KeyBytes, 0, 170));
    uint8_t profile = 0xEE;
    ASSERT_EQ(link_.CmdReadConfig(&profile, 1, 0), kResultSuccess);
    EXPECT_EQ(profile, 2);
    ASSERT_EQ(link_.CmdEndConfig(1), kResultSuccess);
    EXPECT_FALSE(keyboard->ConfigOpen());
    EXPECT_EQ(keyboard->PacketCount(kCmdReadKeyTable), 10u);
}

TEST_F(ProtocolSimTest, WritesLandInTheDeviceMemory) {
    Connect("keyboard", kConnectionCable);
    auto keyboard = bus_.Keyboard();
    std::vector<uint8_t> block(26);
    std::iota(block.begin(), block.end(), uint8_t{100});
    ASSERT_EQ(link_.CmdWriteConfig(block.data(), block.size(), 3 * 25), kResultSuccess);
    EXPECT_EQ(keyboard->ReadMemory(Region::Config, 75, 26), block);

    std::vector<uint8_t> readBack(26);
    ASSERT_EQ(link_.CmdReadConfig(readBack.data(), readBack.size(), 75), kResultSuccess);
    EXPECT_EQ(readBack, block);

    std::vector<uint8_t> mask(21, 0xA5);
    ASSERT_EQ(link_.CmdWriteKeyMask(mask.data(), mask.size(), 0), kResultSuccess);
    EXPECT_EQ(keyboard->ReadMemory(Region::KeyMask, 0, 21), mask);
}

TEST_F(ProtocolSimTest, FaultsGiveTheirResultCodes) {
    Connect("keyboard", kConnectionCable);
    auto keyboard = bus_.Keyboard();
    uint8_t identity[34];

    keyboard->InjectStatus(0xFF);
    EXPECT_EQ(link_.CmdReadIdentity(identity), kResultStatusFF);
    keyboard->InjectStatus(0xFE);
    EXPECT_EQ(link_.CmdBeginConfig(), kResultStatusFE);
    keyboard->InjectStrayReply();
    EXPECT_EQ(link_.CmdReadIdentity(identity), kResultSuccess);
    EXPECT_EQ(identity[5], 170);

    keyboard->InjectSilence();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link_.CmdBeginConfig(), kResultFailed);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(link_.CmdBeginConfig(), kResultSuccess) << "the channel works again afterwards";
}

TEST_F(ProtocolSimTest, UnplugInTheMiddleOfATransferKeepsWhatWasApplied) {
    Connect("keyboard", kConnectionCable);
    auto keyboard = bus_.Keyboard();
    std::vector<uint8_t> macros(300, 0x42);
    keyboard->UnplugAfter(2);
    EXPECT_LE(link_.CmdWriteMacros(macros.data(), macros.size()), kResultFailed);
    EXPECT_FALSE(bus_.IsPlugged("keyboard"));
    EXPECT_EQ(keyboard->ReadMemory(Region::Macros, 0, 112), std::vector<uint8_t>(112, 0x42));
    EXPECT_NE(keyboard->ReadMemory(Region::Macros, 112, 56), std::vector<uint8_t>(56, 0x42));
    EXPECT_EQ(link_.CmdBeginConfig(), kResultWriteFailed) << "writes to a vanished node fail";
}

TEST_F(ProtocolSimTest, ThroughTheReceiver) {
    Connect("keyboard-receiver", kConnectionReceiver);
    EXPECT_TRUE(link_.CmdPresenceQuery());
    uint8_t identity[34] = {};
    ASSERT_EQ(link_.CmdReadIdentity(identity), kResultSuccess);
    EXPECT_EQ(identity[5], 170);

    ASSERT_TRUE(bus_.SetReceiverOnline("keyboard-receiver", false));
    EXPECT_FALSE(link_.CmdPresenceQuery());
    EXPECT_EQ(link_.CmdBeginConfig(), kResultUnreachable);
    std::vector<uint8_t> frame(510, 1);
    EXPECT_EQ(link_.CmdStreamFrame(frame.data(), frame.size()), kResultSuccess);

    ASSERT_TRUE(bus_.SetReceiverOnline("keyboard-receiver", true));
    EXPECT_TRUE(link_.CmdPresenceQuery());
    auto keyboard = bus_.FirmwareAs<sim::KeyboardFirmware>("keyboard-receiver");
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(keyboard->PacketCount(kCmdStreamFrame), 0u) << "frames never go through a receiver";
    EXPECT_EQ(keyboard->PacketCount(kCmdReadIdentity), 2u) << "24 + 10 bytes";
}

TEST_F(ProtocolSimTest, KeyEventsArriveOnTheNotificationCollection) {
    Connect("keyboard", kConnectionCable);
    HidDevice notification(bus_);
    HidNodeInfo node;
    const std::string nodePath = bus_.NodePath("keyboard", 1);
    ASSERT_TRUE(bus_.DescribeNode(nodePath, node));
    ASSERT_EQ(notification.Open(MakeInterfacePath(nodePath, node.vendorId, node.productId, 1, 3),
                                true, true, true, false),
              1);
    // A command's reply on the same node is not a notification.
    ASSERT_EQ(link_.CmdBeginConfig(), kResultSuccess);
    bus_.Keyboard()->PressKey(0x2A);
    std::vector<uint8_t>& report = notification.InputReportBuffer();
    size_t got = 0;
    ASSERT_NE(notification.Read(report.data(), report.size(), &got, 1000), 0);
    notification.UnpackInputReport(report.data(), got);
    ASSERT_FALSE(notification.InputItems().empty());
    EXPECT_EQ(notification.InputItems().front().usageList.front(), 0x052A);
}

}  // namespace
}  // namespace qx

namespace qx {
namespace {

// The command collection's open sees the node's notifications too; typing between two commands
// must not fill its queue so that the next reply is lost.
TEST_F(ProtocolSimTest, NotificationsPilingUpBetweenCommandsDoNotCostAReply) {
    Connect("keyboard", kConnectionCable);
    auto keyboard = bus_.Keyboard();
    for (int i = 0; i < 200; ++i) keyboard->PressKey(static_cast<uint8_t>(i));
    uint8_t identity[34] = {};
    EXPECT_EQ(link_.CmdReadIdentity(identity), kResultSuccess);
    EXPECT_EQ(identity[5], 170);
}

}  // namespace
}  // namespace qx
