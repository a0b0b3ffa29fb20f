#include "app/messages_adaptor.h"

#include "app/bus_names.h"
#include "app/copy_data.h"
#include "core/diagnostics.h"
#include "ui/custom_message.h"
#include "ui/messages.h"

namespace qx::app {

MessagesAdaptor::MessagesAdaptor(QObject* exported, QObject* handler, QDBusConnection connection)
    : QDBusAbstractAdaptor(exported), handler_(handler), connection_(std::move(connection)) {
    setAutoRelaySignals(false);
}

unsigned MessagesAdaptor::MessageFor(const QString& name, const QDBusMessage& call) {
    const QByteArray utf8 = name.toUtf8();
    const unsigned message =
        msg::RegisteredMessage(std::string_view(utf8.constData(), size_t(utf8.size())));
    if (message == 0) {
        call.setDelayedReply(true);
        connection_.send(
            call.createErrorReply(QString::fromLatin1(kErrorUnknownMessage),
                                  QStringLiteral("\"%1\" is not a registered message").arg(name)));
    }
    return message;
}

void MessagesAdaptor::PostMessage(const QString& name, int wParam, int lParam,
                                  const QDBusMessage& call) {
    const unsigned message = MessageFor(name, call);
    if (message == 0 || !handler_) return;
    ui::PostMessage(handler_, message, wParam, lParam);
}

int MessagesAdaptor::SendMessage(const QString& name, int wParam, int lParam,
                                 const QDBusMessage& call) {
    const unsigned message = MessageFor(name, call);
    if (message == 0 || !handler_) return 0;
    return static_cast<int>(ui::SendMessage(handler_, message, wParam, lParam));
}

void MessagesAdaptor::CopyData(const QString& sender, uint kind, const QByteArray& data,
                               const QDBusMessage& call) {
    if (data.size() > kMaxCopyDataBytes) {
        call.setDelayedReply(true);
        connection_.send(call.createErrorReply(QString::fromLatin1(kErrorRefused),
                                               QStringLiteral("data block too large")));
        return;
    }
    if (auto* receiver = dynamic_cast<CopyDataReceiver*>(handler_.data()))
        receiver->ReceiveCopyData(CopyDataParam{sender, kind, data});
}

}  // namespace qx::app
