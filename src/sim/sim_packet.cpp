#include "sim/sim_packet.h"

namespace qx::sim {

uint16_t PacketChecksum(std::span<const uint8_t, kPacketSize> packet) {
    uint32_t sum = 0;
    for (size_t i = kPacketCommand; i < kPacketSize; ++i) sum += packet[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

bool PacketChecksumValid(std::span<const uint8_t, kPacketSize> packet) {
    const uint16_t sum = PacketChecksum(packet);
    return packet[kPacketChecksumLow] == (sum & 0xFF) && packet[kPacketChecksumHigh] == (sum >> 8);
}

void SealPacket(Packet& packet) {
    const uint16_t sum = PacketChecksum(packet);
    packet[kPacketChecksumLow] = static_cast<uint8_t>(sum & 0xFF);
    packet[kPacketChecksumHigh] = static_cast<uint8_t>(sum >> 8);
}

uint16_t PacketOffset(std::span<const uint8_t, kPacketSize> packet) {
    return static_cast<uint16_t>(packet[kPacketOffset] | (packet[kPacketOffset + 1] << 8));
}

Packet MakeReplyWithCommand(std::span<const uint8_t, kPacketSize> request, uint8_t command,
                            uint8_t status) {
    Packet reply{};
    reply[0] = kCommandReportId;
    reply[kPacketCommand] = command;
    reply[kPacketLength] = request[kPacketLength];
    reply[kPacketOffset] = request[kPacketOffset];
    reply[kPacketOffset + 1] = request[kPacketOffset + 1];
    reply[kPacketStatus] = status;
    return reply;
}

Packet MakeReply(std::span<const uint8_t, kPacketSize> request, uint8_t status) {
    return MakeReplyWithCommand(request, request[kPacketCommand], status);
}

}  // namespace qx::sim
