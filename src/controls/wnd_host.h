// A place holder for another window (a native or separate top-level widget): the hosted window is
// kept over the place holder's rectangle and shown and hidden with it.
#pragma once

#include <QPointer>
#include <QWidget>

namespace qx::controls {

class CWndUI : public QWidget {
    Q_OBJECT
  public:
    explicit CWndUI(QWidget* parent = nullptr);

    // The window to keep in place (nullptr releases it). The place holder does not own it.
    void Attach(QWidget* hosted);
    QWidget* Hosted() const { return hosted_.data(); }
    // Moves and shows or hides the hosted window to match the place holder.
    void SyncHosted();

  protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QPointer<QWidget> hosted_;
};

}  // namespace qx::controls
