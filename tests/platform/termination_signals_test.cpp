#include "platform/termination_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>

namespace qx::platform {
namespace {

bool PumpUntil(const bool& flag) {
    QElapsedTimer timer;
    timer.start();
    while (!flag && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return flag;
}

// The request reaches the callback on the event loop, not in the handler; one watcher at a
// time; the default handling returns with the watcher gone.
TEST(TerminationSignals, SigtermAndSigintReachTheCallbackOnTheEventLoop) {
    int calls = 0;
    bool called = false;
    {
        auto watcher = WatchTerminationSignals([&] {
            ++calls;
            called = true;
        });
        ASSERT_TRUE(watcher->Active());
        EXPECT_FALSE(WatchTerminationSignals([] {})->Active()) << "a second watcher";

        ::raise(SIGTERM);
        EXPECT_EQ(calls, 0) << "nothing runs inside the handler";
        ASSERT_TRUE(PumpUntil(called));
        called = false;
        ::raise(SIGINT);
        ASSERT_TRUE(PumpUntil(called));
        EXPECT_EQ(calls, 2);
    }
    struct sigaction current {};
    ::sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
    auto again = WatchTerminationSignals([] {});
    EXPECT_TRUE(again->Active()) << "a new watcher once the first is gone";
}

}  // namespace
}  // namespace qx::platform
