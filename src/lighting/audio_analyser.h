// Turns the sample blocks of the audio capture program into the 25 band levels that feed the
// keyboard's sound styles.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace qx::lighting {

inline constexpr int kSampleCount = 500;
inline constexpr int kBandCount = 25;

class AudioAnalyser {
  public:
    // Copies up to 500 samples to the start of the sample buffer (the rest keeps its earlier
    // values) and analyses; true when this analysis is one to feed to the keyboard.
    bool ReceiveSamples(std::span<const std::int32_t> samples);
    // One analysis of the sample buffer; true on every third call.
    bool AnalyseSamples();

    const std::array<std::int32_t, kBandCount>& Bands() const { return bands_; }
    void Reset() { *this = AudioAnalyser{}; }

  private:
    std::array<std::int32_t, kSampleCount> samples_{};
    std::array<std::int32_t, kSampleCount> previous_{};
    std::array<std::int32_t, kBandCount> bands_{};
    std::uint32_t counter_ = 0;
};

}  // namespace qx::lighting
