#include <gtest/gtest.h>

#include "lighting/preview_lighting.h"
#include "lighting_test_support.h"

namespace qx::lighting {
namespace {

using test::Effect;
using test::Rig;

TEST(MousePreview, ReactiveFadesToDarkWithoutPresses) {
    Rig rig;
    MouseLighting mouse(kMouseLedCount, rig.Sources());
    mouse.ApplySettings(Effect(6, true));
    mouse.Step();
    EXPECT_EQ(mouse.Frame().leds[3].level, 0);
    mouse.OnPress();
    mouse.Step();
    EXPECT_EQ(mouse.Frame().leds[3].level, 254);  // rose to 255, falls from here
    mouse.Step();
    EXPECT_EQ(mouse.Frame().leds[3].level, 255 * 240 >> 8);
    for (int i = 0; i < 20; ++i) mouse.Step();
    for (int led = 0; led < kMouseLedCount; ++led) EXPECT_EQ(mouse.Frame().leds[led].level, 0);
    EXPECT_EQ(mouse.Frame().size, kMouseLedCount);
}

TEST(MousePreview, GroupSweepMovesOneSpotAlongTheGroups) {
    Rig rig;
    MouseLighting mouse(kMouseLedCount, rig.Sources());
    mouse.ApplySettings(Effect(5, false, 4, 1));
    // Brightest group per step: the ring's spot starts at group 0 and moves up one per step.
    for (int step = 0; step < 7; ++step) {
        mouse.Step();
        int brightest = -1;
        int best = -1;
        for (int g = 0; g < kMouseGroupCount; ++g) {
            const int level = mouse.Frame().leds[kMouseLedGroups[g][0]].level;
            if (level > best) {
                best = level;
                brightest = g;
            }
        }
        EXPECT_EQ(brightest, step) << "step " << step;
        // Every member of a group shares its level, including group 6's three LEDs.
        EXPECT_EQ(mouse.Frame().leds[14].level, mouse.Frame().leds[6].level);
    }
}

TEST(MousePreview, WaveByGroups) {
    Rig rig;
    MouseLighting mouse(kMouseLedCount, rig.Sources());
    mouse.ApplySettings(Effect(0, true));
    mouse.Step();  // phase 1: group g takes wheel[2 + 7g]
    EXPECT_EQ(mouse.Frame().leds[13].green, kColourWheel[2].green);
    EXPECT_EQ(mouse.Frame().leds[7].red, kColourWheel[2 + 42].red);
}

TEST(PadPreview, EffectIdsChooseSweepsAndThePlayer) {
    Rig rig;
    PadLighting pad(kPadLedCount, rig.Sources());
    pad.ApplySettings(Effect(5));  // the effect list, here empty: off
    pad.Step();
    EXPECT_EQ(pad.Frame().leds[0].level, 0);
    pad.ApplySettings(Effect(6, false, 4, 1));  // LED sweep, not a reaction
    for (int i = 0; i < 2; ++i) pad.Step();
    EXPECT_EQ(pad.State().level[0], 255 - 40);  // lit on the second step, faded once
    EXPECT_EQ(pad.Frame().leds[0].level, 255 * 215 >> 8);
}

TEST(PadPreview, PairSweepLightsBothMembers) {
    Rig rig;
    PadLighting pad(kPadLedCount, rig.Sources());
    pad.ApplySettings(Effect(7, false, 4, 0));
    for (int i = 0; i < 6; ++i) {
        pad.Step();
        for (int p = 0; p < kPadPairCount; ++p) {
            EXPECT_EQ(pad.Frame().leds[kPadLedPairs[p][0]].level,
                      pad.Frame().leds[kPadLedPairs[p][1]].level);
        }
    }
    EXPECT_GT(pad.Frame().leds[kPadLedPairs[2][0]].level, 0);  // the spot moved towards the end
}

TEST(HeadsetPreview, ThirteenLedsAndItsOwnWave) {
    Rig rig;
    HeadsetLighting headset(rig.Sources());
    headset.ApplySettings(Effect(7, true, 4, 1));  // pair sweep: members 13 and 14 lie outside
    for (int i = 0; i < 10; ++i) headset.Step();
    EXPECT_EQ(headset.Frame().size, kHeadsetLedCount);
    EXPECT_EQ(headset.Frame().leds[13], LedRecord{});
    EXPECT_EQ(headset.Frame().leds[14], LedRecord{});
}

TEST(HeadsetPreview, WaveMovesByThreeOrByTheWheel) {
    Rig rig;
    HeadsetLighting headset(rig.Sources());
    headset.ApplySettings(Effect(0, false, 4, 0));
    headset.Step();  // phase 0 - 3 wraps to 93; LED i takes k = 93 + 10 i (mod 96)
    EXPECT_EQ(headset.State().phase, 93);
    EXPECT_EQ(headset.Frame().leds[1].level, 255 * kWaveCurve[(93 + 10) % 96] >> 8);
    headset.ApplySettings(Effect(0, true, 4, 1));
    headset.Step();  // colourful: k = phase + 1, then + 16
    EXPECT_EQ(headset.Frame().leds[2].blue, kColourWheel[headset.State().phase + 1 + 32].blue);
}

TEST(BasePreviewSteps, BreathingAndBlink) {
    Rig rig;
    PadLighting pad(kPadLedCount, rig.Sources());
    pad.ApplySettings(Effect(2, true, 4, 0));
    pad.Step();  // phase 0 - 1 -> 127; the colour index moves only when the phase is 0
    EXPECT_EQ(pad.State().phase2, 0);
    for (int i = 0; i < 127; ++i) pad.Step();
    EXPECT_EQ(pad.State().phase, 0);
    EXPECT_EQ(pad.State().phase2, 16);

    pad.ApplySettings(Effect(4, false, 4, 1, 2));  // blink every 800 ms
    pad.Step();
    EXPECT_EQ(pad.Frame().leds[0].level, 255);  // first toggle: on
    rig.clock.Advance(799);
    pad.Step();
    EXPECT_EQ(pad.Frame().leds[0].level, 255);
    rig.clock.Advance(1);
    pad.Step();
    EXPECT_EQ(pad.Frame().leds[0].level, 0);
}

}  // namespace
}  // namespace qx::lighting
