#include <gtest/gtest.h>

#include <vector>

#include "lighting/keyboard_lighting.h"
#include "lighting_test_support.h"

namespace qx::lighting {
namespace {

using test::Effect;
using test::Rig;

int Full255(int x) { return 255 * x >> 8; }

std::vector<LightFrame> StepFrames(KeyboardLighting& engine, int steps) {
    std::vector<LightFrame> frames;
    for (int i = 0; i < steps; ++i) {
        engine.Step();
        frames.push_back(engine.Frame());
    }
    return frames;
}

TEST(KeyboardEffects, BrightnessZeroIsDarkInEveryEffect) {
    for (int id = 0; id <= 50; ++id) {
        for (const bool colourful : {false, true}) {
            Rig rig;
            KeyboardLighting engine(rig.Sources());
            engine.ApplySettings(Effect(id, colourful, 0));
            AudioLightSettings audio;
            audio.background = {10, 20, 30};
            for (int style = 0; style < 7; ++style) {
                audio.style = static_cast<std::uint8_t>(style);
                engine.SetAudioLightSettings(audio);
                for (int i = 0; i < 12; ++i) {
                    const std::vector<std::int32_t> levels(25, 1500 + 100 * i);
                    engine.FeedAudioLevels(levels);
                    const std::int32_t bands[6] = {255, 255, 255, 0, 0, 0};
                    engine.FeedAudioBands(bands);
                    engine.OnLedKeyEvent(51, i % 2 == 0 ? kKeyDown : kKeyUp);
                    rig.clock.Advance(400);
                    engine.Step();
                    for (int led = 0; led < kMaxLeds; ++led) {
                        ASSERT_EQ(engine.Frame().leds[led].level, 0)
                            << "effect " << id << " style " << style << " LED " << led;
                    }
                }
                if (id != 29) break;
            }
        }
    }
}

TEST(KeyboardEffects, ColumnWaveRepeatsAfterItsPeriod) {
    for (const bool colourful : {false, true}) {
        Rig rig;
        KeyboardLighting engine(rig.Sources());
        engine.ApplySettings(Effect(1, colourful));
        const int period = colourful ? 192 : 96;
        const auto frames = StepFrames(engine, 2 * period + 1);
        for (int s = 0; s <= period; ++s) EXPECT_EQ(frames[s], frames[s + period]) << s;
        EXPECT_NE(frames[0], frames[period / 2]);
        EXPECT_NE(frames[0], frames[1]);
    }
}

TEST(KeyboardEffects, ColumnWaveDirectionReversesTheTravel) {
    Rig rigA;
    Rig rigB;
    KeyboardLighting forward(rigA.Sources());
    KeyboardLighting backward(rigB.Sources());
    forward.ApplySettings(Effect(1, false, 4, 1));
    backward.ApplySettings(Effect(1, false, 4, 0));
    const auto f = StepFrames(forward, 96);   // f[s] shows phase s + 1
    const auto b = StepFrames(backward, 96);  // b[s] shows phase 95 - s
    for (int s = 0; s < 94; ++s) EXPECT_EQ(b[s], f[94 - s]) << s;
}

TEST(KeyboardEffects, RingsPulseIgnoresTheColourSettings) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(3, true));
    for (int i = 0; i < 60; ++i) {
        engine.Step();
        for (const auto& ring : kRings) {
            for (const std::uint8_t led : ring) {
                if (led == kNoLed) continue;
                const LedRecord& r = engine.Frame().leds[led];
                ASSERT_EQ((Rgb{r.red, r.green, r.blue}), (Rgb{0, 180, 255}));
            }
        }
    }
}

bool IsWheelColour(const LedRecord& r) {
    for (int i = 0; i < 192; ++i) {
        if (kColourWheel[i] == Rgb{r.red, r.green, r.blue}) return true;
    }
    return false;
}

TEST(KeyboardEffects, ColourfulFlagExceptions) {
    for (const int id : {41, 42}) {
        Rig rig;
        KeyboardLighting engine(rig.Sources());
        engine.ApplySettings(Effect(id, false));
        StepFrames(engine, 5);
        for (const int led : test::GridLedsOfRows(0, 5)) {
            ASSERT_TRUE(IsWheelColour(engine.Frame().leds[led])) << id << " " << led;
        }
    }
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(18, true));
    StepFrames(engine, 5);
    for (const int led : test::GridLedsOfRows(0, 5)) {
        const LedRecord& r = engine.Frame().leds[led];
        ASSERT_EQ((Rgb{r.red, r.green, r.blue}), (Rgb{200, 100, 50})) << led;
    }
}

TEST(KeyboardEffects, StartUpOperations) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(15));
    EXPECT_EQ(engine.State().level[kKeyGrid[4][2]], kColumnStartLevels[4 * 6 + 2]);
    EXPECT_EQ(engine.State().hue[kKeyGrid[4][2]], 28);

    engine.ApplySettings(Effect(20));
    // Column 0: a = 192 - 0, then (a - 35) mod 192 per row: 157, 122, 87, 52, 17, 174.
    EXPECT_EQ(engine.State().timer[84], 17);
    EXPECT_EQ(engine.State().timer[105], 174);
    EXPECT_EQ(engine.State().hue[kKeyGrid[3][0]], 18);

    engine.ApplySettings(Effect(14));
    EXPECT_EQ(engine.State().masks.UnionAt(9), 0x40);
    engine.ApplySettings(Effect(22));
    EXPECT_EQ(engine.State().masks.UnionAt(1), 0x01);
    EXPECT_EQ(engine.State().masks.UnionAt(9), 0);

    engine.ApplySettings(Effect(2));
    for (int i = 0; i < kMaxLeds; ++i) ASSERT_EQ(engine.State().hue[i], 33 * (i + 1) % 192);

    engine.ApplySettings(Effect(18));
    std::array<int, kMaxLeds> want{};
    int v = 0;
    for (int i = 0; i < kLedOrderSize; ++i) {
        v = (v + 7) % 112;
        const int led = kLedOrder[kRainShuffle[i]];
        if (led != kNoLed) want[led] = v;
    }
    for (int led = 0; led < kMaxLeds; ++led) EXPECT_EQ(rig.module.staggeredPhase[led], want[led]);
}

TEST(KeyboardEffects, CustomColoursReloadOnEveryApply) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    std::vector<CustomColour> colours(kMaxLeds);
    colours[7] = {{1, 2, 3}, 1};
    engine.SetCustomColours(colours);
    engine.ApplySettings(Effect(21, false, 2));
    engine.Step();
    EXPECT_EQ(engine.Frame().leds[7], (LedRecord{1, 2, 3, 135, 1}));
    engine.Frame().leds[7].red = 99;             // the frame drifts ...
    engine.ApplySettings(Effect(21, false, 2));  // ... the same id loads the colours again
    EXPECT_EQ(engine.Frame().leds[7].red, 1);
    engine.SetCustomColour(8);
    EXPECT_EQ(engine.Frame().leds[8].custom, 1);
    EXPECT_EQ(engine.Frame().leds[8].green, 100);
}

TEST(KeyboardEffects, RippleSurvivesReselectingTheSameEffectOnly) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(9));
    engine.OnLedKeyEvent(51, kKeyDown);
    StepFrames(engine, 3);
    const auto levels = engine.State().level;
    ASSERT_NE(levels[51], 0);
    engine.ApplySettings(Effect(9));
    EXPECT_EQ(engine.State().level, levels);
    engine.ApplySettings(Effect(16));
    engine.ApplySettings(Effect(9));
    EXPECT_EQ(engine.State().level, (std::array<std::uint8_t, kMaxLeds>{}));
    EXPECT_TRUE(engine.State().masks.Empty());
}

TEST(KeyboardEffects, WholeKeyboardValues) {
    struct Case {
        int id;
        int led;
        Rgb colour;
        int level;
    } cases[] = {
        {5, 51, {200, 100, 50}, 255},
        {7, kKeyGrid[3][1], {200, 100, 50}, Full255(kColumnFade[3])},
        {28, 51, {0, 0, 0}, 0},
        {40, 51, kColourWheel[1], 255},
        {45, 51, kColourWheel[174], 255},
    };
    for (const Case& c : cases) {
        Rig rig;
        KeyboardLighting engine(rig.Sources());
        engine.ApplySettings(Effect(c.id));
        engine.Step();
        const LedRecord& r = engine.Frame().leds[c.led];
        EXPECT_EQ((Rgb{r.red, r.green, r.blue}), c.colour) << c.id;
        EXPECT_EQ(r.level, c.level) << c.id;
    }
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    LightSettings s = Effect(5, true);
    engine.ApplySettings(s);
    engine.Step();
    EXPECT_EQ(engine.Frame().leds[51].red, kColourWheel[138].red);
    EXPECT_EQ(engine.Frame().leds[kRings[11][0]].blue, kColourWheel[6].blue);
    s = Effect(45);
    s.presetColour = 2;
    engine.ApplySettings(s);
    engine.Step();
    EXPECT_EQ(engine.Frame().leds[3].green, kColourWheel[70].green);
    engine.ApplySettings(Effect(30));
    const std::int32_t bands[6] = {300, -5, 77, 1, 2, 3};
    engine.FeedAudioBands(bands);
    engine.Step();
    EXPECT_EQ(engine.Frame().leds[0], (LedRecord{255, 0, 77, 255, 0}));
}

TEST(KeyboardEffects, RowFadeWaveAndFill) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(19));
    engine.Step();  // phase 1: row 0 uses k = 2, then 6, 10, 14, 18, 22
    EXPECT_EQ(engine.Frame().leds[kKeyGrid[2][0]].level, Full255(kRowFade[2]));
    EXPECT_EQ(engine.Frame().leds[kKeyGrid[2][1]].level, Full255(kRowFade[6]));
    EXPECT_EQ(engine.Frame().leds[kKeyGrid[2][4]].level, Full255(kRowFade[18]));
    EXPECT_EQ(engine.Frame().leds[kKeyGrid[2][5]].level, Full255(kRowFade[22]));

    engine.ApplySettings(Effect(24, false, 4, 1));
    engine.Step();
    EXPECT_EQ(engine.State().level[kFillSequence[0]], 214);  // 254, then one fade
    engine.ApplySettings(Effect(24, false, 4, 0));
    for (int i = 0; i < 400; ++i) engine.Step();  // backward from 170 to 0 and round again
    EXPECT_LE(engine.State().phase, 170);
}

TEST(KeyboardEffects, ScriptsRunThroughEveryStateAndStartOver) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(13));
    std::set<int> states;
    int steps = 0;
    bool looped = false;
    while (steps < 3000 && !looped) {
        engine.Step();
        ++steps;
        states.insert(engine.State().scriptState);
        looped = states.size() == 7 && engine.State().scriptState == 0;
    }
    EXPECT_TRUE(looped) << "scripted show stalled in state " << int(engine.State().scriptState);

    engine.ApplySettings(Effect(43));
    states.clear();
    looped = false;
    for (steps = 0; steps < 3000 && !looped; ++steps) {
        engine.Step();
        states.insert(engine.State().sweepState);
        looped = states.size() == 5 && engine.State().sweepState == 0;
    }
    EXPECT_TRUE(looped) << "sweep stalled in state " << int(engine.State().sweepState);
}

TEST(KeyboardEffects, RainAndSparksLightOnlyKeys) {
    const std::set<int> keys = test::GridLedsOfRows(0, 5);
    for (const int id : {15, 17, 20, 14, 16, 22}) {
        Rig rig;
        KeyboardLighting engine(rig.Sources());
        engine.ApplySettings(Effect(id, true));
        for (int i = 0; i < 200; ++i) {
            engine.Step();
            for (int led = 0; led < kMaxLeds; ++led) {
                if (engine.Frame().leds[led].level != 0) {
                    ASSERT_TRUE(keys.count(led)) << id << " " << led;
                }
            }
        }
    }
}

}  // namespace
}  // namespace qx::lighting
