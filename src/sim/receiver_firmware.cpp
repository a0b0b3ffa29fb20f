#include "sim/receiver_firmware.h"

#include <algorithm>

namespace qx::sim {

ReceiverFirmware::ReceiverFirmware(std::shared_ptr<PacketFirmware> device, uint16_t vendorId,
                                   uint16_t productId, int commandInterface)
    : device_(std::move(device)),
      vendorId_(vendorId),
      productId_(productId),
      commandInterface_(commandInterface) {
    // What the device sends reaches the host only while the radio link is up. The relay must not
    // take the receiver's lock: the device may emit while the receiver hands it a packet.
    device_->SetReportSink([this](int interfaceNumber, std::span<const uint8_t> report) {
        if (online_.load()) Emit(interfaceNumber, report);
    });
    device_->SetUnplugHandler([this] { RequestUnplug(); });
}

ReceiverFirmware::~ReceiverFirmware() {
    device_->SetReportSink({});
    device_->SetUnplugHandler({});
}

void ReceiverFirmware::Reply(const Packet& reply) {
    Packet sealed = reply;
    SealPacket(sealed);
    Emit(commandInterface_, sealed);
}

void ReceiverFirmware::OnOutputReport(int interfaceNumber, std::span<const uint8_t> report) {
    std::lock_guard lock(mutex_);
    if (interfaceNumber != commandInterface_ || report.size() != kPacketSize ||
        report[0] != kCommandReportId) {
        if (!online_.load()) return;  // nothing reaches a device that is off
        device_->OnOutputReport(interfaceNumber, report);
        return;
    }
    Packet request;
    std::copy(report.begin(), report.end(), request.begin());
    const uint8_t command = request[kPacketCommand];
    if (!PacketChecksumValid(request)) {
        Reply(MakeReply(request, kStatusError));
        return;
    }
    if (command == cmd::kPresence) {
        ++presenceQueries_;
        Packet reply = MakeReply(request, kStatusOk);
        reply[kPacketData] = online_.load() ? 0xFF : 0x00;
        Reply(reply);
        return;
    }
    if (!online_.load()) {
        ++unreachable_;
        Reply(MakeReplyWithCommand(request, cmd::kPresence, kStatusOk));
        return;
    }
    if (command != cmd::kWriteRecoil && request[kPacketLength] > kRadioChunk) {
        Reply(MakeReply(request, kStatusError));
        return;
    }
    device_->OnOutputReport(interfaceNumber, report);
}

size_t ReceiverFirmware::PresenceQueries() const {
    std::lock_guard lock(mutex_);
    return presenceQueries_;
}

size_t ReceiverFirmware::UnreachableReplies() const {
    std::lock_guard lock(mutex_);
    return unreachable_;
}

}  // namespace qx::sim
