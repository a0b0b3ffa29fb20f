#include "ctl/bus_call.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <ostream>

#include "core/device_names.h"

namespace qx::ctl {
namespace {

// The bus library warns about its own types while it shuts down after an error reply; that says
// nothing about the command, which has already reported its result.
void DropShutdownNoise(QtMsgType type, const QMessageLogContext& where, const QString& text) {
    if (text.startsWith(QLatin1String("Trying to construct an instance of an invalid type")))
        return;
    qt_message_output(type, where, text);
}

bool MeansNotRunning(const QString& error) {
    return error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           error == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface") ||
           error == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
           error == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod");
}

}  // namespace

const CtlFamily* FindCtlFamily(const std::string& name) {
    // A family's receiver reaches the same device and profiles.
    std::string canonical = CanonicalDeviceName(name);
    if (const size_t receiver = canonical.find("-receiver"); receiver != std::string::npos)
        canonical.erase(receiver);
    for (const CtlFamily& family : kCtlFamilies) {
        if (canonical == family.name || name == family.folder) return &family;
    }
    return nullptr;
}

BusCall::BusCall(const char* connectionName, const char* interfaceName, const char* what,
                 int timeoutMs)
    : connectionName_(QString::fromLatin1(connectionName)),
      interface_(QString::fromLatin1(interfaceName)),
      what_(what),
      timeoutMs_(timeoutMs) {
    // The bus connection wants an application object. It lives until the process ends: the bus
    // library's own thread still delivers messages while the connection shuts down.
    static int argc = 1;
    static char name[] = "qx580ctl";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
    qInstallMessageHandler(DropShutdownNoise);
    bus_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_);
}

BusCall::~BusCall() { QDBusConnection::disconnectFromBus(connectionName_); }

bool BusCall::ProgramRunning() {
    if (!bus_.isConnected() || bus_.interface() == nullptr) return false;
    const QDBusReply<bool> owned =
        bus_.interface()->isServiceRegistered(QString::fromLatin1(kBusService));
    if (!owned.isValid() || !owned.value()) return false;
    // The program answers for the interface: its introspection names it.
    QDBusMessage introspect = QDBusMessage::createMethodCall(
        QString::fromLatin1(kBusService), QString::fromLatin1(kBusPath),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    introspect.setAutoStartService(false);
    const QDBusMessage reply = bus_.call(introspect, QDBus::Block, timeoutMs_);
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).toString().contains(interface_);
}

std::optional<QVariantList> BusCall::Call(Context& context, const QString& method,
                                          const QVariantList& arguments, bool tell) {
    lastError_.clear();
    lastMessage_.clear();
    if (!bus_.isConnected()) {
        context.err << "qx580ctl: no session bus: " << bus_.lastError().message().toStdString()
                    << '\n';
        lastError_ = QStringLiteral("org.freedesktop.DBus.Error.NoServer");
        return std::nullopt;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kBusService), QString::fromLatin1(kBusPath), interface_, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, timeoutMs_);
    if (reply.type() == QDBusMessage::ReplyMessage) return reply.arguments();
    lastError_ = reply.errorName();
    lastMessage_ = reply.errorMessage();
    if (!tell) return std::nullopt;
    if (MeansNotRunning(lastError_)) {
        context.err << "qx580ctl: no running \"" << what_ << "\" on the session bus\n";
    } else {
        context.err << "qx580ctl: " << reply.errorMessage().toStdString() << '\n';
    }
    return std::nullopt;
}

}  // namespace qx::ctl
