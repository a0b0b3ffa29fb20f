// The capture program's sound path: WAV files of every supported form to mono samples at the
// capture rate, broken files refused with a reason, and samples to blocks and six values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "audio_capture/capture_blocks.h"
#include "audio_capture/wav_file.h"

namespace qx::audio_capture {
namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, uint16_t(v));
    Put16(out, uint16_t(v >> 16));
}

// A WAV file of `frames` frames of a sine at `hz` of amplitude `amplitude` (0-1) in every channel.
std::vector<uint8_t> Wav(int format, int channels, int rate, int bits, int frames, double hz,
                         double amplitude) {
    std::vector<uint8_t> data;
    for (int f = 0; f < frames; ++f) {
        const double value = amplitude * std::sin(2 * std::numbers::pi * hz * f / rate);
        for (int c = 0; c < channels; ++c) {
            if (format == 3) {
                float sample = float(value);
                uint32_t word;
                std::memcpy(&word, &sample, 4);
                Put32(data, word);
            } else if (bits == 8) {
                data.push_back(uint8_t(std::lround(value * 127) + 128));
            } else if (bits == 16) {
                Put16(data, uint16_t(int16_t(std::lround(value * 32767))));
            } else if (bits == 24) {
                const int32_t s = int32_t(std::lround(value * 8388607));
                data.push_back(uint8_t(s));
                data.push_back(uint8_t(s >> 8));
                data.push_back(uint8_t(s >> 16));
            } else {
                Put32(data, uint32_t(int32_t(std::lround(value * 2147483647.0))));
            }
        }
    }
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    Put32(out, uint32_t(36 + data.size()));
    for (char c : std::string("WAVEfmt ")) out.push_back(uint8_t(c));
    Put32(out, 16);
    Put16(out, uint16_t(format));
    Put16(out, uint16_t(channels));
    Put32(out, uint32_t(rate));
    Put32(out, uint32_t(rate * channels * bits / 8));
    Put16(out, uint16_t(channels * bits / 8));
    Put16(out, uint16_t(bits));
    for (char c : std::string("data")) out.push_back(uint8_t(c));
    Put32(out, uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

double Peak(const std::vector<int16_t>& samples) {
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
    return peak / 32767.0;
}

TEST(WavFile, EveryFormReadsAsMonoAtTheCaptureRate) {
    struct Case {
        int format, channels, rate, bits;
    };
    for (const Case& c : {Case{1, 1, 25000, 16}, Case{1, 2, 48000, 16}, Case{1, 2, 44100, 8},
                          Case{1, 1, 96000, 24}, Case{1, 6, 48000, 32}, Case{3, 2, 48000, 32}}) {
        SCOPED_TRACE(testing::Message()
                     << c.format << "/" << c.channels << "/" << c.rate << "/" << c.bits);
        const WavSound sound =
            DecodeWav(Wav(c.format, c.channels, c.rate, c.bits, c.rate, 440, 0.5));
        ASSERT_TRUE(sound.error.empty()) << sound.error;
        EXPECT_NEAR(double(sound.samples.size()), kCaptureRate, 2);  // one second
        EXPECT_NEAR(Peak(sound.samples), 0.5, 0.02);
    }
}

TEST(WavFile, BrokenFilesAreRefusedWithAReason) {
    std::vector<uint8_t> good = Wav(1, 1, 25000, 16, 100, 440, 0.5);
    std::vector<uint8_t> notRiff = good;
    notRiff[0] = 'X';
    std::vector<uint8_t> noData(good.begin(), good.begin() + 36);
    std::vector<uint8_t> adpcm = good;
    adpcm[20] = 2;
    std::vector<uint8_t> oddBits = good;
    oddBits[34] = 12;
    std::vector<uint8_t> noChannels = good;
    noChannels[22] = 0;
    std::vector<uint8_t> hugeChunk = good;
    hugeChunk[16] = 0xFF, hugeChunk[17] = 0xFF, hugeChunk[18] = 0xFF, hugeChunk[19] = 0x7F;
    for (const auto& bytes :
         {std::vector<uint8_t>{}, notRiff, noData, adpcm, oddBits, noChannels, hugeChunk}) {
        const WavSound sound = DecodeWav(bytes);
        EXPECT_FALSE(sound.error.empty());
        EXPECT_TRUE(sound.samples.empty());
    }
    // A file cut short in its data gives the sound it holds.
    std::vector<uint8_t> cut(good.begin(), good.end() - 50);
    const WavSound partial = DecodeWav(cut);
    EXPECT_TRUE(partial.error.empty()) << partial.error;
    EXPECT_EQ(partial.samples.size(), 75u);
    EXPECT_FALSE(ReadWavFile("/nonexistent/sound.wav").error.empty());
}

TEST(CaptureBlocks, SamplesGoOutInBlocksOfFiveHundredScaledDown) {
    BlockMaker maker(4);
    std::vector<int16_t> samples(1250, 32000);
    samples[500] = -32768;
    std::vector<std::vector<int32_t>> blocks;
    maker.Add(samples, [&](std::span<const int32_t> block) {
        blocks.emplace_back(block.begin(), block.end());
    });
    ASSERT_EQ(blocks.size(), 2u);  // 250 wait for the next call
    EXPECT_EQ(blocks[0].size(), 500u);
    EXPECT_EQ(blocks[0][0], 2000);
    EXPECT_EQ(blocks[1][0], -2048);
    maker.Add(std::vector<int16_t>(250, 0), [&](std::span<const int32_t> block) {
        blocks.emplace_back(block.begin(), block.end());
    });
    EXPECT_EQ(blocks.size(), 3u);

    const std::vector<uint8_t> bytes = BlockMaker::Bytes(std::vector<int32_t>{1, -2});
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(CaptureBlocks, SixValuesFollowTheLoudnessInTheColour) {
    const Colour colour{255, 128, 0};
    const auto silent = BlockMaker::SixValues(std::vector<int32_t>(500, 0), colour);
    EXPECT_EQ(silent, (std::array<int32_t, 6>{0, 0, 0, 0, 0, 0}));

    std::vector<int32_t> loud(500);
    for (int i = 0; i < 500; ++i)
        loud[i] =
            int32_t(std::lround(2047 * std::sin(2 * std::numbers::pi * 440 * i / kCaptureRate)));
    const auto values = BlockMaker::SixValues(loud, colour);
    EXPECT_EQ(values[0], 255);  // full loudness: the colour as it is
    EXPECT_EQ(values[1], 128);
    EXPECT_EQ(values[2], 0);
    EXPECT_EQ(values[3], 255);
    EXPECT_GE(values[4], 250);

    std::vector<int32_t> quiet(loud);
    for (int32_t& s : quiet) s /= 8;
    const auto softer = BlockMaker::SixValues(quiet, colour);
    EXPECT_GT(softer[0], 0);
    EXPECT_LT(softer[0], 255);
}

}  // namespace
}  // namespace qx::audio_capture
