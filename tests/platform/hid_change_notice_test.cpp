#include "platform/hid_change_notice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace qx {
namespace {

using Clock = std::chrono::steady_clock;
using Wake = HidChangeWatch::Wake;

int MsSince(Clock::time_point start) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(HidChangeNotice, ANoticeWakesAWaitingWatchAtOnce) {
    HidChangeNotice notice;
    auto watch = notice.Watch();
    auto waited = std::async(std::launch::async, [&] { return watch->Wait(-1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto start = Clock::now();
    notice.Notify();
    ASSERT_EQ(waited.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(waited.get(), Wake::Changed);
    EXPECT_LT(MsSince(start), 1000);
}

TEST(HidChangeNotice, AChangeBetweenWaitsIsKeptForTheNextWaitOnlyOnce) {
    HidChangeNotice notice;
    auto first = notice.Watch();
    auto second = notice.Watch();
    notice.Notify();
    notice.Notify();
    EXPECT_EQ(first->Wait(0), Wake::Changed);
    EXPECT_EQ(first->Wait(10), Wake::TimedOut) << "two notices before a wait are one change";
    EXPECT_EQ(second->Wait(1000), Wake::Changed) << "every watch hears every notice";
    auto late = notice.Watch();
    EXPECT_EQ(late->Wait(10), Wake::TimedOut) << "a watch sees changes from its creation on";
}

TEST(HidChangeNotice, InterruptEndsTheWaitAndWinsOverAChange) {
    HidChangeNotice notice;
    auto watch = notice.Watch();
    auto waited = std::async(std::launch::async, [&] { return watch->Wait(-1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    watch->Interrupt();
    ASSERT_EQ(waited.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(waited.get(), Wake::Interrupted);

    notice.Notify();
    watch->Interrupt();
    EXPECT_EQ(watch->Wait(-1), Wake::Interrupted);
    EXPECT_EQ(watch->Wait(0), Wake::Changed) << "the change is still there after the interrupt";
}

TEST(HidChangeNotice, RescanIntervalEndsLongWaitsWithAChangeAndShortOnesTimeOut) {
    HidChangeNotice notice;
    auto watch = notice.Watch(30);
    EXPECT_EQ(watch->Wait(-1), Wake::Changed);
    EXPECT_EQ(watch->Wait(5000), Wake::Changed);
    EXPECT_EQ(watch->Wait(5), Wake::TimedOut);

    auto timer = MakeTimerChangeWatch(30);
    const auto start = Clock::now();
    EXPECT_EQ(timer->Wait(-1), Wake::Changed);
    EXPECT_GE(MsSince(start), 25);
}

TEST(HidChangeNotice, WatchesOutliveOrPrecedeTheNoticeSafely) {
    std::unique_ptr<HidChangeWatch> watch;
    {
        HidChangeNotice notice;
        watch = notice.Watch();
        auto gone = notice.Watch();
        gone.reset();
        notice.Notify();  // a watch already destroyed is skipped
    }
    EXPECT_EQ(watch->Wait(0), Wake::Changed);
    EXPECT_EQ(watch->Wait(5), Wake::TimedOut);
}

// A backend that says nothing of its changes is looked at again on a slow timer.
TEST(HidBackendDefault, WatchWakesOnTheDefaultRescanInterval) {
    class Silent final : public HidBackend {
      public:
        bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) override {
            nodes.clear();
            return true;
        }
        bool DescribeNode(const std::string&, HidNodeInfo&) override { return false; }
        std::unique_ptr<HidNodeConnection> OpenNode(const std::string&, bool, bool,
                                                    std::string& error) override {
            error = "none";
            return nullptr;
        }
        bool NodePresent(const std::string&) override { return false; }
    } backend;
    auto watch = backend.WatchChanges();
    EXPECT_EQ(watch->Wait(50), Wake::TimedOut);
    EXPECT_EQ(watch->Wait(HidBackend::kDefaultRescanIntervalMs + 5000), Wake::Changed);
}

}  // namespace
}  // namespace qx
