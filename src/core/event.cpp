#include "core/event.h"

namespace qx {

void Event::Set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    if (manualReset_) {
        cv_.notify_all();
    } else {
        cv_.notify_one();
    }
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::Wait(int timeoutMs) {
    std::unique_lock lock(mutex_);
    if (timeoutMs < 0) {
        cv_.wait(lock, [this] { return set_; });
    } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; })) {
        return false;
    }
    if (!manualReset_) set_ = false;
    return true;
}

bool Event::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

}  // namespace qx
