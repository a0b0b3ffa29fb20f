#include "audio_capture/wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "audio_capture/capture_blocks.h"

namespace qx::audio_capture {
namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// One sample of `bits` at `p` as a value in [-1, 1].
double SampleAt(const uint8_t* p, int bits, bool isFloat) {
    if (isFloat) {
        float value;
        uint32_t word = Le32(p);
        std::memcpy(&value, &word, sizeof value);
        return std::isfinite(value) ? std::clamp(double(value), -1.0, 1.0) : 0.0;
    }
    switch (bits) {
        case 8:
            return (p[0] - 128) / 128.0;
        case 16:
            return int16_t(Le16(p)) / 32768.0;
        case 24: {
            int32_t value = p[0] | p[1] << 8 | p[2] << 16;
            if (value & 0x800000) value -= 0x1000000;
            return value / 8388608.0;
        }
        default:
            return int32_t(Le32(p)) / 2147483648.0;
    }
}

WavSound Fail(const std::string& why) {
    WavSound sound;
    sound.error = why;
    return sound;
}

}  // namespace

WavSound DecodeWav(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return Fail("not a WAV file (no RIFF/WAVE header)");
    int format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    const uint8_t* data = nullptr;
    size_t dataSize = 0;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + at;
        const size_t size = Le32(chunk + 4);
        const size_t body = at + 8;
        const size_t available = std::min(size, bytes.size() - body);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (available < 16) return Fail("the format chunk is too short");
            format = Le16(chunk + 8);
            channels = Le16(chunk + 10);
            rate = Le32(chunk + 12);
            bits = Le16(chunk + 22);
            // WAVE_FORMAT_EXTENSIBLE: the sub-format's first two bytes are the format code.
            if (format == 0xFFFE && available >= 26) format = Le16(chunk + 32);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data = chunk + 8;
            dataSize = available;  // a truncated file gives what it holds
        }
        if (size > bytes.size() - body) break;
        at = body + size + (size & 1);
    }
    const bool isFloat = format == 3 && bits == 32;
    if (format != 1 && !isFloat) return Fail("only PCM and 32-bit float WAV files are read");
    if (!isFloat && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Fail("unsupported sample size of " + std::to_string(bits) + " bits");
    if (channels < 1 || channels > 32) return Fail("unsupported channel count");
    if (rate < 1000 || rate > 384000) return Fail("unsupported sample rate");
    if (data == nullptr) return Fail("the file has no sound data");

    const size_t frameBytes = size_t(channels) * size_t(bits / 8);
    const size_t frames = dataSize / frameBytes;
    std::vector<double> mono(frames);
    for (size_t f = 0; f < frames; ++f) {
        double sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += SampleAt(data + f * frameBytes + size_t(c) * (bits / 8), bits, isFloat);
        mono[f] = sum / channels;
    }
    // Linear resampling to the capture rate: enough for lighting, which only looks at levels.
    WavSound sound;
    if (frames == 0) return sound;
    const double step = double(rate) / kCaptureRate;
    const size_t outCount = size_t(double(frames) / step);
    sound.samples.reserve(outCount);
    for (size_t i = 0; i < outCount; ++i) {
        const double position = double(i) * step;
        const size_t index = std::min(size_t(position), frames - 1);
        const size_t next = std::min(index + 1, frames - 1);
        const double fraction = position - double(index);
        const double value = mono[index] + (mono[next] - mono[index]) * fraction;
        sound.samples.push_back(
            int16_t(std::lround(std::clamp(value * 32767.0, -32768.0, 32767.0))));
    }
    return sound;
}

WavSound ReadWavFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail("cannot open " + path.string());
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    // A WAV file larger than this is not a demo or a test; keep memory bounded.
    if (bytes.size() > (size_t(1) << 30)) return Fail(path.string() + " is too large");
    WavSound sound = DecodeWav(bytes);
    if (!sound.error.empty()) sound.error = path.string() + ": " + sound.error;
    return sound;
}

}  // namespace qx::audio_capture
