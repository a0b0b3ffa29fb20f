// The worker that watches the machine's HID interfaces: it claims free slots for newly present
// interfaces of supported devices and frees the slots of interfaces that are gone, handing each
// arrival and removal to its owner and waiting until the owner has handled it. Between passes it
// sleeps until the HID backend reports a change (a plug or an unplug), not on a timer.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/event.h"
#include "devices/slot_table.h"
#include "hid/hid_device.h"
#include "platform/hid_backend.h"

namespace qx {

// The owner of the devices (the main window). Called on the discovery thread; an owner that
// lives on another thread hands the call over and returns once it has been handled there.
class DiscoveryOwner {
  public:
    virtual ~DiscoveryOwner() = default;
    virtual void OnDeviceArrived(int slot) = 0;  // message 3090
    virtual void OnDeviceRemoved(int slot) = 0;  // message 3091
    virtual void OnFirstPassDone() = 0;          // IdentityMessage, after the first pass
    // The supported interfaces that are present but do not open (each with the reason, which
    // names the fix for a missing permission), whenever that list changes; empty once they
    // open or are gone.
    virtual void OnDevicesNotOpenable(const std::vector<std::string>& reasons) { (void)reasons; }
};

class DiscoveryThread {
  public:
    // After a failed enumeration the next pass comes this much later, change or not.
    static constexpr int kRetryAfterFailureMs = 1000;

    // Watches the interfaces `backend` offers (the hidraw nodes, or the simulated bus).
    DiscoveryThread(SlotTable& slots, DiscoveryOwner& owner, HidBackend& backend);
    ~DiscoveryThread();
    DiscoveryThread(const DiscoveryThread&) = delete;
    DiscoveryThread& operator=(const DiscoveryThread&) = delete;

    // Watches the active HID backend from now on, then runs the first pass on the thread.
    void Start();
    // Signals the exit event, ends the wait for a change and joins; a pass in progress
    // finishes first.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // One pass: arrivals (only while a slot is free), then the presence of every connected slot.
    // The first pass is announced even when its enumeration failed, so the window still comes
    // up. False when enumeration failed: the thread tries again after the retry delay.
    bool RunPass();

    // Passes run so far by the thread (for tests and measurements).
    int PassCount() const;

    void SetRetryDelayMs(int ms) { retryDelayMs_ = ms; }

  private:
    void Loop();

    SlotTable& slots_;
    DiscoveryOwner& owner_;
    HidBackend& backend_;
    HidDevice probe_;                       // used by the discovery thread alone
    std::vector<std::string> notOpenable_;  // the reasons last handed to the owner
    Event exit_{true};
    bool firstPass_ = true;
    bool failing_ = false;  // the last enumeration failed (said once until it works again)
    int retryDelayMs_ = kRetryAfterFailureMs;
    std::unique_ptr<HidChangeWatch> watch_;  // made by Start before the thread runs
    mutable std::mutex countMutex_;
    int passes_ = 0;
    std::thread thread_;
};

}  // namespace qx
