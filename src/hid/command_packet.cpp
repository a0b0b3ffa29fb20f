#include "hid/command_packet.h"

#include <cstdio>

namespace qx {

uint16_t PacketChecksum(const uint8_t* packet) {
    uint32_t sum = 0;
    for (size_t i = kPacketCommand; i < kPacketSize; ++i) sum += packet[i];
    return static_cast<uint16_t>(sum & 0xFFFFu);
}

void SealPacket(uint8_t* packet) {
    const uint16_t sum = PacketChecksum(packet);
    packet[kPacketChecksumLow] = static_cast<uint8_t>(sum & 0xFF);
    packet[kPacketChecksumHigh] = static_cast<uint8_t>(sum >> 8);
}

std::string FormatPacketLines(const uint8_t* packet) {
    // Groups of four bytes: three spaces after the first three groups, two after the others.
    std::string text;
    text.reserve(2 * 110);
    char hex[4];
    for (size_t line = 0; line < 2; ++line) {
        for (size_t i = 0; i < 32; ++i) {
            std::snprintf(hex, sizeof hex, "%02x", packet[line * 32 + i]);
            text += hex;
            if (i == 31) break;
            if (i % 4 != 3) {
                text += ' ';
            } else {
                text += (i / 4 < 3) ? "   " : "  ";
            }
        }
        text += '\n';
    }
    return text;
}

}  // namespace qx
