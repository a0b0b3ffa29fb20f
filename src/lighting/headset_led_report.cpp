#include "lighting/headset_led_report.h"

#include <algorithm>

namespace qx::lighting {

namespace {

struct ReportSlot {
    std::uint8_t side;
    std::uint8_t block;
};

// Report order: red of both halves for each side, then green, then blue.
constexpr std::array<ReportSlot, kHeadsetReportCount> kOrder = {{
    {0x22, 0xAA},
    {0x22, 0xAD},
    {0x44, 0xAA},
    {0x44, 0xAD},
    {0x22, 0xAB},
    {0x22, 0xAE},
    {0x44, 0xAB},
    {0x44, 0xAE},
    {0x22, 0xAC},
    {0x22, 0xAF},
    {0x44, 0xAC},
    {0x44, 0xAF},
}};

std::uint8_t Value(const LightFrame& frame, int led, int channel) {
    if (led >= frame.size) return 0;
    const LedRecord& r = frame.leds[led];
    const int c = channel == 0 ? r.red : channel == 1 ? r.green : r.blue;
    return static_cast<std::uint8_t>(std::min(c * r.level / 256, int{kHeadsetValueLimit}));
}

}  // namespace

std::array<HeadsetLedReport, kHeadsetReportCount> PackHeadsetLedReports(const LightFrame& frame) {
    std::array<HeadsetLedReport, kHeadsetReportCount> reports{};
    for (int i = 0; i < kHeadsetReportCount; ++i) {
        HeadsetLedReport& report = reports[i];
        report[0] = 0xFF;
        report[1] = kOrder[i].side;
        report[2] = kOrder[i].block;
        const int block = kOrder[i].block - 0xAA;  // 0-2 first half, 3-5 second half
        const int channel = block % 3;
        const int first = block < 3 ? 0 : 7;
        const int count = block < 3 ? 7 : 6;
        for (int k = 0; k < count; ++k) report[3 + k] = Value(frame, first + k, channel);
    }
    return reports;
}

}  // namespace qx::lighting
