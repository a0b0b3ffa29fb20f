#include "devices/discovery_thread.h"

#include "core/diagnostics.h"
#include "hid/hid_paths.h"

namespace qx {

DiscoveryThread::DiscoveryThread(SlotTable& slots, DiscoveryOwner& owner)
    : slots_(slots), owner_(owner) {}

DiscoveryThread::~DiscoveryThread() { Stop(); }

void DiscoveryThread::Start() {
    if (thread_.joinable()) return;
    exit_.Reset();
    firstPass_ = true;
    thread_ = std::thread([this] { Loop(); });
}

void DiscoveryThread::Stop() {
    exit_.Set();
    if (thread_.joinable()) thread_.join();
}

void DiscoveryThread::Loop() {
    for (;;) {
        if (exit_.Wait(1)) {
            DebugLine("抓取设备线程设定退出");
            return;
        }
        if (!RunPass()) return;
        // Waiting on the exit event instead of sleeping lets Stop end the thread at once.
        if (exit_.Wait(kPassIntervalMs)) {
            DebugLine("抓取设备线程设定退出");
            return;
        }
    }
}

bool DiscoveryThread::RunPass() {
    if (!slots_.AllFilled()) {
        if (!probe_.Enumerate()) return false;
        while (const std::string* path = probe_.NextPath()) {
            ProbeRecord probe = ProbeFromPath(*path);
            if (!slots_.PreMatch(probe)) continue;
            if (!probe_.Open(*path, true, false, true, false)) continue;
            probe.vendorId = probe_.VendorId();
            probe.productId = probe_.ProductId();
            probe.usagePage = probe_.UsagePage();
            probe.usage = probe_.Usage();
            // Closed before the owner runs: it opens the interface itself.
            probe_.Close();
            int index = -1;
            if (slots_.Claim(probe, index)) owner_.OnDeviceArrived(index);
        }
        if (firstPass_) {
            owner_.OnFirstPassDone();
            firstPass_ = false;
        }
        probe_.FreePaths();
    } else if (firstPass_) {
        owner_.OnFirstPassDone();
        firstPass_ = false;
    }

    HidBackend& backend = ActiveHidBackend();
    for (const auto& [index, path] : slots_.ConnectedSlots()) {
        if (backend.NodePresent(std::string(NodePathOf(path)))) continue;
        slots_.Release(index);
        owner_.OnDeviceRemoved(static_cast<int>(index));
    }
    return true;
}

}  // namespace qx
