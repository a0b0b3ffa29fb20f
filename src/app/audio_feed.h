// The blocks the audio capture program sends the program: samples (data kind 1, at most 500
// signed 32-bit little-endian values) analysed into the 25 band levels, of which one analysis in
// three feeds the first keyboard's sound styles; and six values (kind 2, at most six) for the
// first keyboard's host-colour effect. An empty or oversized block, or another kind, is ignored.
// The counts say what arrived and what was fed (the bus shows them). UI thread.
#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

#include "lighting/audio_analyser.h"

namespace qx::lighting {
class LightingEngine;
}

namespace qx::app {

class AudioFeed {
  public:
    static constexpr int kSampleBytes = lighting::kSampleCount * 4;  // 2000
    static constexpr int kValueBytes = 6 * 4;                        // 24

    struct Counts {
        uint64_t sampleBlocks = 0;  // kind 1 taken
        uint64_t valueBlocks = 0;   // kind 2 taken
        uint64_t ignored = 0;       // empty, oversized or of another kind
        uint64_t levelFeeds = 0;    // band levels handed to a keyboard
        uint64_t valueFeeds = 0;    // six values handed to a keyboard
    };

    // A block of `kind`; `keyboard` is the first keyboard's lighting (nullptr: no keyboard).
    // False when the block is ignored.
    bool Receive(uint32_t kind, const QByteArray& data, lighting::LightingEngine* keyboard);
    const Counts& Statistics() const { return counts_; }

  private:
    lighting::AudioAnalyser analyser_;
    // The bytes last received of each kind: a shorter block leaves the rest as it was.
    std::array<char, kSampleBytes> samples_{};
    std::array<char, kValueBytes> values_{};
    Counts counts_;
};

}  // namespace qx::app
