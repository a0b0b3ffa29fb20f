#include "lighting/audio_analyser.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace qx::lighting {

bool AudioAnalyser::ReceiveSamples(std::span<const std::int32_t> samples) {
    std::copy_n(samples.begin(), std::min<std::size_t>(samples.size(), kSampleCount),
                samples_.begin());
    return AnalyseSamples();
}

bool AudioAnalyser::AnalyseSamples() {
    ++counter_;
    std::array<std::uint64_t, kSampleCount> diff{};
    for (int i = 0; i < kSampleCount; ++i) {
        diff[i] = static_cast<std::uint64_t>(
            std::llabs(static_cast<std::int64_t>(samples_[i]) - previous_[i]));
    }
    previous_ = samples_;
    for (int j = 0; j < kBandCount; ++j) {
        // Wide enough that extreme samples cannot wrap; the level stays a 32-bit value.
        const std::uint64_t sum = static_cast<std::uint64_t>(std::max(bands_[j], 0)) + diff[5 * j] +
                                  diff[5 * j + 1] + diff[5 * j + 2] + diff[5 * j + 3];
        bands_[j] = static_cast<std::int32_t>(
            std::min<std::uint64_t>(sum / 4, std::numeric_limits<std::int32_t>::max()));
    }
    if (counter_ > 2) {
        counter_ = 0;
        return true;
    }
    return false;
}

}  // namespace qx::lighting
