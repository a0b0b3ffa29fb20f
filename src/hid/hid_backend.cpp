#include "hid/hid_backend.h"

#include <atomic>

namespace qx {
namespace {

std::atomic<HidBackend*> g_active{nullptr};

}  // namespace

HidBackend& ActiveHidBackend() {
    HidBackend* backend = g_active.load(std::memory_order_acquire);
    return backend != nullptr ? *backend : HidrawBackend();
}

void SetActiveHidBackend(HidBackend* backend) {
    g_active.store(backend, std::memory_order_release);
}

}  // namespace qx
