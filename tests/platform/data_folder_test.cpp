#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/user_folders.h"

namespace qx::platform {
namespace {

namespace fs = std::filesystem;

// A scratch tree: <root>/src/data (a source tree's data), <root>/src/build (its build tree),
// <root>/pkg/usr (an unpacked package's prefix).
class DataFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qx580-data-folder-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "src" / "data" / "DefaultData");
        fs::create_directories(root_ / "src" / "build" / "src" / "app");
        fs::create_directories(root_ / "pkg" / "usr" / "bin");
    }
    void TearDown() override { fs::remove_all(root_); }

    DataFolderSources Sources(const fs::path& executable) const {
        DataFolderSources sources;
        sources.executable = executable;
        sources.buildTree = root_ / "src" / "build";
        sources.buildData = root_ / "src" / "data";
        sources.installedData = "/usr/local/share/qx580";
        return sources;
    }

    fs::path root_;
};

TEST_F(DataFolderTest, EachPlaceThatDecidesTheFolder) {
    const fs::path inBuild = root_ / "src" / "build" / "src" / "app" / "qx580";
    const fs::path packaged = root_ / "pkg" / "usr" / "bin" / "qx580";
    const struct {
        const char* what;
        fs::path executable;
        const char* environment;
        fs::path expected;
    } cases[] = {
        {"the environment wins over the build tree", inBuild, "/opt/qx", "/opt/qx"},
        {"the environment wins over the prefix", packaged, "/opt/qx", "/opt/qx"},
        {"an empty environment value is not set", inBuild, "", root_ / "src" / "data"},
        {"a program in the build tree uses the source tree's data", inBuild, nullptr,
         root_ / "src" / "data"},
        // The source tree is on this machine, but the program is not in its build tree: the
        // package's own data, not the developer's.
        {"an unpacked package uses its prefix's share folder", packaged, nullptr,
         root_ / "pkg" / "usr" / "share" / "qx580"},
        {"a folder whose name only starts like the build tree is outside it",
         root_ / "src" / "build2" / "bin" / "qx580", nullptr,
         root_ / "src" / "build2" / "share" / "qx580"},
        {"an unknown program path falls back to the installed folder", fs::path(), nullptr,
         "/usr/local/share/qx580"},
    };
    for (const auto& c : cases) {
        DataFolderSources sources = Sources(c.executable);
        sources.environment = c.environment;
        EXPECT_EQ(ChooseProgramDataFolder(sources), c.expected) << c.what;
    }
}

TEST_F(DataFolderTest, BuildTreeWithoutItsSourceDataUsesThePrefix) {
    fs::remove_all(root_ / "src" / "data");
    const fs::path program = root_ / "src" / "build" / "bin" / "qx580";
    EXPECT_EQ(ChooseProgramDataFolder(Sources(program)),
              root_ / "src" / "build" / "share" / "qx580");
}

TEST(ProgramDataFolder, ThisTestProgramRunsFromTheBuildTree) {
    const char* old = std::getenv("QX580_DATA_DIR");
    const std::string saved = old != nullptr ? old : "";
    ::unsetenv("QX580_DATA_DIR");
    EXPECT_EQ(ProgramDataFolder(), fs::path(QX580_SOURCE_DATA_DIR));
    if (old != nullptr) ::setenv("QX580_DATA_DIR", saved.c_str(), 1);
}

}  // namespace
}  // namespace qx::platform
