#include "golden_digest.h"

#include <functional>
#include <memory>
#include <vector>

#include "lighting/keyboard_lighting.h"
#include "lighting/preview_lighting.h"
#include "lighting_test_support.h"

namespace qx::lighting::test {

namespace {

constexpr int kSteps = 48;

struct Digest {
    std::uint64_t value = 0xcbf29ce484222325ull;  // FNV-1a
    void Add(std::uint8_t byte) {
        value ^= byte;
        value *= 0x100000001b3ull;
    }
    void Add(const LightFrame& frame) {
        for (int i = 0; i < frame.size; ++i) {
            const LedRecord& r = frame.leds[i];
            for (const std::uint8_t b : {r.red, r.green, r.blue, r.level, r.custom}) Add(b);
        }
    }
};

// Key presses and releases on a fixed schedule, for the effects that answer keys.
void PressKeys(KeyboardLighting& engine, int step) {
    switch (step % 16) {
        case 0:
            engine.OnLedKeyEvent(51, kKeyDown);
            break;
        case 3:
            engine.OnLedKeyEvent(72, kKeyDown);
            break;
        case 6:
            engine.OnLedKeyEvent(51, kKeyUp);
            break;
        case 9:
            engine.OnLedKeyEvent(72, kKeyUp);
            break;
        case 11:
            engine.OnLedKeyEvent(5, kKeyDown);
            break;
        case 13:
            engine.OnLedKeyEvent(5, kKeyUp);
            break;
        default:
            break;
    }
}

std::uint64_t RunKeyboard(int id, bool colourful, int direction, int style) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    LightSettings s = Effect(id, colourful, 3, direction, 2);
    engine.ApplySettings(s);
    AudioLightSettings audio;
    audio.style = static_cast<std::uint8_t>(style);
    audio.background = {0, 0, 40};
    audio.foreground = {255, 60, 0};
    audio.foregroundColourful = colourful ? 1 : 0;
    engine.SetAudioLightSettings(audio);
    const std::int32_t bands[6] = {10, 200, 90, 0, 0, 0};
    engine.FeedAudioBands(bands);
    Digest d;
    for (int step = 0; step < kSteps; ++step) {
        PressKeys(engine, step);
        std::int32_t levels[25];
        for (int j = 0; j < 25; ++j) levels[j] = (step * 131 + j * 97) % 2600;
        engine.FeedAudioLevels(levels);
        rig.clock.Advance(160);
        engine.Step();
        d.Add(engine.Frame());
    }
    return d.value;
}

template <typename Engine>
std::uint64_t RunPreview(Engine& engine, Rig& rig, int id, bool colourful, int direction,
                         const std::function<void(Engine&, int)>& poke) {
    engine.ApplySettings(Effect(id, colourful, 3, direction, 2));
    Digest d;
    for (int step = 0; step < kSteps; ++step) {
        if (poke) poke(engine, step);
        rig.clock.Advance(160);
        engine.Step();
        d.Add(engine.Frame());
    }
    return d.value;
}

}  // namespace

std::map<std::string, std::uint64_t> ComputeGoldenDigests() {
    std::map<std::string, std::uint64_t> out;
    const std::vector<int> ids = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                  13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
                                  24, 26, 27, 28, 30, 40, 41, 42, 43, 44, 45};
    for (const int id : ids) {
        for (const bool colourful : {false, true}) {
            for (const int direction : {0, 1}) {
                const std::string name = "keyboard." + std::to_string(id) +
                                         (colourful ? ".c" : ".s") + ".d" +
                                         std::to_string(direction);
                out[name] = RunKeyboard(id, colourful, direction, 0);
            }
        }
    }
    for (int style = 0; style < 7; ++style) {
        for (const bool colourful : {false, true}) {
            out["sound." + std::to_string(style) + (colourful ? ".c" : ".s")] =
                RunKeyboard(29, colourful, 1, style);
        }
    }
    for (int id = 0; id <= 9; ++id) {
        for (const bool colourful : {false, true}) {
            for (const int direction : {0, 1}) {
                const std::string suffix = "." + std::to_string(id) + (colourful ? ".c" : ".s") +
                                           ".d" + std::to_string(direction);
                {
                    Rig rig;
                    MouseLighting mouse(kMouseLedCount, rig.Sources());
                    out["mouse" + suffix] = RunPreview<MouseLighting>(
                        mouse, rig, id, colourful, direction, [](MouseLighting& m, int step) {
                            if (step % 12 == 0) m.OnPress();
                        });
                }
                {
                    Rig rig;
                    PadLighting pad(kPadLedCount, rig.Sources());
                    out["pad" + suffix] =
                        RunPreview<PadLighting>(pad, rig, id, colourful, direction, {});
                }
                {
                    Rig rig;
                    HeadsetLighting headset(rig.Sources());
                    out["headset" + suffix] =
                        RunPreview<PadLighting>(headset, rig, id, colourful, direction, {});
                }
            }
        }
    }
    return out;
}

}  // namespace qx::lighting::test
