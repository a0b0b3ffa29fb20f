#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QStringList>
#include <mutex>
#include <optional>

#include "core/diagnostics.h"

namespace qx::ui {
namespace {

std::mutex answersLock;
QStringList answers;

std::optional<QString> TakeAnswer(const char* kind) {
    std::lock_guard<std::mutex> hold(answersLock);
    if (answers.isEmpty()) return std::nullopt;
    QString path = answers.takeFirst();
    DebugLine(std::string(kind) + " file dialog answered without showing: " +
              (path.isEmpty() ? std::string("cancel") : path.toStdString()));
    return path;
}

}  // namespace

QString FileDialogs::GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                     const QString& filter) {
    if (std::optional<QString> answer = TakeAnswer("open")) return *answer;
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString FileDialogs::GetSaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                     const QString& filter) {
    if (std::optional<QString> answer = TakeAnswer("save")) return *answer;
    return QFileDialog::getSaveFileName(parent, caption, folder, filter);
}

void FileDialogs::QueueAnswer(const QString& path) {
    std::lock_guard<std::mutex> hold(answersLock);
    answers.append(path);
}

int FileDialogs::QueuedAnswers() {
    std::lock_guard<std::mutex> hold(answersLock);
    return int(answers.size());
}

void FileDialogs::ClearAnswers() {
    std::lock_guard<std::mutex> hold(answersLock);
    answers.clear();
}

}  // namespace qx::ui
