// The background chooser: a small pop-up under the title bar's skin button, closed as soon as it
// loses the focus. A choice is broadcast to the main window (SkinObserver) and remembered in
// "main.ini".
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "settings/skin_settings.h"
#include "ui/notify.h"

namespace qx::ui {
class PaintManager;
}

namespace qx::settings {

class CSkinFrame : public QWidget {
    Q_OBJECT
  public:
    // `parent` is the main window (dialogs open over it), `anchor` the button it opens under.
    CSkinFrame(QWidget* parent, QWidget* anchor);
    ~CSkinFrame() override;

    // Loads "skin.ui" and places the frame (its right edge at the anchor's right edge, its top at
    // the anchor's bottom). False when the skin can't be loaded.
    bool Create();
    ui::PaintManager& PaintManager() const { return *paintManager_; }
    QWidget* FindControl(const QString& name) const;

    void Notify(ui::TNotifyUI& msg);

  private:
    std::unique_ptr<ui::PaintManager> paintManager_;
    QPointer<QWidget> owner_;
    QPointer<QWidget> anchor_;
};

// Broadcasts a choice and remembers it.
void ChooseSkin(const SkinChangedParam& param);
// Asks for a picture of the user's (file dialog over `over`), checks it is a picture, copies it
// into the user's folder and chooses it. A cancelled dialog changes nothing. False when nothing
// was chosen.
bool ChooseUserPicture(QWidget* over);

}  // namespace qx::settings
