#include "ui/custom_message.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>

namespace qx::ui {
namespace {

// The handler is looked up again on the UI thread: it may have gone while the call was queued.
qintptr Deliver(const QPointer<QObject>& target, unsigned message, qintptr wParam, qintptr lParam) {
    if (target.isNull()) return 0;
    auto* handler = dynamic_cast<CustomMessageHandler*>(target.data());
    if (handler == nullptr) return 0;
    return handler->HandleCustomMessage(message, wParam, lParam);
}

}  // namespace

qintptr SendMessage(QObject* handler, unsigned message, qintptr wParam, qintptr lParam) {
    if (handler == nullptr) return 0;
    QPointer<QObject> target(handler);
    if (handler->thread() == QThread::currentThread()) {
        return Deliver(target, message, wParam, lParam);
    }
    qintptr result = 0;
    // A call event that is dropped (its receiver destroyed first) still releases the caller.
    const bool queued = QMetaObject::invokeMethod(
        handler,
        [target, message, wParam, lParam] { return Deliver(target, message, wParam, lParam); },
        Qt::BlockingQueuedConnection, &result);
    return queued ? result : 0;
}

void PostMessage(QObject* handler, unsigned message, qintptr wParam, qintptr lParam) {
    if (handler == nullptr) return;
    QPointer<QObject> target(handler);
    QMetaObject::invokeMethod(
        handler, [target, message, wParam, lParam] { Deliver(target, message, wParam, lParam); },
        Qt::QueuedConnection);
}

}  // namespace qx::ui
