// A worker that reads one notification interface of a device and hands every notification code
// to its device. It is stopped by its stop event together with a cancel of the blocked read, and
// joined; it is never killed.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/event.h"

namespace qx {
class HidDevice;
}

namespace qx::devices {

class NotificationThread {
  public:
    using CodeHandler = std::function<void(uint16_t code)>;

    NotificationThread() = default;
    ~NotificationThread();  // stops
    NotificationThread(const NotificationThread&) = delete;
    NotificationThread& operator=(const NotificationThread&) = delete;

    // Starts reading `device` (opened by the caller, kept open while the thread runs). A
    // running thread is stopped first. `exitLine` is the diagnostic line written on exit.
    void Start(HidDevice& device, CodeHandler handler, std::string exitLine);
    // Signals the stop event, cuts the blocked read short and joins. Harmless when not running.
    void Stop();
    bool Running() const { return thread_.joinable(); }
    // Parked, the thread does not wait on the interface: every report of the node (the command
    // channel's replies among them) would wake it. Whoever parks it looks at what waits there
    // (Look) as often as notifications should be answered; the thread itself looks only every
    // kParkedLookMs, in case nobody does. While frames stream, the light thread looks on each
    // of its passes, which it makes anyway. Any thread.
    void SetParked(bool parked);
    bool Parked() const { return parked_.load(); }
    // Whether the parked thread has stopped reading (tests and measurements).
    bool Resting() const { return parked_.load() && resting_.load(); }
    static constexpr int kParkedLookMs = 250;
    // While parked: hands every notification waiting on the interface to the handler, on the
    // calling thread (which must not be the handler's). Nothing while not parked. Any thread.
    void Look();

    // The notification code of an unpacked input report: the first usage of the first input
    // item; 0 when there is none.
    static uint16_t CodeOf(const HidDevice& device);

  private:
    void Loop(std::string exitLine);
    // Unpacks `got` bytes of `report` and hands the code on; lookMutex_ held.
    void Hand(std::vector<uint8_t>& report, size_t got);
    // Takes everything queued on the interface; lookMutex_ held.
    void TakeQueued(std::vector<uint8_t>& report);

    Event stop_{true};
    std::atomic<bool> parked_{false};
    // The thread waits in its parking and reads nothing: only then do looks read the interface.
    std::atomic<bool> resting_{false};
    std::atomic<HidDevice*> device_{nullptr};
    CodeHandler handler_;
    // Serialises the unpacking of reports and the handler's calls between the thread and Look.
    std::mutex lookMutex_;
    std::vector<uint8_t> lookReport_;  // Look's buffer (lookMutex_)
    // The parked thread waits here for the stop, the end of the parking, or its own look.
    std::mutex parkMutex_;
    std::condition_variable parkChanged_;
    std::thread thread_;
};

}  // namespace qx::devices
