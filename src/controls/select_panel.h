// A device picture's panel: dragging on it with the left button selects the key buttons that the
// dragged rectangle touches, and raises "click_select_end" when the button is released.
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

namespace qx::controls {

class CSelectPanelUI : public QWidget {
    Q_OBJECT
  public:
    explicit CSelectPanelUI(QWidget* parent = nullptr);

    bool IsArmed() const { return armed_; }
    bool IsDragging() const { return dragging_; }
    // The rectangle of the last drag (normalised), in the panel's coordinates.
    QRect SelectionRect() const { return selection_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool armed_ = false;
    bool dragging_ = false;
    QPoint start_;
    QPoint current_;
    QRect selection_;
};

}  // namespace qx::controls
