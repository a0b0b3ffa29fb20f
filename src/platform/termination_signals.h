// The requests to end the program that come from outside (Ctrl+C, the session ending: SIGINT and
// SIGTERM on Linux). The callback runs on the thread of the program's event loop, never inside a
// signal handler, so it may end the program the orderly way.
#pragma once

#include <functional>
#include <memory>

namespace qx::platform {

class TerminationSignals {
  public:
    virtual ~TerminationSignals() = default;  // the default handling comes back
    // False when the requests can't be watched (the program then ends the default way).
    virtual bool Active() const = 0;
};

// One watcher at a time: while one lives, a second is inactive. Needs a running Qt event loop.
std::unique_ptr<TerminationSignals> WatchTerminationSignals(std::function<void()> onRequest);

}  // namespace qx::platform
