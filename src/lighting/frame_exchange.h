// Hands finished frames from the thread that computes them to readers on other threads; a
// reader always gets one whole frame.
#pragma once

#include <cstdint>
#include <mutex>

#include "lighting/light_frame.h"

namespace qx::lighting {

class FrameExchange {
  public:
    void Publish(const LightFrame& frame);
    // Copies the last published frame into `out`; returns its generation (0 before the first
    // publication, when `out` is left as it was).
    std::uint64_t Read(LightFrame& out) const;
    std::uint64_t Generation() const;

  private:
    mutable std::mutex mutex_;
    LightFrame frame_;
    std::uint64_t generation_ = 0;
};

}  // namespace qx::lighting
