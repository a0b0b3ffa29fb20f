// The interface org.mirvel.QX580.Simulator, offered with --simulate: plugs and unplugs the
// simulated devices of the running program, switches the devices behind their receivers, and
// lets another program look into them (memory, the command packets they received) and act on
// them (notifications, faults, power).
#pragma once

#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

namespace qx::sim {
class SimBus;
struct ControlResult;
}  // namespace qx::sim

namespace qx::app {

inline constexpr const char* kErrorUnknownRegion = "org.mirvel.QX580.Error.UnknownRegion";
inline constexpr const char* kErrorUnknownFault = "org.mirvel.QX580.Error.UnknownFault";
inline constexpr const char* kErrorInvalidArgument = "org.mirvel.QX580.Error.InvalidArgument";

class SimulatorAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Simulator")
  public:
    SimulatorAdaptor(QObject* exported, sim::SimBus& bus, QDBusConnection connection);

  public slots:
    // Each answers with an error (whose text says what is wrong) for an unknown device, region
    // or fault name, or a change that can't be made.
    void Plug(const QString& device, const QDBusMessage& call);
    // Plugs the device with its factory memory, as hardware that lost what it was given.
    void PlugReset(const QString& device, const QDBusMessage& call);
    void Unplug(const QString& device, const QDBusMessage& call);
    void SetReceiverOnline(const QString& device, bool online, const QDBusMessage& call);

    // `length` bytes of a memory region from `offset` (length 0: to the region's end).
    QByteArray ReadMemory(const QString& device, const QString& region, uint offset, uint length,
                          const QDBusMessage& call);
    // The command packets the device received since it was plugged, as JSON.
    QString Requests(const QString& device, const QDBusMessage& call);
    void ClearRequests(const QString& device, const QDBusMessage& call);
    void SendNotification(const QString& device, ushort code, const QDBusMessage& call);
    // "silent", "status-ff", "status-fe", "stray-reply" for the next `count` packets (0: until
    // cleared), "unplug-after" `count` packets, "none" clears.
    void SetFault(const QString& device, const QString& fault, uint count,
                  const QDBusMessage& call);
    void SetPower(const QString& device, uint percent, bool charging, const QDBusMessage& call);

  private:
    void Refuse(const QDBusMessage& call, const char* error, const QString& text);
    // Refuses the call when `result` is an error; true when it is not.
    bool Answer(const QDBusMessage& call, const sim::ControlResult& result);

    sim::SimBus& bus_;
    QDBusConnection connection_;
};

}  // namespace qx::app
