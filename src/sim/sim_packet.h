// The device's view of the 64-byte command packet: field offsets, the checksum it verifies and
// the reply it builds. Kept apart from the host's packet code on purpose: the simulated firmware
// must catch host mistakes, not share them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qx::sim {

inline constexpr size_t kPacketSize = 64;  // report id included
inline constexpr uint8_t kCommandReportId = 0x04;
inline constexpr size_t kPacketChecksumLow = 1;
inline constexpr size_t kPacketChecksumHigh = 2;
inline constexpr size_t kPacketCommand = 3;
inline constexpr size_t kPacketLength = 4;
inline constexpr size_t kPacketOffset = 5;  // u16, little-endian
inline constexpr size_t kPacketStatus = 7;
inline constexpr size_t kPacketData = 8;
inline constexpr size_t kPacketMaxData = kPacketSize - kPacketData;  // 56

// Status bytes the firmware answers with. 0xFF: bad checksum or a request outside the memory;
// 0xFE: a command this device does not implement.
inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusError = 0xFF;
inline constexpr uint8_t kStatusUnsupported = 0xFE;

// Command bytes the firmware models know.
namespace cmd {
inline constexpr uint8_t kBeginConfig = 0x01;
inline constexpr uint8_t kEndConfig = 0x02;
inline constexpr uint8_t kReadIdentity = 0x03;
inline constexpr uint8_t kReadConfig = 0x05;
inline constexpr uint8_t kWriteConfig = 0x06;
inline constexpr uint8_t kReadKeyTable = 0x07;
inline constexpr uint8_t kWriteKeyTable = 0x09;
inline constexpr uint8_t kWriteKeyMask = 0x0B;
inline constexpr uint8_t kStreamFrame = 0x12;
inline constexpr uint8_t kWriteMacros = 0x15;
inline constexpr uint8_t kWriteRecoil = 0x17;
inline constexpr uint8_t kReadStatus = 0x1A;
inline constexpr uint8_t kReadKeyBytes = 0x1B;
inline constexpr uint8_t kLightingResume = 0x1C;
inline constexpr uint8_t kPresence = 0xAA;  // also the receiver's "device unreachable" reply
}  // namespace cmd

using Packet = std::array<uint8_t, kPacketSize>;

// Sum of bytes 3..63 modulo 65536.
uint16_t PacketChecksum(std::span<const uint8_t, kPacketSize> packet);

// True when bytes 1-2 hold the checksum of the rest.
bool PacketChecksumValid(std::span<const uint8_t, kPacketSize> packet);

// Writes the checksum into bytes 1-2.
void SealPacket(Packet& packet);

uint16_t PacketOffset(std::span<const uint8_t, kPacketSize> packet);

// A reply to `request`: report id, echoed command, length and offset, the status, no data.
Packet MakeReply(std::span<const uint8_t, kPacketSize> request, uint8_t status);

// A reply that carries another command byte than the request (what a stray reply looks like).
Packet MakeReplyWithCommand(std::span<const uint8_t, kPacketSize> request, uint8_t command,
                            uint8_t status);

}  // namespace qx::sim
