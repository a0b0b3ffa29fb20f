// Raw command packets for the firmware tests, built byte by byte here (not with the host's
// packet code), and a recorder of what a firmware sends.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

#include "sim/sim_firmware.h"
#include "sim/sim_packet.h"

namespace qx::sim::test {

// A request: report id 4, command, length, offset, data; checksum over bytes 3-63 at 1-2.
Packet Request(uint8_t command, uint8_t length = 0, uint16_t offset = 0,
               std::span<const uint8_t> data = {});

struct Emitted {
    int interfaceNumber;
    std::vector<uint8_t> report;
};

// Becomes the firmware's report sink.
class Recorder {
  public:
    explicit Recorder(SimFirmware& firmware);
    std::vector<Emitted> Take();

  private:
    std::mutex mutex_;
    std::vector<Emitted> emitted_;
};

// Sends one request to the command interface and returns what came back.
std::vector<Emitted> Send(SimFirmware& firmware, Recorder& recorder, const Packet& request,
                          int interfaceNumber = 1);

// Reads `length` bytes of a region through `command` in chunks of `chunk` bytes; false when a
// packet is not answered with the same command and status 0.
bool ChunkedRead(SimFirmware& firmware, Recorder& recorder, uint8_t command, size_t length,
                 size_t chunk, std::vector<uint8_t>& out, int interfaceNumber = 1);

// Writes data through `command` at `base` in chunks; false as above.
bool ChunkedWrite(SimFirmware& firmware, Recorder& recorder, uint8_t command,
                  std::span<const uint8_t> data, size_t chunk, uint16_t base = 0,
                  int interfaceNumber = 1);

}  // namespace qx::sim::test
