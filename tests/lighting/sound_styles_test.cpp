#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "lighting/keyboard_lighting.h"
#include "lighting_test_support.h"

namespace qx::lighting {
namespace {

using test::Effect;
using test::Rig;

constexpr Rgb kBackground{10, 20, 30};
constexpr Rgb kForeground{200, 0, 100};

struct SoundRig {
    Rig rig;
    KeyboardLighting engine{rig.Sources()};
    explicit SoundRig(int style) {
        engine.ApplySettings(Effect(29));
        AudioLightSettings audio;
        audio.style = static_cast<std::uint8_t>(style);
        audio.background = kBackground;
        audio.foreground = kForeground;
        engine.SetAudioLightSettings(audio);
    }
    // Feeds one level in every band and runs a step; returns the LEDs lit by it (L = 255).
    std::set<int> StepWith(std::int32_t level) {
        const std::vector<std::int32_t> levels(25, level);
        engine.FeedAudioLevels(levels);
        engine.Step();
        return test::FullLevels(engine);
    }
};

std::set<int> Cells(std::initializer_list<std::pair<int, int>> colsRows) {
    std::set<int> out;
    for (const auto& [c, r] : colsRows) {
        if (kKeyGrid[c][r] < kNoLed) out.insert(kKeyGrid[c][r]);
    }
    return out;
}

std::set<int> RowColumns(int row, int firstCol, int lastCol) {
    std::set<int> out;
    for (int c = firstCol; c <= lastCol; ++c) {
        if (kKeyGrid[c][row] < kNoLed) out.insert(kKeyGrid[c][row]);
    }
    return out;
}

std::set<int> Union(std::initializer_list<std::set<int>> sets) {
    std::set<int> out;
    for (const auto& s : sets) out.insert(s.begin(), s.end());
    return out;
}

TEST(SoundStyles, SilenceLightsAlmostNothing) {
    for (int style = 0; style < 7; ++style) {
        SoundRig r(style);
        const std::set<int> want = style == 6 ? Cells({{0, 1}, {0, 3}, {0, 5}}) : std::set<int>{};
        EXPECT_EQ(r.StepWith(0), want) << "style " << style;
        EXPECT_TRUE(r.engine.State().masks.Empty());
        if (style == 0 || style == 5) {  // unlit cells show the background at full level
            const LedRecord& led = r.engine.Frame().leds[51];
            EXPECT_EQ((Rgb{led.red, led.green, led.blue}), kBackground);
            EXPECT_EQ(led.level, 255);
        }
    }
}

TEST(SoundStyles, ConstantLevel2000) {
    const std::set<int> all = test::GridLedsOfRows(0, 5);
    {
        SoundRig r(0);
        EXPECT_EQ(r.StepWith(2000), test::GridLedsOfRows(1, 5));
        const LedRecord& led = r.engine.Frame().leds[51];
        EXPECT_EQ((Rgb{led.red, led.green, led.blue}), kForeground);
    }
    {
        SoundRig r(3);
        EXPECT_EQ(r.StepWith(2000), all);
    }
    {
        // Sums of 2, 3, 3, 4, 5 and 7 levels over 3: only the groups of three reach a headroom
        // of 0 (columns 0-20); the larger groups count as 500 (column 0), the pair gives 201.
        SoundRig r(5);
        EXPECT_EQ(r.StepWith(2000),
                  Union({RowColumns(5, 0, 12), RowColumns(4, 0, 20), RowColumns(3, 0, 20),
                         RowColumns(2, 0, 0), RowColumns(1, 0, 0), RowColumns(0, 0, 0)}));
    }
    {
        SoundRig r(1);  // both bars at headroom 0: columns 2-8 and 9-19
        std::set<int> want;
        for (int row = 0; row < 6; ++row) {
            std::set<int> lit = RowColumns(row, 2, 19);
            // A wide key that also stands in an unlit column takes that column's later write.
            for (const int c : {0, 1, 20, 21, 22}) lit.erase(kKeyGrid[c][row]);
            want.merge(lit);
        }
        EXPECT_EQ(r.StepWith(2000), want);
    }
}

TEST(SoundStyles, LevelAbove2000DrawsAShorterBar) {
    SoundRig loud(1);
    SoundRig louder(1);
    const auto a = loud.StepWith(2000);
    const auto b = louder.StepWith(5000);
    EXPECT_LT(b.size(), a.size());
    EXPECT_FALSE(b.empty());
    SoundRig bars(0);  // style 0 keeps the negative headroom: every row lights
    EXPECT_EQ(bars.StepWith(5000), test::GridLedsOfRows(0, 5));
}

TEST(SoundStyles, BeatRippleStartsOnEveryThirdLoudFeed) {
    SoundRig r(2);
    const std::vector<std::int32_t> loud(25, 2000);
    r.engine.FeedAudioLevels(loud);
    r.engine.FeedAudioLevels(loud);
    EXPECT_TRUE(r.engine.State().masks.Empty());
    EXPECT_EQ(r.rig.module.beatAccumulator, 50);
    r.engine.FeedAudioLevels(loud);
    EXPECT_EQ(r.rig.module.beatAccumulator, 0);
    EXPECT_EQ(r.engine.State().masks.UnionAt(10), 1 << 2);                // seeded at LED 51
    EXPECT_EQ(r.engine.SoundLevels(), (std::array<std::int32_t, 25>{}));  // taken by the beat

    SoundRig other(0);  // another style: no beat detection, the levels stay for the step
    other.engine.FeedAudioLevels(loud);
    EXPECT_EQ(other.rig.module.beatAccumulator, 0);
    EXPECT_EQ(other.engine.SoundLevels()[0], 2000);
}

TEST(SoundStyles, FallingBarsFillInOneStepAndSkipColumnsWithoutABottomKey) {
    SoundRig r(4);
    const int undrawn = kKeyGrid[3][0];
    r.engine.Frame().leds[undrawn] = {1, 2, 3, 4, 0};
    const auto lit = r.StepWith(2000);
    // Columns of narrow keys fill rows 1-5 in this one step. Where a wide key spans two
    // columns, the second column finds its bottom lit and its latch holds, and its walk may fade
    // the shared key again, so only the narrow columns are checked exactly.
    auto columnsOf = [](int led) {
        int n = 0;
        for (const auto& column : kKeyGrid)
            n += static_cast<int>(std::count(column.begin(), column.end(), led));
        return n;
    };
    std::set<int> want;
    std::set<int> allowed;
    for (int c = 0; c < kGridColumns; ++c) {
        if (kKeyGrid[c][5] == kNoLed) continue;
        for (int row = 1; row < 6; ++row) {
            const int led = kKeyGrid[c][row];
            if (led == kNoLed) continue;
            allowed.insert(led);
            if (columnsOf(kKeyGrid[c][5]) == 1 && columnsOf(led) == 1) want.insert(led);
        }
    }
    EXPECT_TRUE(std::includes(lit.begin(), lit.end(), want.begin(), want.end()));
    EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), lit.begin(), lit.end()));
    EXPECT_GT(want.size(), 30u);
    EXPECT_EQ(r.engine.Frame().leds[undrawn], (LedRecord{1, 2, 3, 4, 0}));
    EXPECT_EQ(r.engine.ColumnLatches()[0], 1);
    EXPECT_EQ(r.engine.ColumnLatches()[3], 0);
    // The raised level shows from the next step; the latch holds while the bottom is lit.
    r.StepWith(2000);
    const LedRecord& bottom = r.engine.Frame().leds[105];
    EXPECT_EQ((Rgb{bottom.red, bottom.green, bottom.blue}), kForeground);
    EXPECT_EQ(bottom.level, 254);
}

TEST(SoundStyles, EveryStepUsesUpTheLevels) {
    SoundRig r(0);
    const auto before = r.StepWith(2000);
    r.engine.Step();  // no new feed: silence, so the bars only empty from their top
    const auto after = test::FullLevels(r.engine);
    EXPECT_LT(after.size(), before.size());
    for (const int led : after) EXPECT_TRUE(before.count(led));
    for (const int led : test::GridLedsOfRows(1, 1)) EXPECT_LT(r.engine.State().level[led], 255);
}

TEST(SoundStyles, AlternatingBarsColourfulHueMovesByTwoPerForegroundCell) {
    SoundRig r(6);
    AudioLightSettings audio;
    audio.style = 6;
    audio.foregroundColourful = 1;
    r.engine.SetAudioLightSettings(audio);
    r.StepWith(0);
    // Row 5 lights column 0 (LED 105) only; the row's hue starts at the phase (1) and moves by 2.
    const LedRecord& led = r.engine.Frame().leds[105];
    EXPECT_EQ((Rgb{led.red, led.green, led.blue}), kColourWheel[3]);
}

// The band levels come from blocks any program may send: the largest ones draw as very loud
// sound does, in every style.
TEST(SoundStyles, LevelsFarBeyondLoudDrawAsVeryLoudOnes) {
    for (int style = 0; style < 7; ++style) {
        SoundRig loud(style);
        SoundRig largest(style);
        EXPECT_EQ(largest.StepWith(std::numeric_limits<std::int32_t>::max()),
                  loud.StepWith(1'000'000))
            << "style " << style;
    }
}

}  // namespace
}  // namespace qx::lighting
