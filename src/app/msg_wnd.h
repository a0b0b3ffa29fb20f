// The program's modal message box: a skinned window with a title, a text and one or two buttons,
// shown over a parent window; its result says which button closed it.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "ui/notify.h"

namespace qx::ui {
class PaintManager;
}

namespace qx::app {

class CMsgWnd : public QDialog {
    Q_OBJECT
  public:
    enum ButtonMode { kConfirmOnly = 0, kConfirmAndCancel = 1 };

    explicit CMsgWnd(QWidget* parent = nullptr);
    ~CMsgWnd() override;

    // Loads "msg.ui". False when the skin can't be loaded (the box then shows nothing).
    bool Create();
    // An empty title or text leaves the skin's own in place; texts may be language keys.
    void SetTitle(const QString& title);
    void SetText(const QString& text, bool richText);
    // 48, 72, 96, 120, 144, 168, 192; anything else is shown at 96.
    void SetDpi(int dpi);
    int Dpi() const { return dpi_; }
    // kConfirmOnly hides "cancel_btn"; kConfirmAndCancel shows both; other modes leave the skin's.
    void SetButtons(int mode);
    ui::PaintManager& PaintManager() const { return *paintManager_; }

    // Notifications of the box's own controls.
    void Notify(ui::TNotifyUI& msg);

  private:
    std::unique_ptr<ui::PaintManager> paintManager_;
    int dpi_ = 96;
};

// Creates, fills and runs the message box modally: 1 when "confirm_btn" closed it, 0 for
// "cancel_btn", "closebtn" or a box that could not be built.
int ShowMessage(QWidget* parent, const QString& title, const QString& text, int dpi, bool richText,
                int buttonMode);

// The next ShowMessage returns `button` (1 confirm, 0 cancel) without showing the box. Answers are
// taken in the order they were queued. Only the UI thread shows message boxes and queues answers.
void QueueMessageAnswer(int button);
int QueuedMessageAnswers();
void ClearMessageAnswers();

}  // namespace qx::app
