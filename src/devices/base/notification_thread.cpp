#include "devices/base/notification_thread.h"

#include <utility>
#include <vector>

#include "core/diagnostics.h"
#include "hid/hid_device.h"
#include "platform/thread_name.h"

namespace qx::devices {

namespace {
// After a failed read (an interface that went away) the loop waits this long before it tries
// again, so that a dead interface does not keep a core busy until it is closed.
constexpr int kRetryAfterFailureMs = 50;
}  // namespace

NotificationThread::~NotificationThread() { Stop(); }

void NotificationThread::Start(HidDevice& device, CodeHandler handler, std::string exitLine) {
    Stop();
    stop_.Reset();
    device_ = &device;
    thread_ = std::thread(&NotificationThread::Loop, &device, &stop_, &parked_, std::move(handler),
                          std::move(exitLine));
}

void NotificationThread::SetParked(bool parked) {
    if (parked_.exchange(parked) == parked || !parked) return;
    // The read waiting now is cut short; the loop then looks at the interface now and then.
    if (HidDevice* device = device_.load()) device->Cancel();
}

void NotificationThread::Stop() {
    if (!thread_.joinable()) return;
    stop_.Set();
    if (HidDevice* device = device_.load()) device->Cancel();
    thread_.join();
    DebugLine("线程退出：：对象处于激发状态\n");
    device_ = nullptr;
}

uint16_t NotificationThread::CodeOf(const HidDevice& device) {
    const std::vector<HidInputItem>& items = device.InputItems();
    if (items.empty()) return 0;
    const HidInputItem& first = items.front();
    if (first.isButton) return first.usageList.empty() ? 0 : first.usageList.front();
    return static_cast<uint16_t>(first.rawValue);
}

void NotificationThread::Loop(HidDevice* device, Event* stop, const std::atomic<bool>* parked,
                              CodeHandler handler, std::string exitLine) {
    platform::NameThisThread("qx-notify");
    // The interface stays open (with its report length) while the thread runs.
    const size_t length =
        device->InputReportByteLength() > 0 ? device->InputReportByteLength() : 64;
    std::vector<uint8_t> report(length, 0);
    for (;;) {
        // Parked, the look's own wait below is the pause: a second one would double the
        // thread's wake-ups.
        if (parked->load() ? stop->IsSet() : stop->Wait(1)) {
            DebugLine(exitLine);
            return;
        }
        if (!device->IsOpen()) {
            stop->Wait(kRetryAfterFailureMs);
            continue;
        }
        size_t got = 0;
        if (parked->load()) {
            // Whatever waits is taken at once; the node's queue holds far more than arrives
            // between two looks.
            if (stop->Wait(kParkedLookMs)) continue;
            for (HidDevice::Queued queued = HidDevice::Queued::Other;
                 queued != HidDevice::Queued::None && !stop->IsSet();) {
                queued = device->TakeQueued(report.data(), report.size(), &got);
                if (queued != HidDevice::Queued::Own) continue;
                device->UnpackInputReport(report.data(), got);
                handler(CodeOf(*device));
            }
            continue;
        }
        if (device->Read(report.data(), report.size(), &got, HidDevice::kInfinite) == 0) {
            stop->Wait(kRetryAfterFailureMs);
            continue;
        }
        if (stop->IsSet()) continue;
        device->UnpackInputReport(report.data(), got);
        handler(CodeOf(*device));
    }
}

}  // namespace qx::devices
