#include <gtest/gtest.h>

#include "lighting/headset_led_report.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/preview_lighting.h"
#include "lighting/sync_lighting.h"
#include "lighting_test_support.h"

namespace qx::lighting {
namespace {

TEST(HeadsetLedReports, OrderValuesAndLimit) {
    LightFrame frame;
    frame.size = kHeadsetLedCount;
    for (int i = 0; i < 13; ++i) {
        frame.leds[i] = {static_cast<std::uint8_t>(10 * i), 255, static_cast<std::uint8_t>(i),
                         static_cast<std::uint8_t>(i == 0 ? 255 : 128), 0};
    }
    const auto reports = PackHeadsetLedReports(frame);
    const std::uint8_t order[12][2] = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD},
                                       {0x22, 0xAB}, {0x22, 0xAE}, {0x44, 0xAB}, {0x44, 0xAE},
                                       {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(reports[i][0], 0xFF);
        EXPECT_EQ(reports[i][1], order[i][0]) << i;
        EXPECT_EQ(reports[i][2], order[i][1]) << i;
        for (int b = 10; b < 17; ++b) EXPECT_EQ(reports[i][b], 0) << i << "/" << b;
    }
    EXPECT_EQ(reports[4][3], 247);  // green 255 x level 255 / 256 = 254, limited
    EXPECT_EQ(reports[4][4], 127);  // 255 x 128 / 256
    EXPECT_EQ(reports[0][5], 10);   // red of LED 2: 20 x 128 / 256
    EXPECT_EQ(reports[1][3], 35);   // red of LED 7: 70 x 128 / 256
    EXPECT_EQ(reports[9][8], 6);    // blue of LED 12
    EXPECT_EQ(reports[9][9], 0);    // not part of a six-value block
    EXPECT_EQ(reports[2], (HeadsetLedReport{reports[0][0], 0x44, 0xAA, reports[0][3], reports[0][4],
                                            reports[0][5], reports[0][6], reports[0][7],
                                            reports[0][8], reports[0][9]}));
}

TEST(HeadsetLedReports, ShortFrameSendsZeros) {
    LightFrame frame;
    frame.size = 3;
    frame.leds[5] = {255, 255, 255, 255, 0};
    const auto reports = PackHeadsetLedReports(frame);
    EXPECT_EQ(reports[0][3 + 5], 0);
}

TEST(SyncLighting, Steps) {
    test::Rig rig;
    SyncLighting sync(&rig.clock, &rig.module);
    SyncSettings s;
    s.brightness = 4;
    s.colour = {1, 2, 3};
    s.effect = kSyncStatic;
    EXPECT_EQ(sync.Step(s), 0xFF030201u);
    s.effect = kSyncOff;
    EXPECT_EQ(sync.Step(s), 0u);
    s.effect = kSyncColourCycle;
    const Rgb c1 = kColourWheel[1];
    EXPECT_EQ(sync.Step(s), 0xFF000000u | c1.blue << 16 | c1.green << 8 | c1.red);

    s.effect = kSyncBreathing;
    s.direction = 1;
    s.colourful = 1;
    const std::uint32_t first = sync.Step(s);  // phase 1: below 2, the index moves by 16
    EXPECT_EQ(rig.module.sync.colourIndex, 17);
    EXPECT_EQ(first >> 24, 255u * kBreathCurve[1] >> 8);
    sync.Step(s);
    EXPECT_EQ(rig.module.sync.colourIndex, 17);

    s.effect = kSyncBlink;
    s.speed = 4;  // the first row's entry for speed 4: 7 x 200 ms
    s.colourful = 0;
    EXPECT_EQ(sync.Step(s), 0u);  // 1000 ms since the start: not yet
    rig.clock.Advance(400);
    EXPECT_EQ(sync.Step(s), 0xFF030201u);
    rig.clock.Advance(1399);
    EXPECT_EQ(sync.Step(s), 0xFF030201u);
    rig.clock.Advance(1);
    EXPECT_EQ(sync.Step(s), 0u);
    EXPECT_EQ(SyncStepThreshold(s), 7);
}

TEST(SyncLighting, EffectMapping) {
    EXPECT_EQ(SyncEffectForDevice(1, 23, 0), std::optional<std::uint8_t>(2));
    EXPECT_EQ(SyncEffectForDevice(1, 1, 3), std::nullopt);
    EXPECT_EQ(SyncEffectForDevice(2, 9, 0), std::optional<std::uint8_t>(4));
    EXPECT_EQ(SyncEffectForDevice(7, 8, 0), std::optional<std::uint8_t>(4));
    EXPECT_EQ(SyncEffectForDevice(9, 99, 3), std::optional<std::uint8_t>(3));
    EXPECT_EQ(FamilyEffectForSync(SyncFamily::Keyboards, 3), 40);
    EXPECT_EQ(FamilyEffectForSync(SyncFamily::Mice, 4), 9);
    EXPECT_EQ(FamilyEffectForSync(SyncFamily::PadsAndHeadsets, 4), 8);
}

TEST(SyncLighting, EngineTakesTheOneColour) {
    test::Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.SetAllLeds(0x80112233u);
    LightFrame read;
    EXPECT_EQ(engine.ReadFrame(read), 1u);
    EXPECT_EQ(read.leds[169], (LedRecord{0x33, 0x22, 0x11, 0x80, 0}));
}

}  // namespace
}  // namespace qx::lighting
