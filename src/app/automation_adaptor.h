// The interface org.mirvel.QX580.Automation, offered with --simulate: a driver of the program's
// windows by control name (clicks, choices, values, typed text, the pointer over a control), the
// state of a control, the open windows, pictures of them, and answers given in advance to the
// next message box or file dialog.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QStringList>

#include "app/automation_driver.h"

class QWidget;

namespace qx::app {

inline constexpr const char* kAutomationInterface = "org.mirvel.QX580.Automation";
inline constexpr const char* kErrorUnknownControl = "org.mirvel.QX580.Error.UnknownControl";
inline constexpr const char* kErrorInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";

class AutomationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Automation")
  public:
    AutomationAdaptor(QObject* exported, QWidget* mainWindow, QDBusConnection connection);

  public slots:
    // The actions answer once the control is found and can take the action, then act: an action
    // that opens a modal window keeps running while the caller goes on (and may drive that
    // window). Errors: UnknownControl, Refused (hidden, disabled, behind a modal window, of
    // another kind, out of range).
    void Click(const QString& name, const QDBusMessage& call);
    void Select(const QString& name, int index, const QDBusMessage& call);
    void SetValue(const QString& name, int value, const QDBusMessage& call);
    void SetText(const QString& name, const QString& text, const QDBusMessage& call);
    void Hover(const QString& name, const QDBusMessage& call);
    // JSON, see WindowDriver::State.
    QString State(const QString& name, const QDBusMessage& call);
    QStringList Windows();
    // 1 confirms, 0 cancels the next message box.
    void AnswerNextMessage(int button, const QDBusMessage& call);
    // An absolute path, or "" to cancel the next file dialog.
    void AnswerNextFileDialog(const QString& path, const QDBusMessage& call);
    // "" for the main window; `path` absolute.
    void Screenshot(const QString& window, const QString& path, const QDBusMessage& call);

  private:
    // Sends the error of `result` and returns false, or returns true.
    bool Answer(const QDBusMessage& call, const DriverResult& result);
    void Refuse(const QDBusMessage& call, const char* error, const QString& text);
    // Answers the call now (so that a modal window the action opens doesn't hold the caller).
    void AnswerDone(const QDBusMessage& call);

    WindowDriver driver_;
    QDBusConnection connection_;
};

}  // namespace qx::app
