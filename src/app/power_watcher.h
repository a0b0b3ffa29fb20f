// The machine's sleep and wake-up, as the platform reports them, handed to the main window as
// the power broadcast message (suspend / resume).
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/sleep_watcher.h"

namespace qx::app {

class PowerWatcher {
  public:
    explicit PowerWatcher(QObject* handler);
    // False when the platform offers no sleep notices; the program runs without them.
    bool Start();

    // What a notice does: true before the machine sleeps, false after it woke.
    void PrepareForSleep(bool start);

  private:
    QPointer<QObject> handler_;
    std::unique_ptr<platform::SleepWatcher> watcher_;
};

}  // namespace qx::app
