#include "lighting/light_thread.h"

#if defined(__linux__)
#include <pthread.h>
#endif

#include "core/diagnostics.h"

namespace qx::lighting {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

}  // namespace

LightThread::~LightThread() { Stop(); }

void LightThread::Start(Pass pass, std::string name, std::string exitLine, std::uint32_t tickMs) {
    Stop();
    {
        std::lock_guard lock(mutex_);
        exit_ = false;
        woken_ = false;
        finished_ = false;
        passes_ = 0;
    }
    thread_ = std::thread([this, pass = std::move(pass), name = std::move(name),
                           exitLine = std::move(exitLine), tickMs]() mutable {
        Loop(std::move(pass), std::move(name), std::move(exitLine), tickMs);
    });
}

std::string LightThread::Stop() {
    if (!thread_.joinable()) return std::string();
    std::string line = kEndedLine;
    {
        std::unique_lock lock(mutex_);
        exit_ = true;
        changed_.notify_all();
        // A pass runs to its end: the thread is never cut off in the middle of a frame.
        if (!changed_.wait_for(lock, milliseconds(kStopWaitMs), [this] { return finished_; }))
            line = kTimeoutLine;
    }
    DebugLine(line);
    thread_.join();
    return line;
}

void LightThread::Wake() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    if (wakeable_) changed_.notify_all();
}

bool LightThread::Running() const {
    std::lock_guard lock(mutex_);
    return !finished_;
}

std::uint64_t LightThread::Passes() const {
    std::lock_guard lock(mutex_);
    return passes_;
}

void LightThread::Loop(Pass pass, std::string name, std::string exitLine, std::uint32_t tickMs) {
#if defined(__linux__)
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
#endif
    // The next tick on the clock the engines count with (whole milliseconds of the steady
    // clock): a pass at that time always counts one tick, so an effect advances once per its
    // number of ticks, as the speed tables say, without waking between ticks.
    std::unique_lock lock(mutex_);
    while (!exit_) {
        woken_ = false;
        lock.unlock();
        const Next next = pass();
        lock.lock();
        ++passes_;
        if (exit_) break;
        const auto now = Clock::now();
        switch (next) {
            case Next::Tick: {
                // A ticking loop takes what woke it at its next tick: a step runs on ticks only,
                // so an earlier pass would only cost a wake-up.
                const auto nextTick = std::chrono::floor<milliseconds>(now) + milliseconds(tickMs);
                changed_.wait_until(lock, nextTick, [this] { return exit_; });
                break;
            }
            case Next::Poll:
                wakeable_ = true;
                changed_.wait_until(lock, now + milliseconds(kPollMs),
                                    [this] { return exit_ || woken_; });
                wakeable_ = false;
                break;
            case Next::Rest:
                wakeable_ = true;
                changed_.wait(lock, [this] { return exit_ || woken_; });
                wakeable_ = false;
                break;
        }
    }
    lock.unlock();
    DebugLine(exitLine);
    lock.lock();
    finished_ = true;
    changed_.notify_all();
}

}  // namespace qx::lighting
