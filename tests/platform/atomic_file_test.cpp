#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "core/test_data_home.h"

namespace qx::platform {
namespace {

using AtomicFileTest = test::TestDataHome;

TEST_F(AtomicFileTest, CreateNeverReplacesAndWriteDoes) {
    const auto path = Root() / "a.Json";
    ASSERT_TRUE(CreateFileAtomically(path, "first"));
    EXPECT_FALSE(CreateFileAtomically(path, "second"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadText(path), "first");
    ASSERT_TRUE(WriteFileAtomically(path, "third"));
    EXPECT_EQ(ReadText(path), "third");
    // Neither left a temporary behind.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Root())) ++files;
    EXPECT_EQ(files, 2);  // a.Json and the data folder
}

TEST_F(AtomicFileTest, WritesIntoAFolderThatCannotExistFailWithTheReason) {
    WriteText(Root() / "file", "x");
    EXPECT_FALSE(WriteFileAtomically(Root() / "file" / "a.Json", "x"));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(CopyFileAtomically(Root() / "file", Root() / "file" / "b"));
    EXPECT_FALSE(CreateFileAtomically(Root() / "file" / "a.Json", "x"));
}

TEST_F(AtomicFileTest, OnlyTemporariesOfEndedWritersAreRemoved) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string ended = std::to_string(child);
    const std::string self = std::to_string(::getpid());
    const struct {
        std::string name;
        bool removed;
    } cases[] = {
        {".ProfileList.ini.tmp-" + ended + "-0", true},
        {".a b.Json.tmp-" + ended + "-12", true},
        {".a.Json.tmp-1-0", false},             // process 1 runs
        {".a.Json.tmp-" + self + "-0", false},  // this process's own
        {".a.Json.tmp-" + ended, false},        // not our pattern
        {"a.Json.tmp-" + ended + "-0", false},
        {".a.Json.tmp-x-0", false},
        {".a.Json.tmp-" + ended + "-0x", false},
    };
    for (const auto& c : cases) WriteText(Root() / c.name, "x");
    EXPECT_EQ(RemoveStaleTemporaries(Root()), 2);
    for (const auto& c : cases)
        EXPECT_EQ(std::filesystem::exists(Root() / c.name), !c.removed) << c.name;
    EXPECT_EQ(RemoveStaleTemporaries(Root() / "missing"), 0);
}

}  // namespace
}  // namespace qx::platform
