// Packs a headset frame into the 12 HID output reports that carry its 13 LEDs.
#pragma once

#include <array>
#include <cstdint>

#include "lighting/light_frame.h"

namespace qx::lighting {

inline constexpr int kHeadsetReportSize = 17;
inline constexpr int kHeadsetReportCount = 12;
inline constexpr std::uint8_t kHeadsetValueLimit = 247;

using HeadsetLedReport = std::array<std::uint8_t, kHeadsetReportSize>;

// Both sides get the same values; each value is channel x level / 256, at most 247. LEDs the
// frame does not have are sent as 0.
std::array<HeadsetLedReport, kHeadsetReportCount> PackHeadsetLedReports(const LightFrame& frame);

}  // namespace qx::lighting
