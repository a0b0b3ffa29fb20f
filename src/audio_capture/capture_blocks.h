// Turns the sound the desktop plays (mono samples at kCaptureRate) into what the program's
// audio-reactive lighting takes: blocks of 500 samples (data kind 1) and six values (kind 2).
// Plain C++, shared by the capture from the sound server and the reading of a WAV file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace qx::audio_capture {

// 500 samples at 25 kHz: one block every 20 ms, every sample sent.
inline constexpr int kCaptureRate = 25000;
inline constexpr int kBlockSamples = 500;

struct Colour {
    int red = 255, green = 255, blue = 255;  // 0-255
};

class BlockMaker {
  public:
    // `gainShift`: 16-bit samples are shifted right by it, so that loud music gives the band
    // levels near 2000 that the lighting treats as loud.
    explicit BlockMaker(int gainShift = 4) : gainShift_(gainShift) {}

    // Adds mono 16-bit samples; each complete block is handed to `block` (500 values).
    template <typename OnBlock>
    void Add(std::span<const int16_t> samples, OnBlock&& block) {
        for (int16_t sample : samples) {
            pending_.push_back(static_cast<int32_t>(sample) >> gainShift_);
            if (pending_.size() == kBlockSamples) {
                block(std::span<const int32_t>(pending_));
                pending_.clear();
            }
        }
    }

    // The six values of a block: red, green and blue of the colour at the block's loudness
    // (0-255 each), then the loudness, the peak and the low-frequency share (0-255 each).
    static std::array<int32_t, 6> SixValues(std::span<const int32_t> block, const Colour& colour,
                                            int gainShift = 4);

    // Little-endian bytes of signed 32-bit values, as the program's data kinds carry them.
    static std::vector<uint8_t> Bytes(std::span<const int32_t> values);

  private:
    int gainShift_;
    std::vector<int32_t> pending_;
};

}  // namespace qx::audio_capture
