// A worker that reads one notification interface of a device and hands every notification code
// to its device. It is stopped by its stop event together with a cancel of the blocked read, and
// joined; it is never killed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

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
    // channel's replies among them) would wake it. It looks at what waits there every
    // kParkedLookMs instead: while frames stream, a few dozen wake-ups a second in place of one
    // per reply. Any thread.
    void SetParked(bool parked);
    bool Parked() const { return parked_.load(); }
    static constexpr int kParkedLookMs = 20;

    // The notification code of an unpacked input report: the first usage of the first input
    // item; 0 when there is none.
    static uint16_t CodeOf(const HidDevice& device);

  private:
    static void Loop(HidDevice* device, Event* stop, const std::atomic<bool>* parked,
                     CodeHandler handler, std::string exitLine);

    Event stop_{true};
    std::atomic<bool> parked_{false};
    std::atomic<HidDevice*> device_{nullptr};
    std::thread thread_;
};

}  // namespace qx::devices
