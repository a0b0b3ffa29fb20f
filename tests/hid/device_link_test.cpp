#include "hid/device_link.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "core/diagnostics.h"
#include "core/result_codes.h"
#include "scripted_backend.h"

namespace qx {
namespace {

using Packets = std::vector<std::vector<uint8_t>>;

class DeviceLinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bus_.SetResponder([](const std::vector<uint8_t>& request, Packets& replies) {
            replies.push_back(test::EchoReply(request));
        });
        Connect(kConnectionCable);
    }

    void Connect(int mode) {
        const LinkSide side = mode == kConnectionReceiver ? LinkSide::Receiver : LinkSide::Cable;
        ASSERT_TRUE(link_.OpenCommandInterface(side, test::ScriptedBackend::CommandPath()));
        EXPECT_EQ(link_.ReceiverMode(), mode == kConnectionReceiver);
    }

    // (command, length, offset) of every packet written so far.
    std::vector<std::tuple<int, int, int>> Headers() {
        std::vector<std::tuple<int, int, int>> headers;
        for (const auto& p : bus_.Written()) headers.emplace_back(p[3], p[4], p[5] | p[6] << 8);
        return headers;
    }

    test::ScriptedBackend bus_;
    DeviceLink link_{bus_};
};

TEST(CommandPacket, ChecksumIsTheSumOfBytes3To63) {
    CommandPacket begin{};
    begin[0] = 0x04;
    begin[3] = 0x01;
    SealPacket(begin.data());
    EXPECT_EQ(begin[1], 0x01);
    EXPECT_EQ(begin[2], 0x00);

    CommandPacket full;
    full.fill(0xFF);
    SealPacket(full.data());
    EXPECT_EQ(full[1] | full[2] << 8, 61 * 255) << "the report id and the checksum are not summed";
}

TEST(CommandPacket, DiagnosticLinesHaveTheirGroupSpacing) {
    CommandPacket packet;
    std::iota(packet.begin(), packet.end(), uint8_t{0});
    EXPECT_EQ(FormatPacketLines(packet.data()),
              "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  "
              "18 19 1a 1b  1c 1d 1e 1f\n"
              "20 21 22 23   24 25 26 27   28 29 2a 2b   2c 2d 2e 2f  30 31 32 33  34 35 36 37  "
              "38 39 3a 3b  3c 3d 3e 3f\n");
}

TEST_F(DeviceLinkTest, ChunkingFollowsTheConnection) {
    struct Case {
        const char* name;
        int mode;
        std::function<int(DeviceLink&)> run;
        std::vector<std::tuple<int, int, int>> headers;
    };
    std::vector<uint8_t> data(512, 0x5A);
    uint8_t out[512];
    auto repeat = [](int command, int total, int chunk, int base) {
        std::vector<std::tuple<int, int, int>> h;
        for (int o = 0; o < total; o += chunk)
            h.emplace_back(command, std::min(chunk, total - o), o + base);
        return h;
    };
    const std::vector<Case> cases = {
        {"identity on cable",
         kConnectionCable,
         [&](DeviceLink& l) { return l.CmdReadIdentity(out); },
         {{0x03, 34, 0}}},
        {"identity through receiver",
         kConnectionReceiver,
         [&](DeviceLink& l) { return l.CmdReadIdentity(out); },
         {{0x03, 24, 0}, {0x03, 10, 24}}},
        {"key table of 170 keys on cable", kConnectionCable,
         [&](DeviceLink& l) {
             EXPECT_EQ(l.SetBlockSize(510), 1);
             return l.CmdReadKeyTable(out);
         },
         repeat(0x07, 510, 56, 0)},
        {"key table of 170 keys through receiver", kConnectionReceiver,
         [&](DeviceLink& l) {
             EXPECT_EQ(l.SetBlockSize(510), 1);
             return l.CmdWriteKeyTable(data.data(), 0);
         },
         repeat(0x09, 510, 24, 0)},
        {"key bytes", kConnectionCable,
         [&](DeviceLink& l) {
             EXPECT_EQ(l.SetBlockSize(510), 1);
             return l.CmdReadKeyBytes(out);
         },
         repeat(0x1B, 170, 56, 0)},
        {"config at a base offset",
         kConnectionReceiver,
         [&](DeviceLink& l) { return l.CmdWriteConfig(data.data(), 26, 50); },
         {{0x06, 24, 50}, {0x06, 2, 74}}},
        {"recoil always in 56-byte packets", kConnectionReceiver,
         [&](DeviceLink& l) { return l.CmdWriteRecoil(data.data(), 120); },
         repeat(0x17, 120, 56, 0)},
        {"key mask",
         kConnectionCable,
         [&](DeviceLink& l) { return l.CmdWriteKeyMask(data.data(), 21, 2); },
         {{0x0B, 21, 6}}},
        {"status",
         kConnectionCable,
         [&](DeviceLink& l) { return l.CmdReadStatus(out, 6, 0); },
         {{0x1A, 6, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link_.CableInterface().Close();
        link_.ReceiverInterface().Close();
        Connect(c.mode);
        bus_.ClearWritten();
        EXPECT_EQ(c.run(link_), kResultSuccess);
        EXPECT_EQ(Headers(), c.headers);
        for (const auto& packet : bus_.Written()) {
            EXPECT_EQ(packet.size(), 64u);
            EXPECT_EQ(packet[0], 0x04);
            EXPECT_EQ(packet[1] | packet[2] << 8, PacketChecksum(packet.data()));
        }
    }
}

TEST_F(DeviceLinkTest, ChunkedWriteKeepsThePreviousChunkBehindTheData) {
    std::vector<uint8_t> data(60);
    std::iota(data.begin(), data.end(), uint8_t{1});
    ASSERT_EQ(link_.CmdWriteMacros(data.data(), data.size()), kResultSuccess);
    const Packets written = bus_.Written();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[1][4], 4);
    EXPECT_EQ(std::vector<uint8_t>(written[1].begin() + 8, written[1].begin() + 12),
              std::vector<uint8_t>(data.begin() + 56, data.end()));
    EXPECT_EQ(std::vector<uint8_t>(written[1].begin() + 12, written[1].end()),
              std::vector<uint8_t>(data.begin() + 4, data.begin() + 56));
}

TEST_F(DeviceLinkTest, ReadsCopyTheReplyData) {
    bus_.SetResponder([](const std::vector<uint8_t>& request, Packets& replies) {
        auto reply = test::EchoReply(request);
        for (int i = 0; i < request[4]; ++i) reply[8 + i] = static_cast<uint8_t>(request[5] + i);
        replies.push_back(reply);
    });
    uint8_t config[100] = {};
    ASSERT_EQ(link_.CmdReadConfig(config, sizeof config, 0), kResultSuccess);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(config[i], static_cast<uint8_t>(i)) << i;
}

TEST_F(DeviceLinkTest, ResultCodes) {
    struct Case {
        const char* name;
        int mode;
        std::function<void(const std::vector<uint8_t>&, Packets&)> respond;
        int expected;
    };
    const std::vector<Case> cases = {
        {"status 0xFF", kConnectionCable,
         [](const auto& r, Packets& out) { out.push_back(test::EchoReply(r, 0xFF)); },
         kResultStatusFF},
        {"status 0xFE", kConnectionCable,
         [](const auto& r, Packets& out) { out.push_back(test::EchoReply(r, 0xFE)); },
         kResultStatusFE},
        {"other status values succeed", kConnectionCable,
         [](const auto& r, Packets& out) { out.push_back(test::EchoReply(r, 0x01)); },
         kResultSuccess},
        {"receiver reports the device unreachable", kConnectionReceiver,
         [](const auto& r, Packets& out) {
             auto reply = test::EchoReply(r);
             reply[3] = 0xAA;
             out.push_back(reply);
         },
         kResultUnreachable},
        {"one stray reply is skipped", kConnectionCable,
         [](const auto& r, Packets& out) {
             auto stray = test::EchoReply(r, 0xFF);
             stray[3] = 0x12;
             out.push_back(stray);
             out.push_back(test::EchoReply(r));
         },
         kResultSuccess},
        {"a second wrong reply is taken as it is", kConnectionCable,
         [](const auto& r, Packets& out) {
             auto stray = test::EchoReply(r);
             stray[3] = 0x12;
             out.push_back(stray);
             stray[7] = 0xFE;
             out.push_back(stray);
         },
         kResultStatusFE},
        {"silence", kConnectionCable, [](const auto&, Packets&) {}, kResultFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link_.CableInterface().Close();
        link_.ReceiverInterface().Close();
        Connect(c.mode);
        bus_.SetResponder(c.respond);
        EXPECT_EQ(link_.CmdBeginConfig(), c.expected);
        EXPECT_FALSE(link_.Busy());
    }
    bus_.SetWritesFail(true);
    EXPECT_EQ(link_.CmdBeginConfig(), kResultWriteFailed);
    link_.CloseCommandInterfaces();
    bus_.ClearWritten();
    EXPECT_EQ(link_.CmdBeginConfig(), kResultFailed);
    EXPECT_TRUE(bus_.Written().empty());
}

TEST_F(DeviceLinkTest, IdentityIsCopiedOnlyWhenEveryPacketSucceeded) {
    Connect(kConnectionReceiver);
    bus_.SetResponder([](const std::vector<uint8_t>& request, Packets& replies) {
        auto reply = test::EchoReply(request, request[5] == 0 ? 0 : 0xFF);
        reply[8] = 0x77;
        replies.push_back(reply);
    });
    uint8_t identity[34];
    std::fill(std::begin(identity), std::end(identity), 0x11);
    EXPECT_EQ(link_.CmdReadIdentity(identity), kResultStatusFF);
    EXPECT_EQ(identity[0], 0x11);
}

TEST_F(DeviceLinkTest, RefusalsSendNothing) {
    std::vector<uint8_t> table(512);
    EXPECT_EQ(link_.CmdWriteKeyTable(table.data(), 1), kResultRefusedProfile);
    EXPECT_EQ(link_.SetBlockSize(513), 0);
    EXPECT_EQ(link_.BlockSize(), 512);
    EXPECT_EQ(link_.SetBlockSize(510), 1);
    EXPECT_EQ(link_.BlockSize(), 510);
    EXPECT_FALSE(link_.CmdPresenceQuery()) << "no presence query on cable";
    EXPECT_TRUE(bus_.Written().empty());
}

TEST_F(DeviceLinkTest, PresenceThroughTheReceiver) {
    Connect(kConnectionReceiver);
    for (const auto& [byte8, status, present] :
         {std::tuple{0xFF, 0x00, true}, {0x00, 0x00, false}, {0xFF, 0xFE, false}}) {
        bus_.SetResponder([byte8, status](const std::vector<uint8_t>& request, Packets& replies) {
            auto reply = test::EchoReply(request, static_cast<uint8_t>(status));
            reply[8] = static_cast<uint8_t>(byte8);
            replies.push_back(reply);
        });
        EXPECT_EQ(link_.CmdPresenceQuery(), present);
    }
}

TEST_F(DeviceLinkTest, FramesStepAsideWhileACommandRuns) {
    std::vector<uint8_t> frame(510, 0x33);
    int frameResult = 0;
    bus_.SetResponder([&](const std::vector<uint8_t>& request, Packets& replies) {
        if (request[3] == kCmdBeginConfig)
            frameResult = link_.CmdStreamFrame(frame.data(), frame.size());
        replies.push_back(test::EchoReply(request));
    });
    EXPECT_EQ(link_.CmdBeginConfig(), kResultSuccess);
    EXPECT_EQ(frameResult, kResultSuccess);
    EXPECT_EQ(Headers(), (std::vector<std::tuple<int, int, int>>{{0x01, 0, 0}}));

    // Without a command in flight the frame goes out in cable chunks.
    bus_.ClearWritten();
    EXPECT_EQ(link_.CmdStreamFrame(frame.data(), frame.size()), kResultSuccess);
    EXPECT_EQ(bus_.Written().size(), 10u);

    // Through the receiver nothing is streamed.
    Connect(kConnectionReceiver);
    bus_.ClearWritten();
    EXPECT_EQ(link_.CmdStreamFrame(frame.data(), frame.size()), kResultSuccess);
    EXPECT_TRUE(bus_.Written().empty());
}

TEST_F(DeviceLinkTest, ExchangesAreLoggedAsRequestAndReply) {
    std::vector<std::string> lines;
    SetDebugSink(
        [](std::string_view line, void* context) {
            static_cast<std::vector<std::string>*>(context)->emplace_back(line);
        },
        &lines);
    EXPECT_EQ(link_.CmdBeginConfig(), kResultSuccess);
    SetDebugSink(nullptr, nullptr);
    ASSERT_EQ(lines.size(), 2u);
    const std::string zeros2 =
        "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  "
        "00 00 00 00  00 00 00 00  00 00 00 00";
    EXPECT_EQ(lines[0],
              "命令\n04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  "
              "00 00 00 00  00 00 00 00  00 00 00 00\n" +
                  zeros2);
    EXPECT_EQ(lines[1].substr(0, 9), "返回\n04");
}

}  // namespace
}  // namespace qx
