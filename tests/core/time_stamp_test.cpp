#include "core/time_stamp.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <regex>
#include <set>

namespace qx {
namespace {

TEST(TimeStamp, FormatsLocalTimeToTheMillisecond) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    // 2024-03-07 09:05:02.041 UTC
    const auto when =
        std::chrono::system_clock::time_point(std::chrono::milliseconds(1709802302041));
    EXPECT_EQ(FormatTimeStamp(when), "2024_03_07_09_05_02_041");
    EXPECT_TRUE(
        std::regex_match(MakeTimeStamp(), std::regex(R"(\d{4}_\d\d_\d\d_\d\d_\d\d_\d\d_\d{3})")));
    EXPECT_TRUE(std::regex_match(TodayDateText(), std::regex(R"(\d{4}-\d{1,2}-\d{1,2})")));
}

TEST(TimeStamp, StampsMadeInOneMillisecondAreStillUnique) {
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) EXPECT_TRUE(seen.insert(MakeTimeStamp()).second);
}

}  // namespace
}  // namespace qx
