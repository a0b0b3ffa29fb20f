#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <memory>
#include <ostream>
#include <string>

#include "ctl/commands.h"

namespace qx::ctl {
namespace {

constexpr const char* kService = "org.mirvel.QX580";
constexpr const char* kPath = "/org/mirvel/QX580";
constexpr const char* kInterface = "org.mirvel.QX580.Simulator";
constexpr int kCallTimeoutMs = 5000;

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

    // The bus connection wants an application object; a command runs without one otherwise.
    static int argc = 1;
    static char name[] = "qx580ctl";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr)
        application = std::make_unique<QCoreApplication>(argc, argv);

    QDBusConnection bus = QDBusConnection::sessionBus();
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
