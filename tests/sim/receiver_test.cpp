// A device behind its 2.4 GHz receiver, against raw packets.
#include <gtest/gtest.h>

#include <memory>

#include "sim/keyboard_firmware.h"
#include "sim/mouse_firmware.h"
#include "sim/receiver_firmware.h"
#include "test_packets.h"

namespace qx::sim {
namespace {

using test::ChunkedRead;
using test::ChunkedWrite;
using test::Recorder;
using test::Request;
using test::Send;

class ReceiverFixture : public ::testing::Test {
  protected:
    std::shared_ptr<KeyboardFirmware> keyboard = std::make_shared<KeyboardFirmware>();
    ReceiverFirmware receiver{keyboard, 0x3A5C, 0x7032};
    Recorder recorder{receiver};

    std::vector<test::Emitted> Send1(const Packet& request) {
        return Send(receiver, recorder, request);
    }
};

TEST_F(ReceiverFixture, PresentsTheDevicesNodesUnderItsOwnIds) {
    EXPECT_EQ(receiver.VendorId(), 0x3A5C);
    EXPECT_EQ(receiver.ProductId(), 0x7032);
    const auto nodes = receiver.Nodes();
    ASSERT_EQ(nodes.size(), keyboard->Nodes().size());
    EXPECT_EQ(nodes[1].interfaceNumber, 1);
    EXPECT_EQ(nodes[1].reportDescriptor, keyboard->Nodes()[1].reportDescriptor);
}

TEST_F(ReceiverFixture, PresenceQueryTellsWhetherTheDeviceIsOn) {
    for (bool online : {true, false, true}) {
        receiver.SetDeviceOnline(online);
        const auto replies = Send1(Request(cmd::kPresence));
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].report[3], cmd::kPresence);
        EXPECT_EQ(replies[0].report[7], kStatusOk);
        EXPECT_EQ(replies[0].report[8], online ? 0xFF : 0x00);
    }
    EXPECT_EQ(receiver.PresenceQueries(), 3u);
    EXPECT_TRUE(keyboard->Requests().empty());  // the receiver answers it itself
}

TEST_F(ReceiverFixture, DeviceOffAnswersAAToEveryPacketAndDropsNotifications) {
    receiver.SetDeviceOnline(false);
    const uint8_t data[] = {1, 2, 3};
    for (const Packet& p : {Request(cmd::kReadIdentity, 24, 0), Request(cmd::kBeginConfig),
                            Request(cmd::kWriteConfig, 3, 30, data)}) {
        const auto replies = Send1(p);
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].report[3], 0xAA);
        EXPECT_EQ(replies[0].report[4], p[4]);
    }
    EXPECT_EQ(receiver.UnreachableReplies(), 3u);
    EXPECT_TRUE(keyboard->Requests().empty());
    EXPECT_NE(keyboard->ReadMemory(Region::Config, 30, 3), std::vector<uint8_t>(data, data + 3));
    keyboard->PressKey(4);
    EXPECT_TRUE(recorder.Take().empty());

    receiver.SetDeviceOnline(true);
    keyboard->PressKey(4);
    const auto note = recorder.Take();
    ASSERT_EQ(note.size(), 1u);
    EXPECT_EQ(note[0].report, (std::vector<uint8_t>{0x03, 0x04, 0x05}));
}

TEST_F(ReceiverFixture, RelaysReceiverSizedChunksToTheDevice) {
    std::vector<uint8_t> identity;
    ASSERT_TRUE(ChunkedRead(receiver, recorder, cmd::kReadIdentity, 34, 24, identity));
    EXPECT_EQ(identity, keyboard->Identity());
    std::vector<uint8_t> table;
    ASSERT_TRUE(ChunkedRead(receiver, recorder, cmd::kReadKeyTable, 510, 24, table));
    EXPECT_EQ(keyboard->PacketCount(cmd::kReadKeyTable), 22u);  // 21 x 24 + 6
    EXPECT_EQ(table, keyboard->Memory(Region::KeyTable));
}

TEST_F(ReceiverFixture, RadioCarriesAtMost24DataBytesExceptRecoil) {
    const auto replies = Send1(Request(cmd::kReadKeyTable, 25, 0));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].report[7], kStatusError);
    EXPECT_TRUE(keyboard->Requests().empty());

    auto mouse = std::make_shared<MouseFirmware>();
    ReceiverFirmware mouseReceiver(mouse, 0x3A5C, 0x7042);
    Recorder mouseRecorder(mouseReceiver);
    std::vector<uint8_t> recoil(112, 0x42);
    ASSERT_TRUE(ChunkedWrite(mouseReceiver, mouseRecorder, cmd::kWriteRecoil, recoil, 56));
    EXPECT_EQ(mouse->ReadMemory(Region::Recoil, 0, 112), recoil);
}

TEST_F(ReceiverFixture, BadChecksumIsRefusedEvenWhileTheDeviceIsOff) {
    receiver.SetDeviceOnline(false);
    Packet p = Request(cmd::kPresence);
    p[1] ^= 1;
    const auto replies = Send1(p);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].report[7], kStatusError);
}

TEST_F(ReceiverFixture, DeviceFaultsApplyBehindTheReceiver) {
    keyboard->InjectStatus(0xFE);
    EXPECT_EQ(Send1(Request(cmd::kBeginConfig))[0].report[7], 0xFE);
    keyboard->InjectSilence();
    EXPECT_TRUE(Send1(Request(cmd::kBeginConfig)).empty());

    int unplugs = 0;
    receiver.SetUnplugHandler([&] { ++unplugs; });
    keyboard->UnplugAfter(0);
    EXPECT_TRUE(Send1(Request(cmd::kBeginConfig)).empty());
    EXPECT_EQ(unplugs, 1);
}

}  // namespace
}  // namespace qx::sim
