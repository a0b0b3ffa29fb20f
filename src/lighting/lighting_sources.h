// Time and random numbers for the effects, injectable so that a test or a picture replays
// exactly.
#pragma once

#include <atomic>
#include <cstdint>

namespace qx::lighting {

// Milliseconds on a monotonic clock; wraps like a 32-bit tick count (compare by difference).
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual std::uint32_t NowMs() = 0;
};

// Non-negative pseudo-random numbers, taken mod 170 or mod 192 by the effects.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual std::uint32_t Next() = 0;
};

// The program's clock: std::chrono::steady_clock.
class SteadyTickSource final : public TickSource {
  public:
    std::uint32_t NowMs() override;
};

// The program's generator: the C library's rand().
class StdRandSource final : public RandomSource {
  public:
    std::uint32_t Next() override;
};

// A clock that moves only when told to (tests, pictures); any thread may read it.
class ManualTickSource final : public TickSource {
  public:
    explicit ManualTickSource(std::uint32_t start = 0) : now_(start) {}
    std::uint32_t NowMs() override { return now_.load(std::memory_order_relaxed); }
    void Advance(std::uint32_t ms) { now_.fetch_add(ms, std::memory_order_relaxed); }
    void Set(std::uint32_t ms) { now_.store(ms, std::memory_order_relaxed); }

  private:
    std::atomic<std::uint32_t> now_;
};

// rand()'s classic linear congruential generator with its own seed, 15-bit results.
class SeededRandSource final : public RandomSource {
  public:
    explicit SeededRandSource(std::uint32_t seed = 1) : state_(seed) {}
    std::uint32_t Next() override {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & 0x7FFFu;
    }

  private:
    std::uint32_t state_;
};

SteadyTickSource& ProgramTickSource();
StdRandSource& ProgramRandSource();

}  // namespace qx::lighting
