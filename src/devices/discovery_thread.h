// The worker that watches the machine's HID interfaces: every 100 ms it claims free slots for
// newly present interfaces of supported devices and frees the slots of interfaces that are gone,
// handing each arrival and removal to its owner and waiting until the owner has handled it.
#pragma once

#include <thread>

#include "core/event.h"
#include "devices/slot_table.h"
#include "hid/hid_device.h"

namespace qx {

// The owner of the devices (the main window). Called on the discovery thread; an owner that
// lives on another thread hands the call over and returns once it has been handled there.
class DiscoveryOwner {
  public:
    virtual ~DiscoveryOwner() = default;
    virtual void OnDeviceArrived(int slot) = 0;  // message 3090
    virtual void OnDeviceRemoved(int slot) = 0;  // message 3091
    virtual void OnFirstPassDone() = 0;          // IdentityMessage, after the first pass
};

class DiscoveryThread {
  public:
    static constexpr int kPassIntervalMs = 100;

    DiscoveryThread(SlotTable& slots, DiscoveryOwner& owner);
    ~DiscoveryThread();
    DiscoveryThread(const DiscoveryThread&) = delete;
    DiscoveryThread& operator=(const DiscoveryThread&) = delete;

    void Start();
    // Signals the exit event and joins; a pass in progress finishes first.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // One pass: arrivals (only while a slot is free), then the presence of every connected slot.
    // False when enumeration failed, which ends the thread.
    bool RunPass();

  private:
    void Loop();

    SlotTable& slots_;
    DiscoveryOwner& owner_;
    HidDevice probe_;  // used by the discovery thread alone
    Event exit_{true};
    bool firstPass_ = true;
    std::thread thread_;
};

}  // namespace qx
