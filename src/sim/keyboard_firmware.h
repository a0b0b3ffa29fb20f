// The simulated keyboard (0x3A5C:0x7031): interface 0 is its boot keyboard, interface 1 holds
// its four collections (notification = 3, command = 4). 170 key positions in its own layout,
// macro memory of 32 × 128 bytes, five profiles of 25 bytes in configuration memory after the
// current profile number at byte 0, a 512-byte frame buffer for host-driven lighting.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/keyboard_layout.h"
#include "sim/packet_firmware.h"

namespace qx::sim {

class KeyboardFirmware : public PacketFirmware {
  public:
    static constexpr uint16_t kVendorId = 0x3A5C;
    static constexpr uint16_t kProductId = 0x7031;
    static constexpr uint8_t kMacroUnits = 32;  // 4096 bytes
    static constexpr uint8_t kProfileCount = 5;
    static constexpr size_t kProfileStride =
        25;  // profile p: configuration bytes p*25+1 .. p*25+25
    static constexpr size_t kConfigSize = 256;
    static constexpr size_t kFrameSize = 512;
    static constexpr size_t kKeyMaskSize = 512;
    static constexpr size_t kStatusSize = 64;

    KeyboardFirmware();
    KeyboardFirmware(uint16_t vendorId, uint16_t productId);

    std::vector<SimNodeSpec> Nodes() const override;

    // Bytes 1-25 of profile p's block (the 25 bytes the profile owns).
    std::vector<uint8_t> ProfileBlock(uint8_t profile) const;

    // The 3-byte code at a key position.
    KeyCode KeyAt(size_t position) const;
    void SetKeyAt(size_t position, const KeyCode& code);

    // The keyboard changes profile by itself (its profile key): byte 0 of configuration
    // memory and notification 0x1000 + profile.
    void SwitchProfile(uint8_t profile);

    // Key events on the notification collection: 0x05kk key down, 0x06kk key up.
    void PressKey(uint8_t keyCode) { SendNotification(static_cast<uint16_t>(0x0500 | keyCode)); }
    void ReleaseKey(uint8_t keyCode) { SendNotification(static_cast<uint16_t>(0x0600 | keyCode)); }
};

}  // namespace qx::sim
