#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <string>

namespace qx::platform {
namespace {

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("instance.lock").toStdString();
    auto first = MakeInstanceLock(path);
    ASSERT_TRUE(first->TryAcquire()) << first->Error();
    EXPECT_TRUE(first->TryAcquire()) << "taking a held lock again is fine";
    auto second = MakeInstanceLock(path);
    EXPECT_FALSE(second->TryAcquire());
    EXPECT_TRUE(second->OtherInstanceRuns());
    EXPECT_FALSE(second->Held());

    std::ifstream holder(path);
    int pid = 0;
    holder >> pid;
    EXPECT_EQ(pid, ::getpid());

    first.reset();
    EXPECT_TRUE(second->TryAcquire());
    EXPECT_FALSE(second->OtherInstanceRuns());
}

TEST(InstanceLock, UnusableFolderIsAnErrorNotAnotherInstance) {
    auto lock = MakeInstanceLock("/nonexistent-folder/instance.lock");
    EXPECT_FALSE(lock->TryAcquire());
    EXPECT_FALSE(lock->Held());
    EXPECT_FALSE(lock->OtherInstanceRuns());
    EXPECT_NE(lock->Error().find("/nonexistent-folder/instance.lock"), std::string::npos);
}

// The lock lives in the user's runtime folder; without one, in the temporary folder under a name
// that holds the user id, so two users of one machine each run their own program.
TEST(InstanceLock, PathIsPerUser) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntime = saved != nullptr ? saved : "";
    QTemporaryDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    EXPECT_EQ(InstanceLockPath("App Name"), runtime.path().toStdString() + "/App Name.lock");

    ::setenv("XDG_RUNTIME_DIR", "/nonexistent-runtime", 1);
    const std::string fallback = InstanceLockPath("App Name");
    EXPECT_NE(fallback.find("/App Name-" + std::to_string(::getuid()) + ".lock"), std::string::npos)
        << fallback;
    EXPECT_EQ(fallback.find("/nonexistent-runtime"), std::string::npos);

    if (saved != nullptr)
        ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace qx::platform
