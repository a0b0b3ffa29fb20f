// The about window: the program's name and version.
#pragma once

#include <QDialog>
#include <memory>

#include "ui/custom_message.h"
#include "ui/notify.h"

namespace qx::ui {
class PaintManager;
}

namespace qx::settings {

class CAboutWnd : public QDialog, public ui::CustomMessageHandler {
    Q_OBJECT
  public:
    explicit CAboutWnd(QWidget* parent = nullptr);
    ~CAboutWnd() override;

    // Loads "AboutWnd.ui" and sets the version text. False when the skin can't be loaded.
    bool Create();
    // "software_ver_label": the text of "software_rev_text" followed by the program's version.
    void SetVersionText(const QString& version);
    QString VersionText() const;
    ui::PaintManager& PaintManager() const { return *paintManager_; }
    QWidget* FindControl(const QString& name) const;

    // The language change: the texts are written again.
    qintptr HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) override;
    void Notify(ui::TNotifyUI& msg);

  public slots:
    void reject() override { close(); }

  protected:
    // Any close (its button, Escape, the window manager's) closes this window alone.
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::unique_ptr<ui::PaintManager> paintManager_;
    QString version_;
};

// The version the about window shows: the program row's version text of the update catalogue.
QString ProgramVersionText();

}  // namespace qx::settings
