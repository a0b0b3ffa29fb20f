// A row of the shared-profiles list: double click activates it ("itemactivate"), hovering draws
// a frame in the hot frame colour, and a right click raises "menu" when the row has a menu.
#pragma once

#include <QColor>
#include <QWidget>

namespace qx::controls {

class CCloudShareListItemUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool menu READ MenuEnabled WRITE SetMenuEnabled)
    Q_PROPERTY(QColor hotframecolor READ HotFrameColor WRITE SetHotFrameColor)
    Q_PROPERTY(bool selected READ IsSelected WRITE SetSelected)
  public:
    explicit CCloudShareListItemUI(QWidget* parent = nullptr);

    bool MenuEnabled() const { return menu_; }
    void SetMenuEnabled(bool enabled) { menu_ = enabled; }
    // No colour (the default): no hover frame.
    QColor HotFrameColor() const { return hotFrame_; }
    void SetHotFrameColor(const QColor& colour);
    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected);
    bool IsHot() const { return hot_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QColor hotFrame_;
    bool menu_ = false;
    bool selected_ = false;
    bool hot_ = false;
};

}  // namespace qx::controls
