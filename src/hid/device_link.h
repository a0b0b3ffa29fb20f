// The command channel of one device: its cable and receiver command interfaces, the locks that
// serialise the traffic on them, the request/reply exchange and every command of the protocol.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

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

class DeviceLink {
  public:
    static constexpr uint16_t kMaxBlockSize = 512;
    static constexpr int kCableTimeoutMs = 1000;
    static constexpr int kReceiverTimeoutMs = 5000;

    DeviceLink() = default;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // 1 stored, 0 refused (above 512; the old value stays).
    int SetBlockSize(uint16_t size);
    uint16_t BlockSize() const { return blockSize_; }

    // 2 = through the receiver (24-byte chunks); anything else = cable (56-byte chunks).
    void SetConnectionMode(int mode);
    bool ReceiverMode() const { return receiver_.load(); }
    uint8_t ChunkSize() const { return chunkSize_.load(); }

    // Set by the owner once a command interface is open; every exchange fails at once while clear.
    void SetOpen(bool open) { open_.store(open); }
    bool IsOpen() const { return open_.load(); }
    bool Busy() const { return busy_.load(std::memory_order_relaxed); }

    HidDevice& CableInterface() { return cable_; }
    HidDevice& ReceiverInterface() { return receiverInterface_; }
    std::mutex& TransferLock() { return transferLock_; }
    std::mutex& SecondLock() { return secondLock_; }  // for the owner; the link never takes it
    std::mutex& CommandLock() { return commandLock_; }
    std::mutex& FrameLock() { return frameLock_; }

    // Full exchange: one write and up to two reads, with the diagnostic lines.
    int Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                 size_t* count);
    // Short exchange on the cable: one write, one read, no checks (frame packets).
    int ExchangeOnce(const uint8_t* request, size_t requestLength, uint8_t* reply,
                     size_t replyLength, size_t* count);

    int CmdBeginConfig();
    int CmdEndConfig(int unused = 1);  // waits 10 ms first
    int CmdReadIdentity(uint8_t* identity34);
    int CmdReadConfig(uint8_t* out, size_t length, uint16_t baseOffset);
    int CmdWriteConfig(const uint8_t* data, size_t length, uint16_t baseOffset);
    int CmdReadKeyTable(uint8_t* out);  // BlockSize() bytes
    int CmdWriteKeyTable(const uint8_t* data, int profile);
    int CmdWriteKeyMask(const uint8_t* data, size_t length, uint16_t index);
    int CmdStreamFrame(const uint8_t* data, size_t length);
    int CmdWriteMacros(const uint8_t* data, size_t length);
    int CmdWriteRecoil(const uint8_t* data, size_t length);
    int CmdReadStatus(uint8_t* out, size_t length, uint16_t offset);
    int CmdReadKeyBytes(uint8_t* out);  // BlockSize() / 3 bytes
    int CmdLightingResume();
    bool CmdPresenceQuery();

  private:
    enum class ChunkLock { Command, Frame, None };
    struct Transfer {
        uint8_t command;
        uint16_t baseOffset;
        uint8_t chunk;
        ChunkLock lock;
    };

    // One packet of a command with no data: exchange under CommandLock, then the status rule.
    int SimpleCommand(uint8_t command, CommandPacket* reply = nullptr);
    int ChunkedRead(const Transfer& transfer, uint8_t* out, size_t length);
    int ChunkedWrite(const Transfer& transfer, const uint8_t* data, size_t length);
    int SinglePacket(uint8_t command, const uint8_t* data, size_t length, uint16_t offset,
                     uint8_t* out);

    std::atomic<uint16_t> blockSize_{512};
    std::atomic<bool> busy_{false};
    std::atomic<bool> open_{false};
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
int CommandResult(int exchangeResult, const uint8_t* reply);

}  // namespace qx
