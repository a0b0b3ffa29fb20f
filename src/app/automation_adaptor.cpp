#include "app/automation_adaptor.h"

#include <QDir>
#include <QWidget>

#include "app/bus_names.h"
#include "app/msg_wnd.h"
#include "ui/file_dialogs.h"

namespace qx::app {
namespace {

const char* ErrorName(DriverError::Code code) {
    switch (code) {
        case DriverError::kUnknownControl:
            return kErrorUnknownControl;
        case DriverError::kRefused:
            return kErrorRefused;
        case DriverError::kFailed:
            break;
    }
    return kErrorFailed;
}

}  // namespace

AutomationAdaptor::AutomationAdaptor(QObject* exported, QWidget* mainWindow,
                                     QDBusConnection connection)
    : QDBusAbstractAdaptor(exported), driver_(mainWindow), connection_(std::move(connection)) {}

void AutomationAdaptor::Refuse(const QDBusMessage& call, const char* error, const QString& text) {
    call.setDelayedReply(true);
    connection_.send(call.createErrorReply(QString::fromLatin1(error), text));
}

bool AutomationAdaptor::Answer(const QDBusMessage& call, const DriverResult& result) {
    if (result.Ok()) return true;
    Refuse(call, ErrorName(result.Error().code), result.Error().text);
    return false;
}

void AutomationAdaptor::AnswerDone(const QDBusMessage& call) {
    call.setDelayedReply(true);
    connection_.send(call.createReply());
}

void AutomationAdaptor::Click(const QString& name, const QDBusMessage& call) {
    if (!Answer(call, driver_.CheckClick(name))) return;
    AnswerDone(call);
    driver_.Click(name);
}

void AutomationAdaptor::Select(const QString& name, int index, const QDBusMessage& call) {
    if (!Answer(call, driver_.CheckSelect(name, index))) return;
    AnswerDone(call);
    driver_.Select(name, index);
}

void AutomationAdaptor::SetValue(const QString& name, int value, const QDBusMessage& call) {
    if (!Answer(call, driver_.CheckSetValue(name, value))) return;
    AnswerDone(call);
    driver_.SetValue(name, value);
}

void AutomationAdaptor::SetText(const QString& name, const QString& text,
                                const QDBusMessage& call) {
    if (!Answer(call, driver_.CheckSetText(name, text))) return;
    AnswerDone(call);
    driver_.SetText(name, text);
}

void AutomationAdaptor::Hover(const QString& name, const QDBusMessage& call) {
    if (!Answer(call, driver_.CheckHover(name))) return;
    AnswerDone(call);
    driver_.Hover(name);
}

QString AutomationAdaptor::State(const QString& name, const QDBusMessage& call) {
    QString json;
    Answer(call, driver_.State(name, &json));
    return json;
}

QStringList AutomationAdaptor::Windows() { return driver_.Windows(); }

void AutomationAdaptor::AnswerNextMessage(int button, const QDBusMessage& call) {
    if (button != 0 && button != 1)
        return Refuse(call, kErrorInvalidArgs,
                      QStringLiteral("a message box is answered with 1 (confirm) or 0 (cancel), "
                                     "not %1")
                          .arg(button));
    QueueMessageAnswer(button);
}

void AutomationAdaptor::AnswerNextFileDialog(const QString& path, const QDBusMessage& call) {
    if (!path.isEmpty() && QDir::isRelativePath(path))
        return Refuse(call, kErrorInvalidArgs,
                      QStringLiteral("the file dialog's answer must be an absolute path, not "
                                     "\"%1\"")
                          .arg(path));
    ui::FileDialogs::QueueAnswer(path.isEmpty() ? QString() : QDir::cleanPath(path));
}

void AutomationAdaptor::Screenshot(const QString& window, const QString& path,
                                   const QDBusMessage& call) {
    if (path.isEmpty() || QDir::isRelativePath(path))
        return Refuse(call, kErrorInvalidArgs,
                      QStringLiteral("the picture needs an absolute path, not \"%1\"").arg(path));
    Answer(call, driver_.Screenshot(window, path));
}

}  // namespace qx::app
