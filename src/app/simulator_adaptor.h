// The interface org.mirvel.QX580.Simulator, offered with --simulate: plugs and unplugs the
// simulated devices of the running program and switches the devices behind their receivers.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

namespace qx::sim {
class SimBus;
}

namespace qx::app {

class SimulatorAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Simulator")
  public:
    SimulatorAdaptor(QObject* exported, sim::SimBus& bus, QDBusConnection connection);

  public slots:
    // Each answers with an error for an unknown device or a change that can't be made.
    void Plug(const QString& device, const QDBusMessage& call);
    void Unplug(const QString& device, const QDBusMessage& call);
    void SetReceiverOnline(const QString& device, bool online, const QDBusMessage& call);

  private:
    void Refuse(const QDBusMessage& call, const char* error, const QString& text);

    sim::SimBus& bus_;
    QDBusConnection connection_;
};

}  // namespace qx::app
