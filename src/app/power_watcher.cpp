#include "app/power_watcher.h"

#include <QDBusConnection>

#include "ui/custom_message.h"
#include "ui/messages.h"

namespace qx::app {

PowerWatcher::PowerWatcher(QObject* handler, QObject* parent)
    : QObject(parent), handler_(handler) {}

bool PowerWatcher::Start() {
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) return false;
    return system.connect(QStringLiteral("org.freedesktop.login1"),
                          QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"),
                          QStringLiteral("PrepareForSleep"), this, SLOT(PrepareForSleep(bool)));
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
