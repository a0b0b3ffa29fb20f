#include "app/message_bus.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "app/automation_adaptor.h"
#include "app/bus_names.h"
#include "app/devices_adaptor.h"
#include "app/keys_adaptor.h"
#include "app/lighting_adaptor.h"
#include "app/macros_adaptor.h"
#include "app/main_wnd.h"
#include "app/messages_adaptor.h"
#include "app/mouse_adaptor.h"
#include "app/simulator_adaptor.h"
#include "app/tool_query.h"
#include "core/diagnostics.h"
#include "ui/messages.h"

namespace qx::app {
namespace {

constexpr int kAskTimeoutMs = 2000;

}  // namespace

MessageBus::MessageBus(QObject* handler, QDBusConnection connection, QObject* parent)
    : QObject(parent), handler_(handler), connection_(std::move(connection)) {}

MessageBus::~MessageBus() {
    if (registered_) {
        connection_.unregisterObject(QString::fromLatin1(kBusObjectPath));
        connection_.unregisterService(QString::fromLatin1(kBusService));
    }
    delete exported_;
}

bool MessageBus::Register(sim::SimBus* simulator) {
    if (registered_) return true;
    if (!connection_.isConnected()) {
        error_ = connection_.lastError().message();
        if (error_.isEmpty()) error_ = QStringLiteral("no session bus");
        return false;
    }
    exported_ = new QObject;
    messages_ = new MessagesAdaptor(exported_, handler_, connection_);
    if (auto* window = qobject_cast<CMainWnd*>(handler_.data()))
        new DevicesAdaptor(exported_, window, connection_);
    if (auto* lit = qobject_cast<CMainWnd*>(handler_.data()))
        new LightingAdaptor(exported_, lit, connection_);
    if (auto* window = qobject_cast<CMainWnd*>(handler_.data()))
        new KeysAdaptor(exported_, window, connection_);
    if (auto* window = qobject_cast<CMainWnd*>(handler_.data()))
        new MacrosAdaptor(exported_, window, connection_);
    if (auto* window = qobject_cast<CMainWnd*>(handler_.data()))
        new MouseAdaptor(exported_, window, connection_);
    if (simulator != nullptr) new SimulatorAdaptor(exported_, *simulator, connection_);
    if (simulator != nullptr)
        new AutomationAdaptor(exported_, qobject_cast<QWidget*>(handler_.data()), connection_);
    if (!connection_.registerObject(QString::fromLatin1(kBusObjectPath), exported_)) {
        error_ = QStringLiteral("can't export %1").arg(QString::fromLatin1(kBusObjectPath));
        delete exported_;
        exported_ = nullptr;
        messages_ = nullptr;
        return false;
    }
    if (!connection_.registerService(QString::fromLatin1(kBusService))) {
        error_ = connection_.lastError().message();
        connection_.unregisterObject(QString::fromLatin1(kBusObjectPath));
        delete exported_;
        exported_ = nullptr;
        messages_ = nullptr;
        return false;
    }
    registered_ = true;
    return true;
}

void MessageBus::Broadcast(const QString& name, int wParam, int lParam) {
    if (!registered_ || messages_ == nullptr) return;
    emit messages_->Broadcast(name, wParam, lParam);
}

bool MessageBus::SendToolAnswer(const QByteArray& data) {
    if (!connection_.isConnected()) return false;
    QDBusConnectionInterface* bus = connection_.interface();
    if (bus == nullptr) return false;
    const QDBusReply<bool> present =
        bus->isServiceRegistered(QString::fromLatin1(kWorkToolService));
    if (!present.isValid() || !present.value()) return false;
    // No interface named: the tool's CopyData is found by name on its root object. The call is
    // not waited for; the tool's answer, if any, is of no use here.
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kWorkToolService),
                                                       QString::fromLatin1(kWorkToolPath),
                                                       QString(), QStringLiteral("CopyData"));
    call << QString::fromLatin1(kBusService) << uint(kToolQueryDataKind) << data;
    call.setAutoStartService(false);
    return connection_.send(call);
}

bool AskRunningInstanceToShow(QDBusConnection connection) {
    if (!connection.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kBusService), QString::fromLatin1(kBusObjectPath),
        QString::fromLatin1(kMessagesInterface), QStringLiteral("PostMessage"));
    call << QString::fromUtf8(msg::kIdentityName.data(), qsizetype(msg::kIdentityName.size())) << 0
         << 1;
    call.setAutoStartService(false);
    // Waits in a local loop, so that a caller whose own thread serves the bus (tests) still
    // gets its answer.
    QDBusPendingCall pending = connection.asyncCall(call, kAskTimeoutMs);
    QDBusPendingCallWatcher watcher(pending);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kAskTimeoutMs + 500, &loop, &QEventLoop::quit);
    if (!pending.isFinished()) loop.exec();
    const QDBusMessage reply = pending.reply();
    if (reply.type() != QDBusMessage::ReplyMessage)
        DebugLine("asking the running instance failed: " + reply.errorMessage().toStdString());
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace qx::app
