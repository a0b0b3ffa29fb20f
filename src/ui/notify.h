// Notifications of the toolkit: an event type and the control that raised it, delivered by name
// to the window and to every other receiver registered with the window's paint manager.
#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

namespace qx::ui {

struct TNotifyUI {
    QString type;  // "click", "selectchanged", "itemselect", "valuechanged", ...
    QWidget* sender = nullptr;
    QString senderName;  // the sender's object name when it was raised
    qintptr wParam = 0;  // event-specific: timer id, item index, value, ...
    qintptr lParam = 0;
};

// A receiver of notifications (the main window, device objects, panels).
class INotifyUI {
  public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

}  // namespace qx::ui
