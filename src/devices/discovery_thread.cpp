#include "devices/discovery_thread.h"

#include <algorithm>

#include "core/diagnostics.h"
#include "hid/hid_paths.h"
#include "platform/thread_name.h"

namespace qx {

DiscoveryThread::DiscoveryThread(SlotTable& slots, DiscoveryOwner& owner, HidBackend& backend)
    : slots_(slots), owner_(owner), backend_(backend), probe_(backend) {}

DiscoveryThread::~DiscoveryThread() { Stop(); }

void DiscoveryThread::Start() {
    if (thread_.joinable()) return;
    exit_.Reset();
    firstPass_ = true;
    // Made before the first pass: a change during that pass ends the first wait at once.
    watch_ = backend_.WatchChanges();
    thread_ = std::thread([this] { Loop(); });
}

void DiscoveryThread::Stop() {
    exit_.Set();
    if (watch_) watch_->Interrupt();
    if (thread_.joinable()) thread_.join();
    watch_.reset();
}

int DiscoveryThread::PassCount() const {
    std::lock_guard lock(countMutex_);
    return passes_;
}

void DiscoveryThread::Loop() {
    platform::NameThisThread("qx-discovery");
    for (;;) {
        if (exit_.IsSet()) break;
        const bool enumerated = RunPass();
        {
            std::lock_guard lock(countMutex_);
            ++passes_;
        }
        if (exit_.IsSet()) break;
        // Asleep until a node comes or goes; a failed enumeration is tried again after a while
        // even when nothing changes.
        const HidChangeWatch::Wake wake = watch_->Wait(enumerated ? -1 : retryDelayMs_);
        if (wake == HidChangeWatch::Wake::Interrupted && exit_.IsSet()) break;
    }
    DebugLine("抓取设备线程设定退出");
}

bool DiscoveryThread::RunPass() {
    bool enumerated = true;
    if (!slots_.AllFilled()) {
        enumerated = probe_.Enumerate() != 0;
        if (!enumerated) {
            if (!failing_) DebugLine("discovery: the HID interfaces can't be listed; trying again");
            failing_ = true;
        } else if (failing_) {
            DebugLine("discovery: the HID interfaces are listed again");
            failing_ = false;
        }
        std::vector<std::string> notOpenable;
        while (const std::string* path = enumerated ? probe_.NextPath() : nullptr) {
            ProbeRecord probe = ProbeFromPath(*path);
            if (!slots_.PreMatch(probe)) continue;
            if (!probe_.Open(*path, true, false, true, false)) {
                // One line per node: its collections fail alike.
                const std::string& reason = probe_.LastError();
                if (!reason.empty() &&
                    std::find(notOpenable.begin(), notOpenable.end(), reason) == notOpenable.end())
                    notOpenable.push_back(reason);
                continue;
            }
            probe.vendorId = probe_.VendorId();
            probe.productId = probe_.ProductId();
            probe.usagePage = probe_.UsagePage();
            probe.usage = probe_.Usage();
            // Closed before the owner runs: it opens the interface itself.
            probe_.Close();
            int index = -1;
            if (slots_.Claim(probe, index)) owner_.OnDeviceArrived(index);
        }
        probe_.FreePaths();
        if (enumerated && notOpenable != notOpenable_) {
            notOpenable_ = notOpenable;
            owner_.OnDevicesNotOpenable(notOpenable_);
        }
    }
    if (firstPass_) {
        owner_.OnFirstPassDone();
        firstPass_ = false;
    }

    for (const auto& [index, path] : slots_.ConnectedSlots()) {
        if (backend_.NodePresent(std::string(NodePathOf(path)))) continue;
        slots_.Release(index);
        owner_.OnDeviceRemoved(static_cast<int>(index));
    }
    return enumerated;
}

}  // namespace qx
