#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <ostream>
#include <string>

#include "ctl/commands.h"

namespace qx::ctl {
namespace {

constexpr const char* kService = "org.mirvel.QX580";
constexpr const char* kPath = "/org/mirvel/QX580";
constexpr const char* kInterface = "org.mirvel.QX580.Simulator";
constexpr int kCallTimeoutMs = 5000;

// The bus library warns about its own types while it shuts down after an error reply; that says
// nothing about the command, which has already reported its result.
void DropShutdownNoise(QtMsgType type, const QMessageLogContext& where, const QString& text) {
    if (text.startsWith(QLatin1String("Trying to construct an instance of an invalid type")))
        return;
    qt_message_output(type, where, text);
}

void Usage(Context& context) {
    context.err << "usage: qx580ctl sim plug|unplug|online|offline DEVICE\n"
                   "  DEVICE: keyboard, keyboard-receiver, headset, mouse, mouse-receiver, pad\n"
                   "  (the program must run with --simulate)\n";
}

}  // namespace

// Hot-plugs a simulated device of the running program through its bus interface.
int RunSimCommand(Context& context, Args args) {
    if (args.size() != 2) {
        Usage(context);
        return kExitUsage;
    }
    const std::string& action = args[0];
    const QString device = QString::fromStdString(args[1]);
    QString method;
    QVariantList arguments{device};
    if (action == "plug") {
        method = QStringLiteral("Plug");
    } else if (action == "unplug") {
        method = QStringLiteral("Unplug");
    } else if (action == "online" || action == "offline") {
        method = QStringLiteral("SetReceiverOnline");
        arguments << QVariant(action == "online");
    } else {
        context.err << "qx580ctl: unknown sim action \"" << action << "\"\n";
        Usage(context);
        return kExitUsage;
    }

    // The bus connection wants an application object. It lives until the process ends: the bus
    // library's own thread still delivers messages while the connection shuts down.
    static int argc = 1;
    static char name[] = "qx580ctl";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
    qInstallMessageHandler(DropShutdownNoise);

    // A connection of its own, closed before the command returns, so that nothing of the bus
    // library is still at work while the process ends.
    const QString connectionName = QStringLiteral("qx580ctl-sim");
    struct Closer {
        QString name;
        ~Closer() { QDBusConnection::disconnectFromBus(name); }
    } closer{connectionName};
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
    if (!bus.isConnected()) {
        context.err << "qx580ctl: no session bus: " << bus.lastError().message().toStdString()
                    << '\n';
        return kExitFailure;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        const QString error = reply.errorName();
        if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
            error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
            error == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface") ||
            error == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")) {
            context.err << "qx580ctl: no running \"qx580 --simulate\" on the session bus\n";
        } else {
            context.err << "qx580ctl: " << reply.errorMessage().toStdString() << '\n';
        }
        return kExitFailure;
    }
    context.out << "sim " << action << ' ' << args[1] << ": done\n";
    return kExitOk;
}

}  // namespace qx::ctl
