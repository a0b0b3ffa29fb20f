#include <gtest/gtest.h>

#include <vector>

#include "lighting/keyboard_lighting.h"
#include "lighting_test_support.h"

namespace qx::lighting {
namespace {

using test::Effect;
using test::Rig;

LedEffectRecord Record(int type, bool enabled = true, int speed = 4, bool colourful = false) {
    LedEffectRecord r;
    r.type = static_cast<std::uint8_t>(type);
    r.brightness = 2;
    r.speed = static_cast<std::uint8_t>(speed);
    r.colourful = colourful ? 1 : 0;
    r.colour = {9, 8, 7};
    r.enabled = enabled ? 1 : 0;
    return r;
}

TEST(Overlays, EachTypeOverTheFrame) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(5));  // static white-ish underneath
    std::vector<LedEffectRecord> list = {
        Record(kOverlayBreathing),
        Record(kOverlayStatic),
        Record(kOverlayBlink, true, 0),
        Record(kOverlayColourCycle, true, 4),
        Record(kOverlayOff),
        Record(kOverlayBreathing, false),
    };
    engine.SetLedEffectList(list);
    engine.Step();
    engine.ApplyOverlayPass();
    const auto& f = engine.Frame().leds;
    EXPECT_EQ(rig.module.overlay.phase[0], 8);  // speed 4 + 4
    EXPECT_EQ(f[0], (LedRecord{9, 8, 7, static_cast<std::uint8_t>(kBreathCurve[8] * 135 >> 8), 0}));
    EXPECT_EQ(f[1], (LedRecord{9, 8, 7, 135, 0}));
    // The clock stands at 1000 ms: speed-4 toggles (200 ms) have run, speed 0 (1600 ms) not.
    EXPECT_EQ(rig.module.overlay.toggle[2], 0);
    EXPECT_EQ(f[2], (LedRecord{0, 0, 0, 0, 0}));
    // Colour cycle (period 1 at speed 4): index 1, then the blink toggle's 14 on top.
    EXPECT_EQ(rig.module.overlay.colourIndex[3], 15);
    EXPECT_EQ(f[3].level, 135);
    EXPECT_EQ(f[4], (LedRecord{0, 0, 0, 0, 0}));
    EXPECT_EQ(f[5].level, 255);  // disabled breathing leaves the effect's LED alone
    EXPECT_EQ(f[6].level, 255);  // beyond the list

    rig.clock.Advance(600);
    engine.ApplyOverlayPass();
    EXPECT_EQ(engine.Frame().leds[2], (LedRecord{9, 8, 7, 135, 0}));
    rig.clock.Advance(1000);  // less than the 1600 ms since the toggle
    engine.ApplyOverlayPass();
    EXPECT_EQ(rig.module.overlay.toggle[2], 1);
    rig.clock.Advance(600);
    engine.ApplyOverlayPass();
    EXPECT_EQ(rig.module.overlay.toggle[2], 0);
    EXPECT_EQ(engine.Frame().leds[2].level, 0);
}

TEST(Overlays, BreathingWrapsAndLoadingResetsTheCounters) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    const LedEffectRecord record = Record(kOverlayBreathing, true, 4, true);
    engine.SetLedEffectList({&record, 1});
    for (int i = 0; i < 16; ++i) engine.ApplyOverlayPass();
    EXPECT_EQ(rig.module.overlay.phase[0], 0);  // 16 x 8 = 128 sets bit 7
    EXPECT_EQ(rig.module.overlay.colourIndex[0], 1 + 14);
    engine.SetLedEffectList({&record, 1});
    EXPECT_EQ(rig.module.overlay.colourIndex[0], 0);
    EXPECT_EQ(rig.module.overlay.blinkIntervalMs[0], 200u);
}

TEST(Player, EmptyListTurnsEverythingOff) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(5));
    engine.Step();
    engine.ApplySettings(Effect(0));
    engine.Step();
    EXPECT_EQ(engine.Frame().leds[51].level, 0);
}

TEST(Player, EntriesTakeTurnsByDuration) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(33));
    const std::vector<TimedEffectEntry> entries = {
        {kPlayStatic, 4, 4, 0, {1, 2, 3}, 500},
        {kPlayBlink, 4, 4, 0, {4, 5, 6}, 500},
        {kPlayRolling, 4, 0, 1, {}, 500},
    };
    engine.SetTimedEffects(entries);
    engine.Step();
    EXPECT_EQ(engine.Frame().leds[0], (LedRecord{1, 2, 3, 255, 0}));
    rig.clock.Advance(501);
    engine.Step();  // still the first entry; it has now lasted longer than its duration
    EXPECT_EQ(engine.Frame().leds[0].red, 1);
    engine.Step();  // blink: first toggle at once (clock well past 200 ms)
    EXPECT_EQ(engine.Frame().leds[0], (LedRecord{4, 5, 6, 255, 0}));
    rig.clock.Advance(501);
    engine.Step();
    engine.Step();
    // Rolling colours: LED i is 12 wheel entries further than LED i - 1.
    const int index0 = [&] {
        for (int i = 0; i < 192; ++i) {
            const LedRecord& r = engine.Frame().leds[0];
            if (kColourWheel[i] == Rgb{r.red, r.green, r.blue}) return i;
        }
        return -1;
    }();
    ASSERT_GE(index0, 0);
    const LedRecord& next = engine.Frame().leds[1];
    EXPECT_EQ((Rgb{next.red, next.green, next.blue}), kColourWheel[(index0 + 12) % 192]);
    rig.clock.Advance(501);
    engine.Step();
    engine.Step();  // back to the first entry
    EXPECT_EQ(engine.Frame().leds[0], (LedRecord{1, 2, 3, 255, 0}));
}

TEST(Player, PassCounterPacesTheEntryAndIsShared) {
    Rig rig;
    KeyboardLighting a(rig.Sources());
    KeyboardLighting b(rig.Sources());
    const TimedEffectEntry wheel{kPlayWheel, 4, 0, 1, {}, 100000};  // speed 0: every 8th pass
    for (KeyboardLighting* e : {&a, &b}) {
        e->ApplySettings(Effect(0));
        e->SetTimedEffects({&wheel, 1});
    }
    a.Step();
    const LedRecord start = a.Frame().leds[0];
    for (int i = 0; i < 3; ++i) a.Step();
    for (int i = 0; i < 3; ++i) b.Step();
    EXPECT_EQ(a.Frame().leds[0], start);
    EXPECT_EQ(rig.module.playerPasses, 7u);
    b.Step();  // the eighth pass of the two keyboards together
    EXPECT_EQ(rig.module.playerPasses, 0u);
    EXPECT_NE(b.Frame().leds[0], start);
}

}  // namespace
}  // namespace qx::lighting
