// The command channel fed by a device whose replies are the fuzzer's bytes: every command,
// through the cable (56-byte chunks) and through the receiver (24-byte chunks), with replies
// that are short, stray, of another report, or carry any status.
// Input: a mode byte (bit 0: receiver; bits 1-2: block size 0, 120, 512 or 600 (refused)), then
// rounds of a command byte and the replies it gets, each after its length byte (bit 7 of the
// length: sent as it is, else after the command report's id 4).
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "fuzz_backend.h"
#include "fuzz_support.h"
#include "hid/command_packet.h"
#include "hid/device_link.h"
#include "hid/hid_device.h"

using namespace qx;

namespace {

// The vendor command collection of the keyboard: report id 4, 63 bytes each way.
const std::vector<uint8_t> kCommandDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

class Input {
  public:
    explicit Input(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool Empty() const { return bytes_.empty(); }
    uint8_t Byte() {
        if (bytes_.empty()) return 0;
        const uint8_t b = bytes_[0];
        bytes_ = bytes_.subspan(1);
        return b;
    }
    // The replies of one command: a count byte, then that many replies.
    void QueueReplies(fuzz::FuzzBackend& backend) {
        const int count = Byte() % 12;
        for (int i = 0; i < count && !bytes_.empty(); ++i) {
            const uint8_t head = Byte();
            const size_t length = std::min<size_t>(head & 0x7F, bytes_.size());
            std::vector<uint8_t> reply;
            if ((head & 0x80) == 0) reply.push_back(kCommandReportId);
            reply.insert(reply.end(), bytes_.begin(), bytes_.begin() + static_cast<long>(length));
            bytes_ = bytes_.subspan(length);
            backend.Queue(std::move(reply));
        }
    }

  private:
    std::span<const uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(std::span<const uint8_t>(data, size));
    const uint8_t mode = input.Byte();
    const LinkSide side = (mode & 1) != 0 ? LinkSide::Receiver : LinkSide::Cable;
    static constexpr uint16_t kBlockSizes[] = {0, 120, 512, 600};
    const uint16_t blockSize = kBlockSizes[(mode >> 1) & 3];

    fuzz::FuzzBackend backend(kCommandDescriptor, 0x3A5C, 0x7031, 1);
    DeviceLink link(backend);
    const bool stored = link.SetBlockSize(blockSize) == 1;
    fuzz::Require(stored == (blockSize <= DeviceLink::kMaxBlockSize), "block size limit");
    HidDevice lister(backend);
    lister.Enumerate();
    const std::string* path = lister.NextPath();
    if (path == nullptr || !link.OpenCommandInterface(side, *path)) return 0;

    const size_t block = link.BlockSize();
    for (int round = 0; round < 16 && !input.Empty(); ++round) {
        const uint8_t command = input.Byte();
        const uint8_t argument = input.Byte();
        input.QueueReplies(backend);
        // Buffers of the exact size each command fills, so that a write past them is seen.
        switch (command % 15) {
            case 0:
                (void)link.CmdBeginConfig();
                break;
            case 1:
                // Its 10 ms pause is the cost of one round in a thousand.
                if (argument == 0xA5) (void)link.CmdEndConfig();
                break;
            case 2: {
                IdentityBlock identity;
                if (link.CmdReadIdentity(identity.bytes.data()) == kResultSuccess) {
                    (void)identity.KeyCount();
                    (void)identity.DpiMaximum();
                }
                break;
            }
            case 3: {
                std::vector<uint8_t> out(argument);
                (void)link.CmdReadConfig(out.data(), out.size(), uint16_t(argument * 25));
                break;
            }
            case 4: {
                const std::vector<uint8_t> config(argument, 0x5A);
                (void)link.CmdWriteConfig(config.data(), config.size(), uint16_t(argument * 25));
                break;
            }
            case 5: {
                std::vector<uint8_t> out(block);
                (void)link.CmdReadKeyTable(out.data());
                break;
            }
            case 6: {
                const std::vector<uint8_t> table(block, 0x11);
                const Result result = link.CmdWriteKeyTable(table.data(), argument & 1);
                if ((argument & 1) != 0)
                    fuzz::Require(result == kResultRefusedProfile, "profile 1 is refused");
                break;
            }
            case 7: {
                const std::vector<uint8_t> mask(argument % 70, 0x01);
                (void)link.CmdWriteKeyMask(mask.data(), mask.size(), argument);
                break;
            }
            case 8: {
                const std::vector<uint8_t> frame(size_t(argument) * 3, 0x7F);
                (void)link.CmdStreamFrame(frame.data(), frame.size());
                break;
            }
            case 9: {
                const std::vector<uint8_t> image(size_t(argument) * 4, 0x22);
                (void)link.CmdWriteMacros(image.data(), image.size());
                break;
            }
            case 10: {
                const std::vector<uint8_t> image(size_t(argument) * 6, 0x33);
                (void)link.CmdWriteRecoil(image.data(), image.size());
                break;
            }
            case 11: {
                std::vector<uint8_t> out(argument % 70);
                (void)link.CmdReadStatus(out.data(), out.size(), argument);
                break;
            }
            case 12: {
                std::vector<uint8_t> out(block / 3);
                (void)link.CmdReadKeyBytes(out.data());
                break;
            }
            case 13:
                (void)link.CmdLightingResume();
                break;
            case 14: {
                const bool present = link.CmdPresenceQuery();
                if (side == LinkSide::Cable)
                    fuzz::Require(!present, "no presence query on the cable");
                break;
            }
        }
        backend.Clear();
    }
    link.CloseCommandInterfaces();
    return 0;
}
