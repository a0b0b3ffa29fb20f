// The sound a WAV file gives the audio capture program (`qx580-audio --wav`) on its way to the
// keyboard: read and resampled, cut into blocks of samples (data kind 1) and six values (kind
// 2), sent as bytes, taken back by the program as its window does, analysed into the sound
// styles' band levels and drawn by the keyboard's sound effects.
// Besides the sanitizers: a file that is read has no error and one that is not has one; the six
// values are 0-255; the band levels are never negative.
// Input: a byte for the style and colour, then the WAV file's bytes.
#include <array>
#include <vector>

#include "audio_capture/capture_blocks.h"
#include "audio_capture/wav_file.h"
#include "fuzz_support.h"
#include "lighting/audio_analyser.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/lighting_module_state.h"
#include "lighting/lighting_sources.h"

using namespace qx;
using audio_capture::BlockMaker;

namespace {

// Little-endian 32-bit values of a data block, as the program's window reads them.
template <size_t N>
size_t ValuesOf(const std::vector<uint8_t>& bytes, std::array<int32_t, N>& values) {
    const size_t count = std::min(bytes.size() / 4, N);
    for (size_t i = 0; i < count; ++i)
        values[i] = int32_t(uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 |
                            uint32_t(bytes[4 * i + 2]) << 16 | uint32_t(bytes[4 * i + 3]) << 24);
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t setup = data[0];
    const std::vector<uint8_t> file(data + 1, data + size);
    const audio_capture::WavSound sound = audio_capture::DecodeWav(file);
    fuzz::Require(sound.error.empty() || sound.samples.empty(), "no sound with an error");
    // A minute of sound at most: the lighting's work per block is what is tested.
    const size_t limit = std::min<size_t>(sound.samples.size(), 60 * audio_capture::kCaptureRate);

    lighting::ManualTickSource clock{1000};
    lighting::SeededRandSource random{7};
    lighting::LightingModuleState module;
    lighting::KeyboardLighting keyboard({&clock, &random, &module});
    lighting::LightSettings settings;
    settings.effectId = (setup & 0x80) != 0 ? 30 : 29;  // sound styles, host colour
    settings.colourful = setup & 1;
    keyboard.ApplySettings(settings);
    lighting::AudioLightSettings audio;
    audio.style = static_cast<uint8_t>((setup >> 1) % 7);
    audio.foregroundColourful = (setup >> 4) & 1;
    keyboard.SetAudioLightSettings(audio);

    lighting::AudioAnalyser analyser;
    const audio_capture::Colour colour{setup, 255 - setup, (setup * 37) & 0xFF};
    BlockMaker maker(4);
    maker.Add(std::span<const int16_t>(sound.samples.data(), limit),
              [&](std::span<const int32_t> block) {
                  const std::array<int32_t, 6> six = BlockMaker::SixValues(block, colour);
                  for (int32_t value : six)
                      fuzz::Require(value >= 0 && value <= 255, "six values of 0-255");

                  std::array<int32_t, lighting::kSampleCount> samples{};
                  const size_t count = ValuesOf(BlockMaker::Bytes(block), samples);
                  if (analyser.ReceiveSamples(std::span<const int32_t>(samples.data(), count)))
                      keyboard.FeedAudioLevels(analyser.Bands());
                  for (int32_t band : analyser.Bands())
                      fuzz::Require(band >= 0, "band levels are not negative");

                  std::array<int32_t, lighting::kBandValueCount> values{};
                  const size_t sixCount = ValuesOf(BlockMaker::Bytes(six), values);
                  keyboard.FeedAudioBands(std::span<const int32_t>(values.data(), sixCount));
                  clock.Advance(20);
                  keyboard.Step();
              });
    return 0;
}
