// The command packets a simulated device received, as the bus saw them arrive, and what the
// device did with each: the reply it sent (or none), a stray reply before it, or that it left the
// bus instead of answering. Recorded from the bytes on the wire, never from the host's view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/sim_packet.h"

namespace qx::sim {

// How the packet reached the device: on its own cable, or through its 2.4 GHz receiver.
enum class Link { Cable, Receiver };

struct LoggedRequest {
    uint64_t index = 0;   // 0 for the first packet after the plug
    uint64_t timeMs = 0;  // milliseconds since the plug
    Link link = Link::Cable;
    int interfaceNumber = 0;
    Packet request{};  // all 64 bytes as they arrived
    std::thread::id writer;
    // The last command reply (report id 0x04 on the packet's interface) the device sent while it
    // handled the packet, when there was one; earlier replies in that time count as stray.
    std::optional<Packet> reply;
    size_t strayReplies = 0;
    bool unplugged = false;  // the device left the bus instead of answering

    uint8_t Command() const { return request[kPacketCommand]; }
    uint8_t Length() const { return request[kPacketLength]; }
    uint16_t Offset() const { return PacketOffset(request); }
    bool ChecksumValid() const { return PacketChecksumValid(request); }
};

struct RequestLog {
    std::vector<LoggedRequest> requests;  // in arrival order
    uint64_t dropped = 0;                 // older entries given up to the size limit
    bool plugged = false;                 // the device is on the bus now
};

// The protocol name of a command byte ("ReadIdentity"; "" for a byte without one).
std::string_view CommandName(uint8_t command);

// The log as JSON: {"device", "plugged", "dropped", "requests": [{"index", "ms", "interface"
// ("cable" or "receiver"), "command", "name", "length", "offset", "checksum_ok", "data" (hex of
// the request's data bytes), "answered", "reply_command", "status" (null when not answered),
// "stray_replies", "unplugged"}]}.
std::string RequestLogJson(std::string_view device, const RequestLog& log);

}  // namespace qx::sim
