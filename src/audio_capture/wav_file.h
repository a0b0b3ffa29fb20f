// Reads a WAV file (PCM of 8, 16, 24 or 32 bits, or 32-bit float; any channel count) as mono
// 16-bit samples at the capture rate, for tests and demos without a sound server.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qx::audio_capture {

struct WavSound {
    std::vector<int16_t> samples;  // mono, at kCaptureRate
    std::string error;             // empty when the file was read
};

WavSound ReadWavFile(const std::filesystem::path& path);
// The same from the file's bytes.
WavSound DecodeWav(const std::vector<uint8_t>& bytes);

}  // namespace qx::audio_capture
