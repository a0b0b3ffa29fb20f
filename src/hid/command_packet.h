// The 64-byte command packet of the device protocol: layout, checksum and the diagnostic form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qx {

inline constexpr size_t kPacketSize = 64;
inline constexpr size_t kPacketDataOffset = 8;
inline constexpr size_t kPacketDataSize = 56;
inline constexpr uint8_t kCommandReportId = 0x04;

using CommandPacket = std::array<uint8_t, kPacketSize>;

// Byte offsets of the packet fields.
enum PacketField : size_t {
    kPacketReportId = 0,
    kPacketChecksumLow = 1,
    kPacketChecksumHigh = 2,
    kPacketCommand = 3,
    kPacketLength = 4,
    kPacketOffsetLow = 5,
    kPacketOffsetHigh = 6,
    kPacketStatus = 7,
};

// Sum of bytes 3 to 63, modulo 65536.
uint16_t PacketChecksum(const uint8_t* packet);

// Stores the checksum at bytes 1 (low) and 2 (high). Call it after every other byte is in place.
void SealPacket(uint8_t* packet);

// The 64 bytes as the two diagnostic lines of 32 bytes each.
std::string FormatPacketLines(const uint8_t* packet);

// The identity block returned by command 0x03.
struct IdentityBlock {
    static constexpr size_t kSize = 34;
    std::array<uint8_t, kSize> bytes{};

    uint8_t KeyCount() const { return bytes[5]; }
    uint8_t MacroMemoryUnits() const { return bytes[6]; }  // in 128-byte units
    uint16_t SensorCode() const { return static_cast<uint16_t>(bytes[9] | bytes[10] << 8); }
    uint8_t DpiStep() const { return bytes[11]; }
    uint16_t DpiMaximum() const { return static_cast<uint16_t>(bytes[12] | bytes[13] << 8); }
    uint16_t DpiMinimum() const { return static_cast<uint16_t>(bytes[14] | bytes[15] << 8); }
};

}  // namespace qx
