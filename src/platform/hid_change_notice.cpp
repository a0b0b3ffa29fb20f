#include "platform/hid_change_notice.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>

namespace qx {

struct HidChangeNotice::WatchState {
    std::mutex mutex;
    std::condition_variable cv;
    bool changed = false;
    bool interrupted = false;
};

namespace {

class NoticeWatch final : public HidChangeWatch {
  public:
    NoticeWatch(std::shared_ptr<HidChangeNotice::WatchState> state, int rescanIntervalMs)
        : state_(std::move(state)), rescanIntervalMs_(rescanIntervalMs) {}

    Wake Wait(int timeoutMs) override {
        using Clock = std::chrono::steady_clock;
        // The shorter of the caller's time-out and the rescan interval decides when to stop.
        const bool rescanFirst =
            rescanIntervalMs_ > 0 && (timeoutMs < 0 || rescanIntervalMs_ < timeoutMs);
        const int limit = rescanFirst ? rescanIntervalMs_ : timeoutMs;
        std::unique_lock lock(state_->mutex);
        auto ready = [this] { return state_->changed || state_->interrupted; };
        bool woke = true;
        if (limit < 0) {
            state_->cv.wait(lock, ready);
        } else {
            woke =
                state_->cv.wait_until(lock, Clock::now() + std::chrono::milliseconds(limit), ready);
        }
        if (!woke) return rescanFirst ? Wake::Changed : Wake::TimedOut;
        // An interrupt wins over a change: the caller wants to stop.
        if (state_->interrupted) {
            state_->interrupted = false;
            return Wake::Interrupted;
        }
        state_->changed = false;
        return Wake::Changed;
    }

    void Interrupt() override {
        {
            std::lock_guard lock(state_->mutex);
            state_->interrupted = true;
        }
        state_->cv.notify_all();
    }

  private:
    std::shared_ptr<HidChangeNotice::WatchState> state_;
    const int rescanIntervalMs_;
};

}  // namespace

void HidChangeNotice::Notify() {
    std::vector<std::shared_ptr<WatchState>> live;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(watches_, [](const std::weak_ptr<WatchState>& w) { return w.expired(); });
        for (const std::weak_ptr<WatchState>& watch : watches_) {
            if (auto state = watch.lock()) live.push_back(std::move(state));
        }
    }
    for (const std::shared_ptr<WatchState>& state : live) {
        {
            std::lock_guard lock(state->mutex);
            state->changed = true;
        }
        state->cv.notify_all();
    }
}

std::unique_ptr<HidChangeWatch> HidChangeNotice::Watch(int rescanIntervalMs) {
    auto state = std::make_shared<WatchState>();
    {
        std::lock_guard lock(mutex_);
        watches_.push_back(state);
    }
    return std::make_unique<NoticeWatch>(std::move(state), rescanIntervalMs);
}

std::unique_ptr<HidChangeWatch> MakeTimerChangeWatch(int rescanIntervalMs) {
    return std::make_unique<NoticeWatch>(std::make_shared<HidChangeNotice::WatchState>(),
                                         std::max(rescanIntervalMs, 1));
}

}  // namespace qx
