// The simulated headset (0x0C76:0x1630): one node, interface 3, one consumer collection that
// carries the command packets (report id 0x04), the notification codes (report id 0x01) and the
// 17-byte LED output reports (report id 0xFF: side 0x22 or 0x44, block 0xAA-0xAF, then 7 values
// for LEDs 0-6 or 6 values for LEDs 7-12 of one colour channel). Its lighting block lives in
// configuration memory as the pad's does.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/packet_firmware.h"

namespace qx::sim {

class HeadsetFirmware : public PacketFirmware {
  public:
    static constexpr uint16_t kVendorId = 0x0C76;
    static constexpr uint16_t kProductId = 0x1630;
    static constexpr int kInterface = 3;
    static constexpr size_t kLedCount = 13;
    static constexpr size_t kConfigSize = 512;
    static constexpr size_t kStatusSize = 64;
    static constexpr uint8_t kMaxLedValue = 247;

    using Rgb = std::array<uint8_t, 3>;
    using LedFrame = std::array<Rgb, kLedCount>;

    HeadsetFirmware();
    HeadsetFirmware(uint16_t vendorId, uint16_t productId);

    std::vector<SimNodeSpec> Nodes() const override;

    // The LED colours last set on a side (0x22 or 0x44; any other side gives all zero).
    LedFrame Leds(uint8_t side) const;
    size_t LedReports() const;           // LED reports accepted
    size_t LedValuesAboveLimit() const;  // values above 247 seen in accepted reports

  protected:
    bool OnOtherReport(int interfaceNumber, std::span<const uint8_t> report) override;

  private:
    std::array<LedFrame, 2> sides_{};
    size_t ledReports_ = 0;
    size_t aboveLimit_ = 0;
};

}  // namespace qx::sim
