// The firmware models against raw packets.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <set>

#include "sim/headset_firmware.h"
#include "sim/keyboard_firmware.h"
#include "sim/mouse_firmware.h"
#include "sim/pad_firmware.h"
#include "test_packets.h"

namespace qx::sim {
namespace {

using test::ChunkedRead;
using test::ChunkedWrite;
using test::Recorder;
using test::Request;
using test::Send;

class KeyboardFixture : public ::testing::Test {
  protected:
    KeyboardFirmware keyboard;
    Recorder recorder{keyboard};

    std::vector<test::Emitted> Send1(const Packet& request) {
        return Send(keyboard, recorder, request);
    }
};

TEST_F(KeyboardFixture, ReplyEchoesHeaderAndCarriesItsOwnChecksum) {
    const auto replies = Send1(Request(cmd::kBeginConfig));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].interfaceNumber, 1);
    const std::vector<uint8_t>& r = replies[0].report;
    ASSERT_EQ(r.size(), 64u);
    EXPECT_EQ(r[0], 0x04);
    EXPECT_EQ(r[3], cmd::kBeginConfig);
    EXPECT_EQ(r[7], kStatusOk);
    EXPECT_EQ(r[1], 0x01);  // the reply's own sum of bytes 3-63
    EXPECT_EQ(r[2], 0x00);
    EXPECT_TRUE(keyboard.ConfigOpen());
    Send1(Request(cmd::kEndConfig, 0, 0));
    EXPECT_FALSE(keyboard.ConfigOpen());
}

TEST_F(KeyboardFixture, BadChecksumAnswersFFAndChangesNothing) {
    const std::vector<uint8_t> before = keyboard.Memory(Region::Config);
    const uint8_t data[] = {9, 9, 9};
    // A change after sealing anywhere in bytes 1-63 breaks the sum.
    for (size_t byte : {size_t{1}, size_t{2}, size_t{3}, size_t{40}, size_t{63}}) {
        Packet p = Request(cmd::kWriteConfig, 3, 10, data);
        ++p[byte];
        const auto replies = Send1(p);
        ASSERT_EQ(replies.size(), 1u) << byte;
        EXPECT_EQ(replies[0].report[3], p[3]) << byte;
        EXPECT_EQ(replies[0].report[7], kStatusError) << byte;
    }
    EXPECT_EQ(keyboard.Memory(Region::Config), before);
    // The report id is not part of the sum (a packet under another id is not a command at all).
    Packet p = Request(cmd::kWriteConfig, 3, 10, data);
    EXPECT_EQ(Send1(p)[0].report[7], kStatusOk);
    EXPECT_EQ(keyboard.ReadMemory(Region::Config, 10, 3), std::vector<uint8_t>(3, 9));
}

TEST_F(KeyboardFixture, IdentityReadsWholeOnCableAndInReceiverSizedChunks) {
    std::vector<uint8_t> cable, radio;
    ASSERT_TRUE(ChunkedRead(keyboard, recorder, cmd::kReadIdentity, 34, 56, cable));
    ASSERT_TRUE(ChunkedRead(keyboard, recorder, cmd::kReadIdentity, 34, 24, radio));
    EXPECT_EQ(cable, radio);
    EXPECT_EQ(cable, keyboard.Identity());
    EXPECT_EQ(cable[5], 170);  // key count
    EXPECT_EQ(cable[6], 32);   // macro memory in 128-byte units
    EXPECT_EQ(keyboard.RegionSize(Region::Macros), size_t{cable[6]} * 128);
    EXPECT_EQ(cable[0] | (cable[1] << 8), 0x7031);
    // A read past the 34 bytes is refused.
    EXPECT_EQ(Send1(Request(cmd::kReadIdentity, 24, 24))[0].report[7], kStatusError);
}

TEST_F(KeyboardFixture, KeyTableIsTheFactoryCodesInTheKeyboardsOwnLayout) {
    std::vector<uint8_t> table;
    ASSERT_TRUE(ChunkedRead(keyboard, recorder, cmd::kReadKeyTable, 510, 56, table));
    EXPECT_EQ(keyboard.PacketCount(cmd::kReadKeyTable), 10u);  // 9 x 56 + 6

    std::set<size_t> positions;
    size_t movedKeys = 0;
    for (size_t key = 0; key < kKeyboardKeyCount; ++key) {
        const size_t position = KeyboardPositionOf(key);
        positions.insert(position);
        if (position != key) ++movedKeys;
        const KeyCode code = FactoryKeyCode(key);
        EXPECT_TRUE(std::equal(code.begin(), code.end(), table.begin() + position * 3)) << key;
    }
    EXPECT_EQ(positions.size(), kKeyboardKeyCount);  // a permutation of the 170 positions
    EXPECT_GT(movedKeys, 160u);
    // Spot checks of the factory codes.
    EXPECT_EQ(FactoryKeyCode(0), (KeyCode{0x20, 0x00, 0x29}));
    EXPECT_EQ(FactoryKeyCode(12), (KeyCode{0x20, 0x00, 0x45}));
    EXPECT_EQ(FactoryKeyCode(31), (KeyCode{0x20, 0x00, 0x27}));
    EXPECT_EQ(FactoryKeyCode(110), (KeyCode{0xA0, 0x01, 0x00}));
    EXPECT_EQ(FactoryKeyCode(124), (KeyCode{0xD0, 0xA2, 0x05}));
    EXPECT_EQ(FactoryKeyCode(125), (KeyCode{0x20, 0x80, 0x00}));
    EXPECT_EQ(FactoryKeyCode(140), (KeyCode{0x20, 0x00, 0x00}));

    // Reading the default 512 bytes runs past the 510-byte table: the last packet fails.
    EXPECT_EQ(Send1(Request(cmd::kReadKeyTable, 8, 504))[0].report[7], kStatusError);
}

TEST_F(KeyboardFixture, KeyTableWriteThroughChunksLandsAtThePositions) {
    std::vector<uint8_t> table(510);
    std::iota(table.begin(), table.end(), uint8_t{0});
    ASSERT_TRUE(ChunkedWrite(keyboard, recorder, cmd::kWriteKeyTable, table, 24));
    EXPECT_EQ(keyboard.Memory(Region::KeyTable), table);
    EXPECT_EQ(keyboard.KeyAt(2), (KeyCode{6, 7, 8}));
}

TEST_F(KeyboardFixture, KeyBytesAreOnePerPosition) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ChunkedRead(keyboard, recorder, cmd::kReadKeyBytes, 170, 56, bytes));
    const auto factory = FactoryKeyBytes();
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), factory.begin()));
    EXPECT_EQ(Send1(Request(cmd::kReadKeyBytes, 1, 170))[0].report[7], kStatusError);
}

TEST_F(KeyboardFixture, ConfigMemoryHoldsCurrentProfileAndPerProfileBlocks) {
    keyboard.SetCurrentProfile(2);
    std::vector<uint8_t> first;
    ASSERT_TRUE(ChunkedRead(keyboard, recorder, cmd::kReadConfig, 1, 56, first));
    EXPECT_EQ(first[0], 2);

    // Profile 3's 26 bytes at offset 75 (its byte 0 is profile 2's last byte).
    std::vector<uint8_t> block(26);
    std::iota(block.begin(), block.end(), uint8_t{100});
    ASSERT_TRUE(ChunkedWrite(keyboard, recorder, cmd::kWriteConfig, block, 24, 75));
    const std::vector<uint8_t> owned = keyboard.ProfileBlock(3);
    EXPECT_TRUE(std::equal(owned.begin(), owned.end(), block.begin() + 1));
    EXPECT_EQ(keyboard.ProfileBlock(2)[24], 100);  // the overlapping byte
    // Other profiles are untouched and differ from each other.
    EXPECT_NE(keyboard.ProfileBlock(0), keyboard.ProfileBlock(1));
    EXPECT_EQ(keyboard.ProfileBlock(4)[0], 5);  // factory effect code of profile 4

    // A chunk read with a base offset reads the same bytes back.
    const auto reply = Send1(Request(cmd::kReadConfig, 26, 75));
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), reply[0].report.begin() + 8));
}

TEST_F(KeyboardFixture, RequestsOutsideTheMemoryOrTooLongAreRefused) {
    struct Case {
        uint8_t command;
        uint8_t length;
        uint16_t offset;
        uint8_t status;
    };
    const Case cases[] = {
        {cmd::kReadConfig, 57, 0, kStatusError},        // more than 56 data bytes
        {cmd::kReadConfig, 1, 256, kStatusError},       // past the configuration memory
        {cmd::kWriteMacros, 1, 4095, kStatusOk},        // last macro byte
        {cmd::kWriteMacros, 2, 4095, kStatusError},     // one byte more
        {cmd::kWriteRecoil, 1, 0, kStatusUnsupported},  // the keyboard has no recoil memory
        {0x42, 0, 0, kStatusUnsupported},               // unknown command
        {cmd::kStreamFrame, 56, 456, kStatusOk},        // frame buffer end
        {cmd::kStreamFrame, 1, 512, kStatusError},
        {cmd::kWriteKeyMask, 21, 0, kStatusOk},
        {cmd::kReadStatus, 6, 0, kStatusOk},
        {cmd::kReadStatus, 6, 60, kStatusError},
    };
    for (const Case& c : cases) {
        const auto replies = Send1(Request(c.command, c.length, c.offset));
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].report[7], c.status)
            << std::hex << int(c.command) << " n=" << std::dec << int(c.length) << " @" << c.offset;
    }
}

TEST_F(KeyboardFixture, KeyMaskFrameAndMacrosAreStoredAtTheirOffsets) {
    std::vector<uint8_t> mask(21, 0);
    mask[1] = 0x02;  // position 22
    ASSERT_TRUE(ChunkedWrite(keyboard, recorder, cmd::kWriteKeyMask, mask, 56));
    EXPECT_EQ(keyboard.ReadMemory(Region::KeyMask, 0, 21), mask);

    std::vector<uint8_t> frame(510);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 3);
    ASSERT_TRUE(ChunkedWrite(keyboard, recorder, cmd::kStreamFrame, frame, 56));
    EXPECT_EQ(keyboard.ReadMemory(Region::Frame, 0, 510), frame);
    EXPECT_EQ(keyboard.PacketCount(cmd::kStreamFrame), 10u);

    const uint8_t image[] = {0xAA, 0x55, 0x16, 0x00, 0x01, 0x00};
    ASSERT_TRUE(ChunkedWrite(keyboard, recorder, cmd::kWriteMacros, image, 24));
    EXPECT_EQ(keyboard.ReadMemory(Region::Macros, 0, 6), std::vector<uint8_t>(image, image + 6));
}

TEST_F(KeyboardFixture, StatusMemoryHoldsThePowerRecord) {
    const uint8_t record[] = {37, 1, 0, 0, 0, 0};
    keyboard.SetPowerRecord(record);
    const auto replies = Send1(Request(cmd::kReadStatus, 6, 0));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(std::equal(std::begin(record), std::end(record), replies[0].report.begin() + 8));
}

TEST_F(KeyboardFixture, PresenceAndLightingResume) {
    const auto presence = Send1(Request(cmd::kPresence));
    ASSERT_EQ(presence.size(), 1u);
    EXPECT_EQ(presence[0].report[8], 0xFF);
    Send1(Request(cmd::kLightingResume));
    EXPECT_EQ(keyboard.LightingResumes(), 1u);
}

TEST_F(KeyboardFixture, ReportsOfTheWrongShapeAreNotAnswered) {
    Packet good = Request(cmd::kBeginConfig);
    std::vector<uint8_t> shortReport(good.begin(), good.begin() + 63);
    keyboard.OnOutputReport(1, shortReport);
    Packet otherId = good;
    otherId[0] = 0x03;
    keyboard.OnOutputReport(1, otherId);
    keyboard.OnOutputReport(0, good);  // the boot keyboard interface
    EXPECT_TRUE(recorder.Take().empty());
    EXPECT_EQ(keyboard.RejectedReports(), 3u);
    EXPECT_TRUE(keyboard.Requests().empty());
}

TEST_F(KeyboardFixture, NotificationsCarryKeyEventsAndProfileChanges) {
    keyboard.PressKey(0x2C);
    keyboard.ReleaseKey(0x2C);
    keyboard.SendSyncRequest();
    keyboard.SwitchProfile(3);
    const auto reports = recorder.Take();
    ASSERT_EQ(reports.size(), 4u);
    const std::vector<std::vector<uint8_t>> expected = {
        {0x03, 0x2C, 0x05}, {0x03, 0x2C, 0x06}, {0x03, 0x01, 0x04}, {0x03, 0x03, 0x10}};
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].interfaceNumber, 1);
        EXPECT_EQ(reports[i].report, expected[i]) << i;
    }
    EXPECT_EQ(keyboard.CurrentProfile(), 3);
}

// Faults.

TEST_F(KeyboardFixture, SilenceAndStatusFaultsDoNotCarryTheRequestOut) {
    const uint8_t data[] = {0x77};
    keyboard.InjectSilence(1);
    EXPECT_TRUE(Send1(Request(cmd::kWriteConfig, 1, 5, data)).empty());
    for (uint8_t status : {uint8_t{0xFF}, uint8_t{0xFE}}) {
        keyboard.InjectStatus(status);
        const auto replies = Send1(Request(cmd::kWriteConfig, 1, 5, data));
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].report[3], cmd::kWriteConfig);
        EXPECT_EQ(replies[0].report[7], status);
    }
    EXPECT_NE(keyboard.ReadMemory(Region::Config, 5, 1)[0], 0x77);
    // Faults are used up: the next packet is carried out.
    EXPECT_EQ(Send1(Request(cmd::kWriteConfig, 1, 5, data))[0].report[7], kStatusOk);
    EXPECT_EQ(keyboard.ReadMemory(Region::Config, 5, 1)[0], 0x77);

    const auto log = keyboard.Requests();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_FALSE(log[0].answered);
    EXPECT_EQ(log[1].status, 0xFF);
    EXPECT_EQ(log[3].status, 0x00);
}

TEST_F(KeyboardFixture, StrayReplyComesFirstWithAnotherCommandByte) {
    keyboard.InjectStrayReply();
    const auto replies = Send1(Request(cmd::kReadIdentity, 34, 0));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_NE(replies[0].report[3], cmd::kReadIdentity);
    EXPECT_NE(replies[0].report[3], cmd::kPresence);
    EXPECT_EQ(replies[1].report[3], cmd::kReadIdentity);
    EXPECT_EQ(replies[1].report[8 + 5], 170);
    EXPECT_EQ(Send1(Request(cmd::kReadIdentity, 34, 0)).size(), 1u);
}

TEST_F(KeyboardFixture, FaultsCanAimAtOneCommandAfterSomePackets) {
    // The third key-table chunk fails; the two before it are applied, the later ones too.
    keyboard.InjectFault(Fault{FaultKind::Status, 0xFF, cmd::kWriteKeyTable, 2, 1});
    std::vector<uint8_t> table(510, 0x11);
    std::vector<uint8_t> statuses;
    for (size_t offset = 0; offset < table.size(); offset += 56) {
        const size_t n = std::min<size_t>(56, table.size() - offset);
        Send1(Request(cmd::kBeginConfig));  // other commands do not count
        const auto replies =
            Send1(Request(cmd::kWriteKeyTable, static_cast<uint8_t>(n),
                          static_cast<uint16_t>(offset), std::span(table).subspan(offset, n)));
        ASSERT_EQ(replies.size(), 1u);
        statuses.push_back(replies[0].report[7]);
    }
    EXPECT_EQ(statuses, (std::vector<uint8_t>{0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0}));
    const auto memory = keyboard.Memory(Region::KeyTable);
    EXPECT_EQ(memory[111], 0x11);
    EXPECT_NE(memory[112], 0x11);  // the refused chunk 112..167 kept the factory codes
    EXPECT_EQ(memory[168], 0x11);
}

TEST_F(KeyboardFixture, UnplugAfterAnswersThatManyPacketsThenAsksToLeave) {
    int unplugs = 0;
    keyboard.SetUnplugHandler([&] { ++unplugs; });
    keyboard.UnplugAfter(2);
    EXPECT_EQ(Send1(Request(cmd::kBeginConfig)).size(), 1u);
    EXPECT_EQ(Send1(Request(cmd::kReadIdentity, 34, 0)).size(), 1u);
    EXPECT_EQ(unplugs, 0);
    EXPECT_TRUE(Send1(Request(cmd::kReadKeyTable, 56, 0)).empty());
    EXPECT_EQ(unplugs, 1);
    keyboard.ClearFaults();
    EXPECT_EQ(Send1(Request(cmd::kReadKeyTable, 56, 0)).size(), 1u);
}

TEST_F(KeyboardFixture, PersistentFaultAndClear) {
    keyboard.InjectSilence(-1);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Send1(Request(cmd::kBeginConfig)).empty());
    keyboard.ClearFaults();
    EXPECT_EQ(Send1(Request(cmd::kBeginConfig)).size(), 1u);
}

// Mouse.

TEST(MouseFirmware, IdentityCarriesSensorAndDpiScale) {
    for (const MouseFirmware::Sensor& sensor :
         {MouseFirmware::Sensor{}, MouseFirmware::CoarseSensor()}) {
        MouseFirmware mouse(sensor);
        Recorder recorder(mouse);
        std::vector<uint8_t> id;
        ASSERT_TRUE(ChunkedRead(mouse, recorder, cmd::kReadIdentity, 34, 24, id));
        EXPECT_EQ(id[5], 16);
        EXPECT_EQ(id[6], 16);
        EXPECT_EQ(id[9] | (id[10] << 8), sensor.code);
        EXPECT_EQ(id[11], sensor.dpiStep);
        EXPECT_EQ(id[12] | (id[13] << 8), sensor.dpiMaxSteps);
        EXPECT_EQ(id[14] | (id[15] << 8), sensor.dpiMin);
    }
    EXPECT_EQ(MouseFirmware::CoarseSensor().code, 0x3325);
}

TEST(MouseFirmware, KeyTableHoldsEachButtonOnceAtItsOwnPosition) {
    MouseFirmware mouse;
    Recorder recorder(mouse);
    std::vector<uint8_t> table;
    ASSERT_TRUE(ChunkedRead(mouse, recorder, cmd::kReadKeyTable, 48, 56, table));
    std::set<size_t> used;
    for (size_t button = 0; button < 11; ++button) {
        const size_t position = MouseFirmware::PositionOfButton(button);
        ASSERT_LT(position, 16u);
        used.insert(position);
        const auto code = MouseFirmware::FactoryButtonCode(button);
        EXPECT_TRUE(std::equal(code.begin(), code.end(), table.begin() + position * 3)) << button;
    }
    EXPECT_EQ(used.size(), 11u);
    EXPECT_NE(MouseFirmware::PositionOfButton(0), 0u);
}

TEST(MouseFirmware, ProfileBlocksAre128BytesApartAndRecoilTakes56BytePackets) {
    MouseFirmware mouse;
    Recorder recorder(mouse);
    mouse.SetCurrentProfile(3);
    std::vector<uint8_t> block;
    ASSERT_TRUE(ChunkedRead(mouse, recorder, cmd::kReadConfig, 1, 56, block));
    EXPECT_EQ(block[0], 3);
    std::vector<uint8_t> written(66);
    std::iota(written.begin(), written.end(), uint8_t{1});
    ASSERT_TRUE(ChunkedWrite(mouse, recorder, cmd::kWriteConfig, written, 56, 3 * 128));
    const auto stored = mouse.ProfileBlock(3);
    EXPECT_TRUE(std::equal(written.begin(), written.end(), stored.begin()));
    EXPECT_EQ(mouse.ProfileBlock(2)[1], 2);  // factory mode code of profile 2 unchanged

    std::vector<uint8_t> recoil(200, 0x5A);
    ASSERT_TRUE(ChunkedWrite(mouse, recorder, cmd::kWriteRecoil, recoil, 56));
    EXPECT_EQ(mouse.ReadMemory(Region::Recoil, 0, 200), recoil);
    EXPECT_EQ(mouse.PacketCount(cmd::kWriteRecoil), 4u);
    EXPECT_EQ(Send(mouse, recorder, Request(cmd::kWriteMacros, 1, 2048))[0].report[7],
              kStatusError);  // macro memory is 16 x 128
}

TEST(MouseFirmware, NotificationsForProfileStageAndButton) {
    MouseFirmware mouse;
    Recorder recorder(mouse);
    mouse.SwitchProfile(3);
    mouse.SwitchDpiStage(2);
    mouse.PressButton();
    const auto reports = recorder.Take();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].report, (std::vector<uint8_t>{0x03, 0x03, 0x10}));
    EXPECT_EQ(reports[1].report, (std::vector<uint8_t>{0x03, 0x23, 0x11}));
    EXPECT_EQ(reports[2].report, (std::vector<uint8_t>{0x03, 0x03, 0x04}));
    EXPECT_EQ(mouse.ProfileBlock(3)[12], 2);
}

// Pad and headset.

TEST(PadFirmware, ReadsAtTwentyFiveAndWritesAtSixtyFourLandWhereTheyPoint) {
    PadFirmware pad;
    Recorder recorder(pad);
    std::vector<uint8_t> id;
    ASSERT_TRUE(ChunkedRead(pad, recorder, cmd::kReadIdentity, 34, 56, id));
    EXPECT_EQ(id[4], 3);
    EXPECT_EQ(id[5], 0);
    std::vector<uint8_t> block(21, 0x33);
    ASSERT_TRUE(ChunkedWrite(pad, recorder, cmd::kWriteConfig, block, 56, 64));
    EXPECT_EQ(pad.ReadMemory(Region::Config, 64, 21), block);
    EXPECT_EQ(pad.ReadMemory(Region::Config, 50, 14), std::vector<uint8_t>(14, 0));
    EXPECT_EQ(Send(pad, recorder, Request(cmd::kReadKeyTable, 3, 0))[0].report[7],
              kStatusUnsupported);
    const auto power = Send(pad, recorder, Request(cmd::kReadStatus, 6, 0));
    EXPECT_EQ(power[0].report[8 + 5], 3);  // phone on the charger
}

TEST(HeadsetFirmware, CommandsAndNotificationsOnInterfaceThree) {
    HeadsetFirmware headset;
    Recorder recorder(headset);
    EXPECT_TRUE(Send(headset, recorder, Request(cmd::kBeginConfig), 1).empty());
    const auto replies = Send(headset, recorder, Request(cmd::kReadConfig, 26, 0), 3);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].interfaceNumber, 3);
    EXPECT_EQ(replies[0].report[7], kStatusOk);
    headset.SendSyncRequest();
    const auto notes = recorder.Take();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].report, (std::vector<uint8_t>{0x01, 0x01, 0x04}));
}

TEST(HeadsetFirmware, LedReportsSetOneChannelOfSevenOrSixLedsOnOneSide) {
    HeadsetFirmware headset;
    Recorder recorder(headset);
    auto led = [&](uint8_t side, uint8_t block, uint8_t base) {
        std::vector<uint8_t> r(17, 0);
        r[0] = 0xFF;
        r[1] = side;
        r[2] = block;
        for (int i = 0; i < 7; ++i) r[3 + i] = static_cast<uint8_t>(base + i);
        headset.OnOutputReport(3, r);
    };
    led(0x22, 0xAA, 10);   // red 0-6
    led(0x22, 0xAE, 100);  // green 7-12 (byte 9 is not payload)
    led(0x44, 0xAC, 200);  // blue 0-6 on the other side
    led(0x33, 0xAA, 1);    // no such side
    led(0x22, 0xB0, 1);    // no such block
    EXPECT_TRUE(recorder.Take().empty());
    EXPECT_EQ(headset.LedReports(), 3u);
    EXPECT_EQ(headset.RejectedReports(), 2u);
    const auto left = headset.Leds(0x22);
    EXPECT_EQ(left[0], (HeadsetFirmware::Rgb{10, 0, 0}));
    EXPECT_EQ(left[6], (HeadsetFirmware::Rgb{16, 0, 0}));
    EXPECT_EQ(left[7], (HeadsetFirmware::Rgb{0, 100, 0}));
    EXPECT_EQ(left[12], (HeadsetFirmware::Rgb{0, 105, 0}));
    const auto right = headset.Leds(0x44);
    EXPECT_EQ(right[6], (HeadsetFirmware::Rgb{0, 0, 206}));
    EXPECT_EQ(headset.LedValuesAboveLimit(), 0u);
    led(0x44, 0xAB, 245);  // 245..251: four values above 247
    EXPECT_EQ(headset.LedValuesAboveLimit(), 4u);
}

}  // namespace
}  // namespace qx::sim
