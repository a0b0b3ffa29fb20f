// The thread that drives one device's lighting: it runs the device's passes at the pace of the
// engine's tick, rests while there is nothing to draw (the device cannot be driven, or its effect
// stands still) until it is woken, and ends by its exit event. It is always joined, never killed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "lighting/step_ticker.h"

namespace qx::lighting {

class LightThread {
  public:
    // What a pass asks of the loop.
    enum class Next {
        Tick,  // the next pass at the next tick of the clock
        Rest,  // no pass until Wake() (or the exit event)
        Poll,  // the next pass after kPollMs (the device's channel is closed)
    };
    using Pass = std::function<Next()>;

    static constexpr int kPollMs = 100;
    // How long Stop() waits for the loop before it says so; it then waits on (never kills).
    static constexpr int kStopWaitMs = 1000;

    // Diagnostic lines of Stop(), by how the wait for the thread ended.
    static constexpr const char* kEndedLine = "线程退出：：对象处于激发状态\n";
    static constexpr const char* kTimeoutLine = "线程退出：：对象处于非激发状态，超时\n";

    LightThread() = default;
    ~LightThread();  // Stop()
    LightThread(const LightThread&) = delete;
    LightThread& operator=(const LightThread&) = delete;

    // Stops a running loop first, then starts one that calls `pass` until the exit event is set.
    // `exitLine` is written by the thread when it ends; `name` names it (15 characters kept).
    void Start(Pass pass, std::string name, std::string exitLine,
               std::uint32_t tickMs = kDefaultTickMs);
    // Sets the exit event and joins the thread. Returns the line written about the wait (empty
    // when nothing ran): ended, or it took longer than kStopWaitMs (the join still waits).
    std::string Stop();
    // Ends a rest (or a poll) at once: the next pass runs now. A ticking loop runs its next
    // pass at its next tick.
    void Wake();

    bool Running() const;
    // Passes run since Start (tests and measurements).
    std::uint64_t Passes() const;

  private:
    void Loop(Pass pass, std::string name, std::string exitLine, std::uint32_t tickMs);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool exit_ = false;
    bool woken_ = false;
    // Whether the loop waits for Wake() now (resting or polling): only then does a wake-up
    // end its wait. A ticking loop would only wake up to go back to sleep until its tick.
    bool wakeable_ = false;
    bool finished_ = true;
    std::uint64_t passes_ = 0;
    std::thread thread_;
};

}  // namespace qx::lighting
