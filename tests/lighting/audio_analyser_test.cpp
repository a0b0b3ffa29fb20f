#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "lighting/audio_analyser.h"

namespace qx::lighting {
namespace {

TEST(AudioAnalyser, SilenceShrinksTheBandsAndEveryThirdAnalysisFeeds) {
    AudioAnalyser analyser;
    std::vector<std::int32_t> block(500, 0);
    for (int i = 0; i < 500; i += 2) block[i] = 1000;  // a loud block first
    EXPECT_FALSE(analyser.ReceiveSamples(block));
    EXPECT_EQ(analyser.Bands()[0], (1000 + 0 + 1000 + 0) / 4);  // D at 0-3 only
    const std::vector<std::int32_t> silent(500, 7);
    EXPECT_FALSE(analyser.ReceiveSamples(silent));
    EXPECT_TRUE(analyser.ReceiveSamples(silent));
    for (int i = 0; i < 20; ++i) analyser.ReceiveSamples(silent);
    for (const std::int32_t band : analyser.Bands()) EXPECT_EQ(band, 0);
}

TEST(AudioAnalyser, ShortBlocksKeepTheRestAndExtremesDoNotWrap) {
    AudioAnalyser analyser;
    std::vector<std::int32_t> block(500, std::numeric_limits<std::int32_t>::max());
    analyser.ReceiveSamples(block);
    const std::vector<std::int32_t> low(3, std::numeric_limits<std::int32_t>::min());
    analyser.ReceiveSamples(low);
    EXPECT_EQ(analyser.Bands()[0], std::numeric_limits<std::int32_t>::max());
    EXPECT_GE(analyser.Bands()[1], 0);
}

}  // namespace
}  // namespace qx::lighting
