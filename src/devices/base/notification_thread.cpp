#include "devices/base/notification_thread.h"

#include <chrono>
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
    resting_.store(false);
    {
        std::lock_guard lock(lookMutex_);
        handler_ = std::move(handler);
        device_ = &device;
    }
    thread_ = std::thread(&NotificationThread::Loop, this, std::move(exitLine));
}

void NotificationThread::SetParked(bool parked) {
    if (parked_.exchange(parked) == parked) return;
    if (parked) {
        // The read waiting now is cut short; the loop then waits for looks.
        if (HidDevice* device = device_.load()) device->Cancel();
        return;
    }
    { std::lock_guard lock(parkMutex_); }
    parkChanged_.notify_all();
}

void NotificationThread::Look() {
    std::lock_guard lock(lookMutex_);
    HidDevice* device = device_.load();
    // Until the thread rests, its read may still wait for the cancel that parks it, and a look
    // would take that cancel: the thread would stay in its read, woken by every reply. It takes
    // the notifications itself meanwhile.
    if (!parked_.load() || !resting_.load() || device == nullptr || !device->IsOpen() ||
        stop_.IsSet())
        return;
    TakeQueued(lookReport_);
}

void NotificationThread::Stop() {
    if (!thread_.joinable()) return;
    stop_.Set();
    { std::lock_guard lock(parkMutex_); }
    parkChanged_.notify_all();
    if (HidDevice* device = device_.load()) device->Cancel();
    thread_.join();
    DebugLine("线程退出：：对象处于激发状态\n");
    std::lock_guard lock(lookMutex_);
    device_ = nullptr;
}

void NotificationThread::Hand(std::vector<uint8_t>& report, size_t got) {
    HidDevice* device = device_.load();
    device->UnpackInputReport(report.data(), got);
    handler_(CodeOf(*device));
}

void NotificationThread::TakeQueued(std::vector<uint8_t>& report) {
    HidDevice* device = device_.load();
    const size_t length =
        device->InputReportByteLength() > 0 ? device->InputReportByteLength() : 64;
    if (report.size() != length) report.assign(length, 0);
    size_t got = 0;
    // Whatever waits is taken at once; the node's queue holds far more than arrives between two
    // looks.
    for (HidDevice::Queued queued = HidDevice::Queued::Other;
         queued != HidDevice::Queued::None && !stop_.IsSet();) {
        queued = device->TakeQueued(report.data(), report.size(), &got);
        if (queued == HidDevice::Queued::Own) Hand(report, got);
    }
}

uint16_t NotificationThread::CodeOf(const HidDevice& device) {
    const std::vector<HidInputItem>& items = device.InputItems();
    if (items.empty()) return 0;
    const HidInputItem& first = items.front();
    if (first.isButton) return first.usageList.empty() ? 0 : first.usageList.front();
    return static_cast<uint16_t>(first.rawValue);
}

void NotificationThread::Loop(std::string exitLine) {
    platform::NameThisThread("qx-notify");
    HidDevice* device = device_.load();
    // The interface stays open (with its report length) while the thread runs.
    const size_t length =
        device->InputReportByteLength() > 0 ? device->InputReportByteLength() : 64;
    std::vector<uint8_t> report(length, 0);
    for (;;) {
        // Parked, the wait below is the pause: a second one would only add wake-ups.
        if (parked_.load() ? stop_.IsSet() : stop_.Wait(1)) {
            DebugLine(exitLine);
            return;
        }
        if (!device->IsOpen()) {
            stop_.Wait(kRetryAfterFailureMs);
            continue;
        }
        if (parked_.load()) {
            resting_.store(true);
            {
                std::unique_lock lock(parkMutex_);
                parkChanged_.wait_for(lock, std::chrono::milliseconds(kParkedLookMs),
                                      [this] { return stop_.IsSet() || !parked_.load(); });
            }
            if (stop_.IsSet()) continue;
            // Nobody may have looked lately, and what came before the end of the parking is
            // handed on before the reads take over.
            std::lock_guard lock(lookMutex_);
            TakeQueued(report);
            continue;
        }
        // Said before the parking is looked at again: a look either sees that the thread reads,
        // or the thread sees the parking and leaves the cancel to the looks.
        resting_.store(false);
        if (parked_.load()) continue;
        size_t got = 0;
        if (device->Read(report.data(), report.size(), &got, HidDevice::kInfinite) == 0) {
            // Cut short by the parking: no failure to wait after.
            if (!parked_.load()) stop_.Wait(kRetryAfterFailureMs);
            continue;
        }
        if (stop_.IsSet()) continue;
        std::lock_guard lock(lookMutex_);
        Hand(report, got);
    }
}

}  // namespace qx::devices
