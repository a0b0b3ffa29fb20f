#include "platform/hid_backend.h"

#include <atomic>

#include "platform/hid_change_notice.h"

namespace qx {
namespace {

std::atomic<HidBackend*> g_active{nullptr};

}  // namespace

std::unique_ptr<HidChangeWatch> HidBackend::WatchChanges() {
    return MakeTimerChangeWatch(kDefaultRescanIntervalMs);
}

HidBackend& ActiveHidBackend() {
    HidBackend* backend = g_active.load(std::memory_order_acquire);
    return backend != nullptr ? *backend : HidrawBackend();
}

void SetActiveHidBackend(HidBackend* backend) {
    g_active.store(backend, std::memory_order_release);
}

}  // namespace qx
