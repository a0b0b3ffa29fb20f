#include <gtest/gtest.h>

#include "lighting/keyboard_lighting.h"
#include "lighting/preview_lighting.h"
#include "lighting/step_phase.h"
#include "lighting_test_support.h"

namespace qx::lighting {
namespace {

TEST(StepPhase, WrapsBothWays) {
    struct Case {
        int direction, period, value, step, want;
    } cases[] = {
        {0, 192, 0, 1, 191}, {1, 192, 191, 1, 0}, {1, 96, 94, 1, 95},   {1, 96, 150, 1, 0},
        {0, 96, 150, 1, 95}, {0, 128, 5, 1, 4},   {0, 192, 5, 20, 172}, {1, 25, 24, 1, 0},
        {1, 192, 250, 1, 0}, {0, 96, 0, 3, 93},   {1, 192, 7, 0, 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StepPhase(static_cast<std::uint8_t>(c.direction), c.period,
                            static_cast<std::uint8_t>(c.value), static_cast<std::uint8_t>(c.step)),
                  c.want)
            << c.direction << " " << c.period << " " << c.value << " " << c.step;
    }
}

TEST(StepDecay, ThreeProfiles) {
    struct Case {
        int level, profile, want;
    } cases[] = {
        {17, 5, 9},    {16, 5, 15},    {0, 5, 0},     {1, 0, 0},    {255, 0, 215}, {255, 29, 210},
        {255, 9, 215}, {143, 29, 103}, {127, 29, 92}, {127, 0, 97}, {111, 29, 81}, {95, 29, 70},
        {79, 29, 59},  {79, 9, 49},    {63, 0, 48},   {63, 29, 53}, {63, 9, 53},   {31, 29, 26},
        {31, 0, 23},   {32, 0, 17},    {144, 29, 99}, {128, 9, 88},
    };
    test::Rig rig;
    KeyboardLighting engine(rig.Sources());
    for (const Case& c : cases) {
        engine.State().level[5] = static_cast<std::uint8_t>(c.level);
        EXPECT_EQ(engine.StepDecay(5, c.profile), c.want) << c.level << " profile " << c.profile;
    }
}

TEST(StepThresholds, KeyboardRowsAndPreviewRows) {
    EXPECT_EQ(KeyboardStepThreshold(1, 4), 1);
    EXPECT_EQ(KeyboardStepThreshold(1, 0), 10);
    EXPECT_EQ(KeyboardStepThreshold(16, 2), 3);
    EXPECT_EQ(KeyboardStepThreshold(26, 1), kSpeedTable[6][1]);
    EXPECT_EQ(KeyboardStepThreshold(27, 3), kSpeedTable[23][3]);
    EXPECT_EQ(KeyboardStepThreshold(29, 0), 2);
    EXPECT_EQ(KeyboardStepThreshold(30, 4), 0);
    EXPECT_EQ(KeyboardStepThreshold(44, 0), 10);
    for (const int id : {0, 11, 12, 25, 31, 35, 46, 200})
        EXPECT_EQ(KeyboardStepThreshold(id, 4), -1) << id;
    for (int speed = 0; speed < 5; ++speed) {
        EXPECT_EQ(MouseStepThreshold(5, speed), (std::array{16, 12, 8, 4, 2})[speed]);
        EXPECT_EQ(MouseStepThreshold(2, speed), (std::array{8, 6, 4, 2, 1})[speed]);
        EXPECT_EQ(PadStepThreshold(6, speed), (std::array{8, 6, 4, 2, 1})[speed]);
    }
    EXPECT_EQ(MouseStepThreshold(10, 4), -1);
    EXPECT_EQ(PadStepThreshold(5, 4), -1);  // the pad plays the effect list for id 5
}

// Counts the steps of a colour cycle (one phase per step) over a number of passes.
int StepsOverPasses(int speed, int passes, std::uint32_t msPerPass) {
    test::Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(test::Effect(40, false, 4, 1, speed));
    for (int i = 0; i < passes; ++i) {
        rig.clock.Advance(msPerPass);
        engine.Pass();
    }
    return engine.State().phase;
}

TEST(StepThresholds, PassesRunStepsAtTheTableRate) {
    EXPECT_EQ(StepsOverPasses(4, 50, kDefaultTickMs), 50);  // every counted tick
    EXPECT_EQ(StepsOverPasses(0, 50, kDefaultTickMs), 5);   // every tenth
    EXPECT_EQ(StepsOverPasses(4, 50, 1), 3);                // a tick needs 16 ms of the clock
}

TEST(StepThresholds, EffectWithoutStepPlaysTheListOnEveryPass) {
    test::Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(test::Effect(0, false, 4, 1, 0));
    const TimedEffectEntry entry{kPlayWheel, 4, 4, 1, {}, 100000};
    engine.SetTimedEffects({&entry, 1});
    for (int i = 0; i < 5; ++i) engine.Pass();  // no clock movement, no counted tick
    EXPECT_EQ(engine.Frame().leds[0].level, 255);
    EXPECT_EQ(rig.module.playerPasses, 0u);  // speed 4: the wheel moves on every pass
}

}  // namespace
}  // namespace qx::lighting
