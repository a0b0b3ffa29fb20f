// The data blocks any program on the bus may send in the capture program's place (CopyData
// kinds 1 and 2): samples of any value and count analysed into band levels, and six values of
// any value, drawn by the keyboard's sound effects in every style, with and without colours
// from the colour wheel, one step after each block.
// Besides the sanitizers: the band levels are never negative.
// Input: a byte for the effect and style, then records of a kind byte (1 or 2 by its low bit),
// a length byte (in 32-bit values) and the little-endian values.
#include <array>

#include "fuzz_support.h"
#include "lighting/audio_analyser.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/lighting_module_state.h"
#include "lighting/lighting_sources.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader in(data, size);
    const uint8_t setup = in.Byte();
    lighting::ManualTickSource clock{1000};
    lighting::SeededRandSource random{7};
    lighting::LightingModuleState module;
    lighting::KeyboardLighting keyboard({&clock, &random, &module});
    lighting::LightSettings settings;
    settings.effectId = (setup & 0x80) != 0 ? 30 : 29;
    settings.colourful = setup & 1;
    settings.brightness = static_cast<uint8_t>((setup >> 5) % 5);
    keyboard.ApplySettings(settings);
    lighting::AudioLightSettings audio;
    audio.style = static_cast<uint8_t>((setup >> 1) % 7);
    audio.foregroundColourful = (setup >> 4) & 1;
    audio.background = {setup, 0, 200};
    keyboard.SetAudioLightSettings(audio);

    lighting::AudioAnalyser analyser;
    for (int record = 0; record < 64 && !in.Empty(); ++record) {
        const bool samples = (in.Byte() & 1) == 0;
        const std::string_view bytes = in.Bytes();
        std::array<int32_t, lighting::kSampleCount> values{};
        const size_t count = std::min(bytes.size() / 4, values.size());
        for (size_t i = 0; i < count; ++i) {
            uint32_t word = 0;
            for (size_t b = 0; b < 4; ++b) word |= uint32_t(uint8_t(bytes[4 * i + b])) << (8 * b);
            values[i] = static_cast<int32_t>(word);
        }
        if (samples) {
            if (analyser.ReceiveSamples(std::span<const int32_t>(values.data(), count)))
                keyboard.FeedAudioLevels(analyser.Bands());
            for (int32_t band : analyser.Bands())
                fuzz::Require(band >= 0, "band levels are not negative");
        } else {
            keyboard.FeedAudioBands(
                std::span<const int32_t>(values.data(), std::min<size_t>(count, 6)));
        }
        clock.Advance(20);
        keyboard.Step();
    }
    return 0;
}
