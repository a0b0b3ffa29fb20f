#include "app/power_watcher.h"

#include "ui/custom_message.h"
#include "ui/messages.h"

namespace qx::app {

PowerWatcher::PowerWatcher(QObject* handler) : handler_(handler) {}

bool PowerWatcher::Start() {
    if (!watcher_) {
        watcher_ = platform::MakeSleepWatcher([this](bool start) { PrepareForSleep(start); });
    }
    return watcher_->Start();
}

void PowerWatcher::PrepareForSleep(bool start) {
    if (!handler_) return;
    // Suspend is handed over at once so that game and hook messages still queued behind it are
    // already seen with the awake flag off.
    if (start)
        ui::SendMessage(handler_, msg::kPowerBroadcast, msg::kPowerSuspend, 0);
    else
        ui::PostMessage(handler_, msg::kPowerBroadcast, msg::kPowerResume, 0);
}

}  // namespace qx::app
