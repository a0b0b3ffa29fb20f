// Sleep and wake-up from logind's PrepareForSleep signal on the system bus.
#include <QDBusConnection>
#include <QObject>

#include "platform/sleep_watcher.h"

namespace qx::platform {
namespace {

class LogindSleepWatcher final : public QObject, public SleepWatcher {
    Q_OBJECT
  public:
    explicit LogindSleepWatcher(std::function<void(bool)> onChange)
        : onChange_(std::move(onChange)) {}

    bool Start() override {
        QDBusConnection system = QDBusConnection::systemBus();
        if (!system.isConnected()) return false;
        return system.connect(QStringLiteral("org.freedesktop.login1"),
                              QStringLiteral("/org/freedesktop/login1"),
                              QStringLiteral("org.freedesktop.login1.Manager"),
                              QStringLiteral("PrepareForSleep"), this, SLOT(PrepareForSleep(bool)));
    }

  public slots:
    void PrepareForSleep(bool start) {
        if (onChange_) onChange_(start);
    }

  private:
    std::function<void(bool)> onChange_;
};

}  // namespace

std::unique_ptr<SleepWatcher> MakeSleepWatcher(std::function<void(bool sleeping)> onChange) {
    return std::make_unique<LogindSleepWatcher>(std::move(onChange));
}

}  // namespace qx::platform

#include "logind_sleep_watcher.moc"
