// The file dialog seam: queued answers are taken in order by open and save dialogs alike, without
// a dialog; with none queued the dialog shows.
#include "ui/file_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace qx::ui {
namespace {

// Cancels the file dialog when one shows, and tells whether one did.
class DialogWatch {
  public:
    DialogWatch() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QFileDialog*>(top);
                if (dialog == nullptr || !dialog->isVisible()) continue;
                caption = dialog->windowTitle();
                dialog->reject();
            }
        });
        timer_.start(20);
    }
    QString caption;  // of the last dialog shown

  private:
    QTimer timer_;
};

TEST(FileDialogs, QueuedAnswersAreTakenInOrderWithoutADialog) {
    FileDialogs::ClearAnswers();
    FileDialogs::QueueAnswer("/home/u/export.json");
    FileDialogs::QueueAnswer("");
    FileDialogs::QueueAnswer("/home/u/import.json");
    EXPECT_EQ(FileDialogs::QueuedAnswers(), 3);
    DialogWatch watch;
    EXPECT_EQ(FileDialogs::GetSaveFileName(nullptr, "Export", "", "Profiles (*.json)"),
              "/home/u/export.json");
    EXPECT_EQ(FileDialogs::GetOpenFileName(nullptr, "Import", "", "Profiles (*.json)"), "");
    EXPECT_EQ(FileDialogs::GetOpenFileName(nullptr, "Import", "", "Profiles (*.json)"),
              "/home/u/import.json");
    EXPECT_TRUE(watch.caption.isEmpty()) << "a dialog was shown";
    EXPECT_EQ(FileDialogs::QueuedAnswers(), 0);
}

TEST(FileDialogs, WithoutAnAnswerTheDialogShows) {
    FileDialogs::ClearAnswers();
    DialogWatch watch;
    EXPECT_EQ(FileDialogs::GetOpenFileName(nullptr, "Import a profile", "", "*.json"), "");
    EXPECT_EQ(watch.caption, "Import a profile");
}

}  // namespace
}  // namespace qx::ui
