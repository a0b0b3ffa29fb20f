// The program on the session bus: the registered messages other programs post and send by name,
// the data blocks they copy to it, the broadcasts it makes, and its answer to the work tool.
// Calls arrive on the UI thread and go to the main window's HandleCustomMessage.
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>

namespace qx::sim {
class SimBus;
}

namespace qx::app {

class MessageBus : public QObject {
    Q_OBJECT
  public:
    // `handler` is the main window (a ui::CustomMessageHandler).
    MessageBus(QObject* handler, QDBusConnection connection, QObject* parent = nullptr);
    ~MessageBus() override;

    // Exports the object (with the simulator and automation interfaces when `simulator` is given)
    // and takes the service name. False, with Error(), when there is no bus or the name is taken.
    bool Register(sim::SimBus* simulator = nullptr);
    bool Registered() const { return registered_; }
    QString Error() const { return error_; }
    QDBusConnection Connection() const { return connection_; }

  public slots:
    // The Broadcast signal of the Messages interface.
    void Broadcast(const QString& name, int wParam, int lParam);
    // Sends the tool-query answer to the work tool when it is on the bus; false when it is not
    // (nothing is sent then).
    bool SendToolAnswer(const QByteArray& data);

  private:
    QPointer<QObject> handler_;
    QDBusConnection connection_;
    QObject* exported_ = nullptr;
    class MessagesAdaptor* messages_ = nullptr;
    bool registered_ = false;
    QString error_;
};

// A second start asks the running instance to show itself (IdentityMessage, wParam 0, lParam 1).
// False when no instance answers on the bus.
bool AskRunningInstanceToShow(QDBusConnection connection);

}  // namespace qx::app
