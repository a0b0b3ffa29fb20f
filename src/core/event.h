// A Windows-style event: manual or auto reset, with a timed wait. Worker threads use it as their
// exit signal and the protocol layers as their cancel signal.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace qx {

class Event {
  public:
    static constexpr int kInfinite = -1;

    explicit Event(bool manualReset = false, bool initiallySet = false)
        : manualReset_(manualReset), set_(initiallySet) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // True when the event was (or became) signalled within timeoutMs (kInfinite waits forever).
    // An auto-reset event is cleared by the wait that sees it.
    bool Wait(int timeoutMs);
    bool IsSet() const;

  private:
    const bool manualReset_;
    bool set_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
};

}  // namespace qx
