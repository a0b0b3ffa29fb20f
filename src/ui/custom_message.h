// The window messages of the program, as Qt events: a numbered message with two parameters,
// posted (queued) or sent (handled before the call returns, from any thread) to a handler that
// lives on the UI thread.
#pragma once

#include <QtGlobal>

class QObject;

namespace qx::ui {

class CustomMessageHandler {
  public:
    virtual ~CustomMessageHandler() = default;
    // Runs on the UI thread. The result is what SendMessage returns.
    virtual qintptr HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) = 0;
};

// The handler must be a QObject as well (its thread is the one the message is handled on).
// From the handler's own thread SendMessage calls it directly; from another thread it waits until
// the UI thread has handled the message (the UI thread must not be waiting for the caller).
// After the handler object is destroyed both do nothing and SendMessage returns 0.
qintptr SendMessage(QObject* handler, unsigned message, qintptr wParam, qintptr lParam);
void PostMessage(QObject* handler, unsigned message, qintptr wParam, qintptr lParam);

}  // namespace qx::ui
