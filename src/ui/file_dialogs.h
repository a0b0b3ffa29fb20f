// The program's open and save file dialogs. A queued answer (set by the window driver of a
// simulated run) is taken in place of the next dialog, which is then not shown.
#pragma once

#include <QString>

class QWidget;

namespace qx::ui {

class FileDialogs {
  public:
    // The chosen file; empty when the user cancelled. `filter` is in QFileDialog's form
    // ("Profiles (*.json)").
    static QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                   const QString& filter);
    static QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                   const QString& filter);

    // The next dialog, open or save, returns `path` without showing; an empty path answers as a
    // cancel. Answers are taken in the order they were queued.
    static void QueueAnswer(const QString& path);
    static int QueuedAnswers();
    static void ClearAnswers();
};

}  // namespace qx::ui
