// The tray icon's menu: a pop-up built from "menu.ui" whose buttons are the menu items. The name
// of the chosen item goes to the main window as the menu command message.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/notify.h"

namespace qx::ui {
class PaintManager;
}

namespace qx::app {

class TrayMenuWnd : public QWidget {
    Q_OBJECT
  public:
    TrayMenuWnd();
    ~TrayMenuWnd() override;

    // Loads "menu.ui"; false when the skin can't be loaded.
    bool Create();
    // Shows the menu with its bottom-left corner at `anchor`, kept inside the screen.
    void ShowAt(QPoint anchor);
    ui::PaintManager& PaintManager() const { return *paintManager_; }

    // Notifications of the menu's own controls: a click chooses an item.
    void Notify(ui::TNotifyUI& msg);

  signals:
    // An item was chosen (its control name: "menu_exit", ...); the menu is hidden already.
    void CommandChosen(const QString& item);

  private:
    std::unique_ptr<ui::PaintManager> paintManager_;
};

}  // namespace qx::app
