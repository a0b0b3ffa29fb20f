#include "lighting/frame_exchange.h"

namespace qx::lighting {

void FrameExchange::Publish(const LightFrame& frame) {
    std::lock_guard lock(mutex_);
    frame_ = frame;
    ++generation_;
}

std::uint64_t FrameExchange::Read(LightFrame& out) const {
    std::lock_guard lock(mutex_);
    if (generation_ != 0) out = frame_;
    return generation_;
}

std::uint64_t FrameExchange::Generation() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

}  // namespace qx::lighting
