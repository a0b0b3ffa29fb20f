// Compares the digests of every effect's first frames with golden_frames.txt beside this file.
// Regenerate them on purpose only: QX580_UPDATE_GOLDEN=1 rewrites the file from this build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "golden_digest.h"

namespace qx::lighting {
namespace {

const std::string kGoldenPath = std::string(QX580_TEST_DATA_DIR) + "/golden_frames.txt";

TEST(GoldenFrames, EveryEffectReplaysItsFrames) {
    const auto digests = test::ComputeGoldenDigests();
    const char* update = std::getenv("QX580_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream out(kGoldenPath);
        out << "# name digest (FNV-1a of 48 frames); regenerate with QX580_UPDATE_GOLDEN=1\n";
        for (const auto& [name, digest] : digests) out << name << " " << std::hex << digest << "\n";
        GTEST_SKIP() << "golden frames rewritten";
    }
    std::ifstream in(kGoldenPath);
    ASSERT_TRUE(in) << "missing " << kGoldenPath;
    std::map<std::string, std::uint64_t> golden;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name;
        std::uint64_t digest = 0;
        fields >> name >> std::hex >> digest;
        golden[name] = digest;
    }
    EXPECT_EQ(golden.size(), digests.size());
    for (const auto& [name, digest] : digests) {
        const auto it = golden.find(name);
        ASSERT_NE(it, golden.end()) << name << " has no golden digest";
        EXPECT_EQ(it->second, digest) << name << " draws different frames";
    }
}

TEST(GoldenFrames, RunsAreDeterministicAndDistinct) {
    const auto a = test::ComputeGoldenDigests();
    EXPECT_EQ(a, test::ComputeGoldenDigests());
    // Different effects draw different frames (a broken dispatch would repeat one of them).
    EXPECT_NE(a.at("keyboard.1.s.d1"), a.at("keyboard.2.s.d1"));
    EXPECT_NE(a.at("keyboard.9.c.d1"), a.at("keyboard.16.c.d1"));
    EXPECT_NE(a.at("sound.0.s"), a.at("sound.5.s"));
    EXPECT_NE(a.at("pad.0.c.d1"), a.at("headset.0.c.d1"));
}

}  // namespace
}  // namespace qx::lighting
