// The simulated mouse pad with lighting: interface 1 with the four collections (notification =
// 3, command = 4). No keys, macros or DPI; its lighting lives in configuration memory (the host
// reads profile p's block at p*25 and writes at p*64; the memory is flat, so both land where
// they point), it reports its power record with the phone on its charger, and it takes
// host-driven frames (0x12).
#pragma once

#include <cstdint>
#include <vector>

#include "sim/packet_firmware.h"

namespace qx::sim {

class PadFirmware : public PacketFirmware {
  public:
    // The pad has no identity in the supported-device table: a made-up product id.
    static constexpr uint16_t kVendorId = 0x3A5C;
    static constexpr uint16_t kProductId = 0x7051;
    static constexpr size_t kConfigSize = 512;
    static constexpr size_t kFrameSize = 512;
    static constexpr size_t kStatusSize = 64;

    PadFirmware();
    PadFirmware(uint16_t vendorId, uint16_t productId);

    std::vector<SimNodeSpec> Nodes() const override;
};

}  // namespace qx::sim
