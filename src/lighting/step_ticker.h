// Counts the ticks of a light thread's passes and says when the next effect step is due.
#pragma once

#include <cstdint>

namespace qx::lighting {

// One tick per this many milliseconds of the clock. The effects were tuned on a system tick of
// about 16 ms; counting at that pace keeps their speed on a fine-grained clock.
inline constexpr std::uint32_t kDefaultTickMs = 16;

class StepTicker {
  public:
    explicit StepTicker(std::uint32_t tickMs = kDefaultTickMs) : tickMs_(tickMs) {}

    void Start(std::uint32_t nowMs) {
        lastMs_ = nowMs;
        counter_ = 0;
    }
    // Counts a tick when the clock has moved on by a tick since the last counted one.
    void Count(std::uint32_t nowMs) {
        if (nowMs - lastMs_ >= tickMs_) {
            lastMs_ = nowMs;
            ++counter_;
        }
    }
    // True (and the counter back to 0) when the counter has reached the threshold.
    bool Due(int threshold) {
        if (static_cast<std::int64_t>(counter_) < threshold) return false;
        counter_ = 0;
        return true;
    }
    std::uint32_t Counter() const { return counter_; }
    std::uint32_t TickMs() const { return tickMs_; }

  private:
    std::uint32_t tickMs_;
    std::uint32_t lastMs_ = 0;
    std::uint32_t counter_ = 0;
};

}  // namespace qx::lighting
