#include "hid/device_link.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/diagnostics.h"
#include "core/result_codes.h"

namespace qx {
namespace {

constexpr uint8_t kStatusError = 0xFF;
constexpr uint8_t kStatusBusy = 0xFE;
constexpr uint8_t kUnreachable = 0xAA;
constexpr size_t kIdentitySize = IdentityBlock::kSize;

void LogPacket(const char* title, const uint8_t* packet) {
    if (!DebugEnabled()) return;
    std::string text(title);
    text += '\n';
    text += FormatPacketLines(packet);
    DebugLine(text);
}

void StartRequest(CommandPacket& packet, uint8_t command) {
    packet.fill(0);
    packet[kPacketReportId] = kCommandReportId;
    packet[kPacketCommand] = command;
}

void SetLengthAndOffset(CommandPacket& packet, size_t length, uint32_t offset) {
    packet[kPacketLength] = static_cast<uint8_t>(length);
    packet[kPacketOffsetLow] = static_cast<uint8_t>(offset & 0xFF);
    packet[kPacketOffsetHigh] = static_cast<uint8_t>((offset >> 8) & 0xFF);
}

}  // namespace

Result CommandResult(Result exchangeResult, const uint8_t* reply) {
    if (exchangeResult != kResultSuccess) return exchangeResult;
    if (reply[kPacketStatus] == kStatusError) return kResultStatusFF;
    if (reply[kPacketStatus] == kStatusBusy) return kResultStatusFE;
    return kResultSuccess;
}

bool DeviceLink::OpenCommandInterface(LinkSide side, const std::string& path, std::string* error) {
    HidDevice& device = Interface(side);
    // A transfer waiting on the interface about to be replaced gives way at once.
    device.Cancel();
    std::lock_guard lock(transferLock_);
    open_.store(false);
    if (device.IsOpen()) device.Close();
    if (device.Open(path, true, true, true, false) == 0) {
        if (error != nullptr) *error = device.LastError();
        return false;
    }
    SetConnectionMode(side == LinkSide::Receiver ? kConnectionReceiver : kConnectionCable);
    aborted_.store(false);
    open_.store(true);
    return true;
}

void DeviceLink::CloseCommandInterfaces() {
    Abort();
    std::lock_guard lock(transferLock_);
    open_.store(false);
    cable_.Close();
    receiverInterface_.Close();
}

void DeviceLink::CloseCommandInterface(LinkSide side) {
    const bool inUse = receiver_.load() == (side == LinkSide::Receiver);
    Interface(side).Cancel();
    std::lock_guard lock(transferLock_);
    if (inUse) open_.store(false);
    Interface(side).Close();
}

void DeviceLink::Abort() {
    aborted_.store(true);
    cable_.Cancel();
    receiverInterface_.Cancel();
}

bool DeviceLink::OpenNotificationInterface(LinkSide side, const std::string& path,
                                           std::string* error) {
    const bool cable = side == LinkSide::Cable;
    HidDevice& device = Interface(side);
    std::atomic<bool>& open = cable ? open_ : notificationReceiverOpen_;
    std::lock_guard lock(cable ? transferLock_ : secondLock_);
    open.store(false);
    if (device.IsOpen()) device.Close();
    if (device.Open(path, true, true, true, false) == 0) {
        if (error != nullptr) *error = device.LastError();
        return false;
    }
    open.store(true);
    return true;
}

void DeviceLink::CloseNotificationInterface(LinkSide side) {
    const bool cable = side == LinkSide::Cable;
    Interface(side).Cancel();
    std::lock_guard lock(cable ? transferLock_ : secondLock_);
    (cable ? open_ : notificationReceiverOpen_).store(false);
    Interface(side).Close();
}

int DeviceLink::SetBlockSize(uint16_t size) {
    if (size > kMaxBlockSize) return 0;
    blockSize_.store(size);
    return 1;
}

void DeviceLink::SetConnectionMode(int mode) {
    if (mode == kConnectionReceiver) {
        receiver_.store(true);
        chunkSize_.store(24);
    } else {
        receiver_.store(false);
        chunkSize_.store(56);
    }
}

Result DeviceLink::Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply,
                            size_t replyLength, size_t* count) {
    busy_.store(true, std::memory_order_relaxed);
    if (count != nullptr) *count = 0;
    Result result = kResultFailed;
    if (open_.load() && !aborted_.load()) {
        CommandPacket out{};
        std::memcpy(out.data(), request, std::min(requestLength, kPacketSize));
        LogPacket("命令", out.data());

        const bool viaReceiver = receiver_.load();
        HidDevice& device = viaReceiver ? receiverInterface_ : cable_;
        const int timeout = viaReceiver ? kReceiverTimeoutMs : kCableTimeoutMs;
        int written = 0;
        {
            std::lock_guard lock(transferLock_);
            // The command collection shares its node with the notification collection, and every
            // open of a node queues every report of it (a bounded queue that drops new reports
            // when full). Reports that piled up while no command ran are dropped here, so that
            // they can neither crowd out this reply nor be taken for it.
            device.DiscardPendingInput();
            written = device.Write(out.data(), out.size(), nullptr, timeout);
        }
        if (written <= 0) {
            result = kResultWriteFailed;
        } else {
            std::memset(reply, 0, replyLength);
            int read = 0;  // HidDevice's nonzero-on-success, or kResultUnreachable
            {
                std::lock_guard lock(transferLock_);
                read = device.Read(reply, replyLength, count, timeout);
                // A failed read is the answer: waiting once more would only double the cost of
                // a silent device. A reply to another command (a stray one) gets one more read,
                // whose reply is taken whatever it holds.
                if (read != 0 && replyLength > kPacketCommand &&
                    reply[kPacketCommand] != out[kPacketCommand]) {
                    if (viaReceiver && reply[kPacketCommand] == kUnreachable) {
                        read = kResultUnreachable;
                    } else {
                        read = device.Read(reply, replyLength, count, timeout);
                    }
                }
            }
            result = read == kResultUnreachable ? kResultUnreachable
                                                : (read != 0 ? kResultSuccess : kResultFailed);
            if (DebugEnabled()) {
                CommandPacket shown{};
                std::memcpy(shown.data(), reply, std::min(replyLength, kPacketSize));
                LogPacket("返回", shown.data());
            }
        }
    }
    busy_.store(false, std::memory_order_relaxed);
    return result;
}

Result DeviceLink::ExchangeOnce(const uint8_t* request, size_t requestLength, uint8_t* reply,
                                size_t replyLength, size_t* count) {
    if (count != nullptr) *count = 0;
    if (!open_.load() || aborted_.load()) return kResultFailed;
    CommandPacket out{};
    std::memcpy(out.data(), request, std::min(requestLength, kPacketSize));
    {
        std::lock_guard lock(transferLock_);
        cable_.DiscardPendingInput();
        if (cable_.Write(out.data(), out.size(), nullptr, kCableTimeoutMs) <= 0)
            return kResultWriteFailed;
    }
    std::lock_guard lock(transferLock_);
    return cable_.Read(reply, replyLength, count, kCableTimeoutMs) != 0 ? kResultSuccess
                                                                        : kResultFailed;
}

Result DeviceLink::SimpleCommand(uint8_t command, CommandPacket* replyOut) {
    CommandPacket request;
    StartRequest(request, command);
    SealPacket(request.data());
    CommandPacket reply{};
    Result result;
    {
        std::lock_guard lock(commandLock_);
        result = Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }
    if (replyOut != nullptr) *replyOut = reply;
    return CommandResult(result, reply.data());
}

Result DeviceLink::ChunkedRead(const Transfer& transfer, uint8_t* out, size_t length) {
    CommandPacket request;
    StartRequest(request, transfer.command);
    CommandPacket reply{};
    for (size_t offset = 0; offset < length; offset += transfer.chunk) {
        const size_t n = std::min<size_t>(transfer.chunk, length - offset);
        SetLengthAndOffset(request, n, static_cast<uint32_t>(offset + transfer.baseOffset));
        SealPacket(request.data());
        Result result;
        {
            std::lock_guard lock(commandLock_);
            result = Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
        }
        result = CommandResult(result, reply.data());
        if (result != kResultSuccess) return result;
        std::memcpy(out + offset, reply.data() + kPacketDataOffset, n);
    }
    return kResultSuccess;
}

Result DeviceLink::ChunkedWrite(const Transfer& transfer, const uint8_t* data, size_t length) {
    // The data area keeps what the previous chunk left behind it: those bytes are part of the
    // checksum the device expects.
    CommandPacket request;
    StartRequest(request, transfer.command);
    CommandPacket reply{};
    for (size_t offset = 0; offset < length; offset += transfer.chunk) {
        const size_t n = std::min<size_t>(transfer.chunk, length - offset);
        SetLengthAndOffset(request, n, static_cast<uint32_t>(offset + transfer.baseOffset));
        std::memcpy(request.data() + kPacketDataOffset, data + offset, n);
        SealPacket(request.data());
        Result result = kResultFailed;
        switch (transfer.lock) {
            case ChunkLock::Command: {
                std::lock_guard lock(commandLock_);
                result =
                    Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
                break;
            }
            case ChunkLock::None:
                result =
                    Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
                break;
            case ChunkLock::Frame:
                if (busy_.load(std::memory_order_relaxed)) {
                    DebugLine("放弃灯光数据");
                    continue;
                }
                if (receiver_.load()) continue;
                {
                    std::lock_guard lock(frameLock_);
                    result = ExchangeOnce(request.data(), request.size(), reply.data(),
                                          reply.size(), nullptr);
                }
                break;
        }
        result = CommandResult(result, reply.data());
        if (result != kResultSuccess) return result;
    }
    return kResultSuccess;
}

Result DeviceLink::SinglePacket(uint8_t command, const uint8_t* data, size_t length,
                                uint16_t offset, uint8_t* out) {
    if (length > kPacketDataSize) return kResultFailed;
    CommandPacket request;
    StartRequest(request, command);
    SetLengthAndOffset(request, length, offset);
    if (data != nullptr) std::memcpy(request.data() + kPacketDataOffset, data, length);
    SealPacket(request.data());
    CommandPacket reply{};
    Result result;
    {
        std::lock_guard lock(commandLock_);
        result = Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }
    result = CommandResult(result, reply.data());
    if (result == kResultSuccess && out != nullptr)
        std::memcpy(out, reply.data() + kPacketDataOffset, length);
    return result;
}

Result DeviceLink::CmdBeginConfig() { return SimpleCommand(kCmdBeginConfig); }

Result DeviceLink::CmdEndConfig(int) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return SimpleCommand(kCmdEndConfig);
}

Result DeviceLink::CmdReadIdentity(uint8_t* identity34) {
    uint8_t buffer[kIdentitySize] = {};
    const Result result = ChunkedRead({kCmdReadIdentity, 0, chunkSize_.load(), ChunkLock::Command},
                                      buffer, kIdentitySize);
    if (result == kResultSuccess) std::memcpy(identity34, buffer, kIdentitySize);
    return result;
}

Result DeviceLink::CmdReadConfig(uint8_t* out, size_t length, uint16_t baseOffset) {
    return ChunkedRead({kCmdReadConfig, baseOffset, chunkSize_.load(), ChunkLock::Command}, out,
                       length);
}

Result DeviceLink::CmdWriteConfig(const uint8_t* data, size_t length, uint16_t baseOffset) {
    return ChunkedWrite({kCmdWriteConfig, baseOffset, chunkSize_.load(), ChunkLock::Command}, data,
                        length);
}

Result DeviceLink::CmdReadKeyTable(uint8_t* out) {
    return ChunkedRead({kCmdReadKeyTable, 0, chunkSize_.load(), ChunkLock::Command}, out,
                       blockSize_.load());
}

Result DeviceLink::CmdWriteKeyTable(const uint8_t* data, int profile) {
    if (profile != 0) return kResultRefusedProfile;
    return ChunkedWrite({kCmdWriteKeyTable, 0, chunkSize_.load(), ChunkLock::Command}, data,
                        blockSize_.load());
}

Result DeviceLink::CmdWriteKeyMask(const uint8_t* data, size_t length, uint16_t index) {
    return SinglePacket(kCmdWriteKeyMask, data, length, static_cast<uint16_t>(index * 3), nullptr);
}

Result DeviceLink::CmdStreamFrame(const uint8_t* data, size_t length) {
    return ChunkedWrite({kCmdStreamFrame, 0, chunkSize_.load(), ChunkLock::Frame}, data, length);
}

Result DeviceLink::CmdWriteMacros(const uint8_t* data, size_t length) {
    return ChunkedWrite({kCmdWriteMacros, 0, chunkSize_.load(), ChunkLock::Command}, data, length);
}

Result DeviceLink::CmdWriteRecoil(const uint8_t* data, size_t length) {
    return ChunkedWrite({kCmdWriteRecoil, 0, 56, ChunkLock::None}, data, length);
}

Result DeviceLink::CmdReadStatus(uint8_t* out, size_t length, uint16_t offset) {
    return SinglePacket(kCmdReadStatus, nullptr, length, offset, out);
}

Result DeviceLink::CmdReadKeyBytes(uint8_t* out) {
    return ChunkedRead({kCmdReadKeyBytes, 0, chunkSize_.load(), ChunkLock::Command}, out,
                       blockSize_.load() / 3u);
}

Result DeviceLink::CmdLightingResume() { return SimpleCommand(kCmdLightingResume); }

bool DeviceLink::CmdPresenceQuery() {
    if (!receiver_.load()) return false;
    CommandPacket reply{};
    const Result exchanged = [&] {
        CommandPacket request;
        StartRequest(request, kCmdPresenceQuery);
        SealPacket(request.data());
        std::lock_guard lock(commandLock_);
        return Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }();
    return exchanged == kResultSuccess && reply[kPacketDataOffset] == 0xFF &&
           reply[kPacketStatus] != kStatusError && reply[kPacketStatus] != kStatusBusy;
}

}  // namespace qx
