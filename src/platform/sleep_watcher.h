// The machine going to sleep and waking up again. The callback runs on the thread of the
// program's event loop: true just before the machine sleeps, false once it has woken.
#pragma once

#include <functional>
#include <memory>

namespace qx::platform {

class SleepWatcher {
  public:
    virtual ~SleepWatcher() = default;
    // False when the system offers no such notices (no system bus, no logind); the program then
    // runs without them.
    virtual bool Start() = 0;
};

// Needs a running Qt event loop.
std::unique_ptr<SleepWatcher> MakeSleepWatcher(std::function<void(bool sleeping)> onChange);

}  // namespace qx::platform
