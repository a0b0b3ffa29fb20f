// The simulated mouse: interface 0 is its boot mouse, interface 1 holds the four collections
// (notification = 3, command = 4). 16 key positions holding the 11 logical buttons in the
// mouse's own order (the other positions hold 00 00 00), identity with sensor code and DPI
// scale, five 128-byte profile blocks after the current profile number at byte 0, macro memory
// of 16 × 128 bytes and a 4096-byte recoil memory (command 0x17).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/packet_firmware.h"

namespace qx::sim {

class MouseFirmware : public PacketFirmware {
  public:
    // The mouse has no identity in the supported-device table: a made-up product id.
    static constexpr uint16_t kVendorId = 0x3A5C;
    static constexpr uint16_t kProductId = 0x7041;
    static constexpr size_t kKeyCount = 16;
    static constexpr uint8_t kMacroUnits = 16;
    static constexpr uint8_t kProfileCount = 5;
    static constexpr size_t kProfileStride = 128;
    static constexpr size_t kConfigSize = kProfileCount * kProfileStride;
    static constexpr size_t kRecoilSize = 4096;
    static constexpr size_t kFrameSize = 512;
    static constexpr size_t kStatusSize = 64;

    // The sensor's DPI scale as the identity block reports it.
    struct Sensor {
        uint16_t code = 0x3395;
        uint8_t dpiStep = 100;       // DPI per slider step
        uint16_t dpiMaxSteps = 260;  // slider maximum
        uint16_t dpiMin = 100;       // DPI at step 0
    };
    // The sensor whose code selects the coarse DPI scale above 48 steps.
    static Sensor CoarseSensor() { return Sensor{0x3325, 100, 60, 200}; }

    MouseFirmware();
    explicit MouseFirmware(const Sensor& sensor, uint16_t vendorId = kVendorId,
                           uint16_t productId = kProductId);

    std::vector<SimNodeSpec> Nodes() const override;

    // Position of logical button 0-10 in the mouse's key table.
    static size_t PositionOfButton(size_t button);
    // Factory code (type, value, parameter) of logical button 0-10.
    static std::array<uint8_t, 3> FactoryButtonCode(size_t button);

    // Bytes 0-127 of profile p's block as stored (byte 0 is memory byte p*128).
    std::vector<uint8_t> ProfileBlock(uint8_t profile) const;

    // Notifications the mouse sends by itself: 0x1000 + profile after its profile button;
    // 0x1100 + stage*16 + profile after its DPI button (also stored at byte 12 of the block);
    // 0x0403 for a button press.
    void SwitchProfile(uint8_t profile);
    void SwitchDpiStage(uint8_t stage);
    void PressButton() { SendNotification(0x0403); }
};

}  // namespace qx::sim
