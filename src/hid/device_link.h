// The command channel of one device: its cable and receiver interfaces, the locks that serialise
// the traffic on them, the request/reply exchange and every command of the protocol. The link
// opens, closes and switches its own interfaces, so nobody outside takes its locks.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include <string>

#include "core/result_codes.h"
#include "hid/command_packet.h"
#include "hid/hid_device.h"

namespace qx {

enum CommandCode : uint8_t {
    kCmdBeginConfig = 0x01,
    kCmdEndConfig = 0x02,
    kCmdReadIdentity = 0x03,
    kCmdReadConfig = 0x05,
    kCmdWriteConfig = 0x06,
    kCmdReadKeyTable = 0x07,
    kCmdWriteKeyTable = 0x09,
    kCmdWriteKeyMask = 0x0B,
    kCmdStreamFrame = 0x12,
    kCmdWriteMacros = 0x15,
    kCmdWriteRecoil = 0x17,
    kCmdReadStatus = 0x1A,
    kCmdReadKeyBytes = 0x1B,
    kCmdLightingResume = 0x1C,
    kCmdPresenceQuery = 0xAA,
};

enum ConnectionMode : int { kConnectionCable = 1, kConnectionReceiver = 2 };

// The two paths to one device: its own cable, or its 2.4 GHz receiver.
enum class LinkSide { Cable, Receiver };

class DeviceLink {
  public:
    static constexpr uint16_t kMaxBlockSize = 512;
    static constexpr int kCableTimeoutMs = 1000;
    static constexpr int kReceiverTimeoutMs = 5000;

    explicit DeviceLink(HidBackend& backend) : cable_(backend), receiverInterface_(backend) {}
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // 1 stored, 0 refused (above 512; the old value stays).
    [[nodiscard]] int SetBlockSize(uint16_t size);
    uint16_t BlockSize() const { return blockSize_; }

    // 2 = through the receiver (24-byte chunks); anything else = cable (56-byte chunks).
    void SetConnectionMode(int mode);
    bool ReceiverMode() const { return receiver_.load(); }
    uint8_t ChunkSize() const { return chunkSize_.load(); }

    // --- the command use: exchanges go through the side of the connection mode.
    // Opens the side's interface at `path` (closing what that side had open) for reading and
    // writing; on success the link is open through that side and in its connection mode. On
    // failure the link is closed and `error` (when given) says why. The other side's interface
    // is left as it was, so switching between cable and receiver is this call as well.
    [[nodiscard]] bool OpenCommandInterface(LinkSide side, const std::string& path,
                                            std::string* error = nullptr);
    // Cuts short a transfer waiting now, then closes both interfaces; the link is closed.
    void CloseCommandInterfaces();
    // Closes one side's interface (its path is gone); the link stays open when the other side
    // is the one in use.
    void CloseCommandInterface(LinkSide side);
    // Cuts short a transfer waiting now and makes every exchange fail until the next open:
    // removal and exit use it so that a silent device does not hold them for its time-out.
    void Abort();

    // --- the notification use: the cable interface under the first lock, the receiver's under
    // the second; each side has its own open flag (the link's open flag is the cable's).
    [[nodiscard]] bool OpenNotificationInterface(LinkSide side, const std::string& path,
                                                 std::string* error = nullptr);
    void CloseNotificationInterface(LinkSide side);
    bool NotificationOpen(LinkSide side) const {
        return side == LinkSide::Cable ? open_.load() : notificationReceiverOpen_.load();
    }

    // Every exchange fails at once while the link is not open.
    bool IsOpen() const { return open_.load(); }
    bool Busy() const { return busy_.load(std::memory_order_relaxed); }

    HidDevice& Interface(LinkSide side) {
        return side == LinkSide::Cable ? cable_ : receiverInterface_;
    }
    HidDevice& CableInterface() { return cable_; }
    HidDevice& ReceiverInterface() { return receiverInterface_; }

    // Full exchange: one write and up to two reads, with the diagnostic lines.
    Result Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply,
                    size_t replyLength, size_t* count);
    // Short exchange on the cable: one write, one read, no checks (frame packets).
    Result ExchangeOnce(const uint8_t* request, size_t requestLength, uint8_t* reply,
                        size_t replyLength, size_t* count);

    Result CmdBeginConfig();
    Result CmdEndConfig(int unused = 1);  // waits 10 ms first
    Result CmdReadIdentity(uint8_t* identity34);
    Result CmdReadConfig(uint8_t* out, size_t length, uint16_t baseOffset);
    Result CmdWriteConfig(const uint8_t* data, size_t length, uint16_t baseOffset);
    Result CmdReadKeyTable(uint8_t* out);  // BlockSize() bytes
    Result CmdWriteKeyTable(const uint8_t* data, int profile);
    Result CmdWriteKeyMask(const uint8_t* data, size_t length, uint16_t index);
    Result CmdStreamFrame(const uint8_t* data, size_t length);
    Result CmdWriteMacros(const uint8_t* data, size_t length);
    Result CmdWriteRecoil(const uint8_t* data, size_t length);
    Result CmdReadStatus(uint8_t* out, size_t length, uint16_t offset);
    Result CmdReadKeyBytes(uint8_t* out);  // BlockSize() / 3 bytes
    Result CmdLightingResume();
    [[nodiscard]] bool CmdPresenceQuery();

  private:
    enum class ChunkLock { Command, Frame, None };
    struct Transfer {
        uint8_t command;
        uint16_t baseOffset;
        uint8_t chunk;
        ChunkLock lock;
    };

    // One packet of a command with no data: exchange under CommandLock, then the status rule.
    Result SimpleCommand(uint8_t command, CommandPacket* reply = nullptr);
    Result ChunkedRead(const Transfer& transfer, uint8_t* out, size_t length);
    Result ChunkedWrite(const Transfer& transfer, const uint8_t* data, size_t length);
    Result SinglePacket(uint8_t command, const uint8_t* data, size_t length, uint16_t offset,
                        uint8_t* out);

    std::atomic<uint16_t> blockSize_{512};
    std::atomic<bool> busy_{false};
    std::atomic<bool> open_{false};
    std::atomic<bool> notificationReceiverOpen_{false};
    std::atomic<bool> aborted_{false};
    HidDevice cable_;
    HidDevice receiverInterface_;
    std::mutex transferLock_;
    std::mutex secondLock_;
    std::mutex commandLock_;
    std::mutex frameLock_;
    std::atomic<bool> receiver_{false};
    std::atomic<uint8_t> chunkSize_{24};
};

// The status rule applied after an exchange: the exchange result when it is not 1, then -102 for
// status 0xFF, -103 for 0xFE, else 1.
Result CommandResult(Result exchangeResult, const uint8_t* reply);

}  // namespace qx
