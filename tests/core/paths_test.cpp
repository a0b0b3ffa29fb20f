#include "core/paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "core/file_names.h"
#include "core/test_data_home.h"

namespace qx {
namespace {

using PathsTest = test::TestDataHome;

TEST_F(PathsTest, UserFoldersLieUnderXdgDataHomeAndAreCreated) {
    const auto folder = UserDeviceFolder("keyboard");
    EXPECT_EQ(folder, Root() / "data" / "MIRVEL QX-580 Device" / "keyboard");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(UserFolder(), Root() / "data" / "MIRVEL QX-580 Device");
}

TEST_F(PathsTest, RelativeXdgDataHomeIsIgnored) {
    ::setenv("XDG_DATA_HOME", "relative/path", 1);
    ::setenv("HOME", (Root() / "home").c_str(), 1);
    EXPECT_EQ(UserFolder(), Root() / "home" / ".local" / "share" / "MIRVEL QX-580 Device");
}

TEST_F(PathsTest, DefaultDataFolderFollowsQx580DataDir) {
    const char* old = std::getenv("QX580_DATA_DIR");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("QX580_DATA_DIR", "/opt/qx", 1);
    EXPECT_EQ(DefaultDataFolder(), std::filesystem::path("/opt/qx/DefaultData"));
    EXPECT_EQ(DefaultProfilePath("HD"), std::filesystem::path("/opt/qx/DefaultData/HD.Json"));
    ::unsetenv("QX580_DATA_DIR");
    EXPECT_EQ(DefaultDataFolder(), std::filesystem::path(QX580_SOURCE_DATA_DIR) / "DefaultData");
    if (old != nullptr) ::setenv("QX580_DATA_DIR", saved.c_str(), 1);
}

TEST(FileNames, OnlyPlainNamesAreSafe) {
    const struct {
        const char* name;
        bool safe;
    } cases[] = {
        {"2024_03_07_09_05_02_041", true},
        {"a..b", true},
        {"", false},
        {".", false},
        {"..", false},
        {"../x", false},
        {"a/b", false},
        {"a\\b", false},
        {"/etc/passwd", false},
        {"a\nb", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSafeFileStem(c.name), c.safe) << c.name;
}

}  // namespace
}  // namespace qx
