// Change watches for a backend that learns of its own changes (the simulated bus, test doubles):
// the backend calls Notify() when a node comes or goes, and every watch made by Watch() wakes.
// Also the timer-only watch of a backend that reports nothing.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/hid_backend.h"

namespace qx {

class HidChangeNotice {
  public:
    HidChangeNotice() = default;
    HidChangeNotice(const HidChangeNotice&) = delete;
    HidChangeNotice& operator=(const HidChangeNotice&) = delete;

    // Wakes every watch (a watch not waiting now returns Changed from its next wait). Any thread.
    void Notify();

    // A watch woken by Notify(); rescanIntervalMs > 0 also ends its waits with Changed after
    // that long (for a backend that may miss changes), -1 never.
    std::unique_ptr<HidChangeWatch> Watch(int rescanIntervalMs = -1);

    struct WatchState;  // shared by a watch and the notice, so either may go first

  private:
    std::mutex mutex_;
    std::vector<std::weak_ptr<WatchState>> watches_;
};

// A watch that only wakes after rescanIntervalMs (and on Interrupt).
std::unique_ptr<HidChangeWatch> MakeTimerChangeWatch(int rescanIntervalMs);

}  // namespace qx
