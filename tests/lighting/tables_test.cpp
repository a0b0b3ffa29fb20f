#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "lighting/lighting_tables.h"

namespace qx::lighting {
namespace {

std::set<int> GridLeds() {
    std::set<int> out;
    for (const auto& column : kKeyGrid) {
        for (const std::uint8_t led : column) {
            if (led < kNoLed) out.insert(led);
        }
    }
    return out;
}

int RowOf(int led) {
    for (int c = 0; c < kGridColumns; ++c) {
        for (int r = 0; r < kGridRows; ++r) {
            if (kKeyGrid[c][r] == led) return r;
        }
    }
    return -1;
}

TEST(LightingTables, ColourWheelFollowsTheRamps) {
    EXPECT_EQ(kColourWheel[0], (Rgb{255, 1, 0}));
    EXPECT_EQ(kColourWheel[31], (Rgb{255, 255, 0}));
    EXPECT_EQ(kColourWheel[32], (Rgb{248, 255, 0}));
    EXPECT_EQ(kColourWheel[64 + 9], (Rgb{0, 255, 32}));
    EXPECT_EQ(kColourWheel[96], (Rgb{0, 248, 255}));
    EXPECT_EQ(kColourWheel[128 + 31], (Rgb{255, 0, 255}));
    EXPECT_EQ(kColourWheel[191], (Rgb{255, 0, 0}));
    for (int i = 192; i < 256; ++i) EXPECT_EQ(kColourWheel[i], kColourWheel[i - 192]) << i;
}

TEST(LightingTables, LevelCurvesMirrorTheRamp) {
    EXPECT_EQ(kBreathCurve[0], 0);
    EXPECT_EQ(kBreathCurve[63], 255);
    EXPECT_EQ(kBreathCurve[64], 255);
    EXPECT_EQ(kBreathCurve[127], 0);
    EXPECT_EQ(kWaveCurve[0], 22);
    EXPECT_EQ(kWaveCurve[47], 255);
    EXPECT_EQ(kWaveCurve[95], 22);
    EXPECT_EQ(kPulseCurve112[0], 8);
    EXPECT_EQ(kPulseCurve112[55], 255);
    EXPECT_EQ(kPulseCurve112[111], 8);
    EXPECT_EQ(kSparkCurve[16], 255);
    EXPECT_EQ(kSparkCurve[79], 1);
    EXPECT_TRUE(
        std::all_of(kSparkCurve.begin() + 80, kSparkCurve.end(), [](int v) { return v == 0; }));
    EXPECT_EQ(kRowFade[14], 80);
    EXPECT_EQ(kColumnFade[22], 0);
}

TEST(LightingTables, SpeedTableRows) {
    struct Case {
        int row;
        std::array<int, 5> head;
    } cases[] = {{0, {10, 8, 5, 3, 1}}, {15, {10, 8, 5, 3, 1}}, {16, {3, 3, 3, 3, 3}},
                 {18, {3, 3, 3, 3, 3}}, {29, {10, 8, 5, 3, 1}}, {30, {1, 0, 0, 0, 0}},
                 {34, {1, 0, 0, 0, 0}}, {40, {10, 8, 5, 3, 1}}, {45, {10, 8, 5, 3, 1}}};
    for (const Case& c : cases) {
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(kSpeedTable[c.row][i], c.head[i]) << c.row << "/" << i;
    }
}

TEST(LightingTables, LedOrderHoldsEveryKeyOnceAndTwentyTwoFillers) {
    const std::set<int> grid = GridLeds();
    ASSERT_EQ(grid.size(), 104u);
    std::multiset<int> seen;
    for (const std::uint8_t led : kLedOrder) {
        if (led != kNoLed) seen.insert(led);
    }
    EXPECT_EQ(std::count(kLedOrder.begin(), kLedOrder.end(), kNoLed), 22);
    EXPECT_EQ(seen.size(), 104u);
    EXPECT_EQ(std::set<int>(seen.begin(), seen.end()), grid);
    // Snake: the first run is the top row from right to left.
    EXPECT_EQ(kLedOrder[0], 58);
    EXPECT_EQ(kLedOrder[19], 0);
}

TEST(LightingTables, RingsSurroundLed51WithoutOverlap) {
    EXPECT_EQ(kRings[0][0], 51);
    EXPECT_EQ(std::set<int>(kRings[1].begin(), kRings[1].begin() + 6),
              (std::set<int>{30, 50, 71, 72, 52, 31}));
    std::set<int> seen;
    const std::set<int> grid = GridLeds();
    for (const auto& ring : kRings) {
        for (const std::uint8_t led : ring) {
            if (led == kNoLed) continue;
            EXPECT_TRUE(seen.insert(led).second) << "LED " << int(led) << " in two rings";
            EXPECT_TRUE(grid.count(led)) << int(led);
        }
    }
}

TEST(LightingTables, SequencesKeepTheirSizesAndRows) {
    for (int i = 0; i < kLedOrderSize; ++i) EXPECT_EQ(kFillSequence[i], kLedOrder[i]);
    for (int i = kLedOrderSize; i < kFillSequenceSize; ++i) EXPECT_EQ(kFillSequence[i], kNoLed);
    for (int i = 0; i < kDropSequenceSize; ++i) {
        const int led = kDropSequence[i];
        if (led != kNoLed) {
            EXPECT_EQ(RowOf(led), i / 22) << "place " << i;
        }
    }
    for (const auto& line : kStartLines) {
        for (const std::uint8_t led : line) {
            if (led != kNoLine) {
                EXPECT_TRUE(GridLeds().count(led)) << int(led);
            }
        }
    }
}

TEST(LightingTables, RainPicksAndColumnStart) {
    for (int i = 0; i < 126; ++i) EXPECT_LT(kRainShuffle[i], kRainLedCount);
    for (int i = 126; i < kRainShuffleSize; ++i) EXPECT_EQ(kRainShuffle[i], 0);
    std::set<int> picks(kRainShuffle.begin(), kRainShuffle.begin() + 126);
    EXPECT_EQ(picks.size(), static_cast<std::size_t>(kRainLedCount));  // every pick reachable
    for (const std::uint8_t led : kRainLeds) EXPECT_TRUE(GridLeds().count(led)) << int(led);
    for (int c = 0; c < kGridColumns; ++c) {
        for (int e = 0; e < 6; ++e) {
            const int want = kKeyGrid[c][e] == kNoLed ? kNoLine : kKeyGrid[c][e];
            EXPECT_EQ(kColumnStart[c][e], want);
        }
        EXPECT_EQ(kColumnStart[c][6], kNoLine);
    }
    for (const std::uint8_t level : kColumnStartLevels) {
        EXPECT_LT(level, 192);
        EXPECT_EQ(level % 2, 0);
    }
}

}  // namespace
}  // namespace qx::lighting
