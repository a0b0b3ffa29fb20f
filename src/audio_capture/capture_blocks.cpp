#include "audio_capture/capture_blocks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qx::audio_capture {

std::array<int32_t, 6> BlockMaker::SixValues(std::span<const int32_t> block, const Colour& colour,
                                             int gainShift) {
    if (block.empty()) return {};
    const double fullScale = 32768.0 / static_cast<double>(1 << gainShift);
    double sumSquares = 0;
    double lowSquares = 0;
    int32_t peak = 0;
    double smooth = 0;  // one-pole low pass near 300 Hz at the capture rate
    for (int32_t sample : block) {
        sumSquares += static_cast<double>(sample) * sample;
        peak = std::max(peak, std::abs(sample));
        smooth += 0.07 * (sample - smooth);
        lowSquares += smooth * smooth;
    }
    const double rms = std::sqrt(sumSquares / static_cast<double>(block.size()));
    // Music sits well below full scale: twice the RMS reads as full loudness.
    const double loudness = std::clamp(2.0 * rms / fullScale, 0.0, 1.0);
    const auto scaled = [loudness](int channel) {
        return static_cast<int32_t>(std::lround(std::clamp(channel, 0, 255) * loudness));
    };
    const double lowShare = sumSquares > 0 ? std::clamp(lowSquares / sumSquares, 0.0, 1.0) : 0.0;
    return {scaled(colour.red),
            scaled(colour.green),
            scaled(colour.blue),
            static_cast<int32_t>(std::lround(loudness * 255)),
            static_cast<int32_t>(std::lround(std::min(1.0, peak / fullScale) * 255)),
            static_cast<int32_t>(std::lround(lowShare * 255))};
}

std::vector<uint8_t> BlockMaker::Bytes(std::span<const int32_t> values) {
    std::vector<uint8_t> bytes;
    bytes.reserve(values.size() * 4);
    for (int32_t value : values) {
        const auto word = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(word >> shift));
    }
    return bytes;
}

}  // namespace qx::audio_capture
