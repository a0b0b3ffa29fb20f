// The colour palette of the lighting panels: a hue / saturation field over a brightness strip.
// Picking a colour (click or drag) raises "colorchanged" with wParam = the colour as 0xAARRGGBB.
#pragma once

#include <QColor>
#include <QWidget>

namespace qx::ui {

class CColorPaletteUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int palletheight READ PalletHeight WRITE SetPalletHeight)
    Q_PROPERTY(int barheight READ BarHeight WRITE SetBarHeight)
  public:
    explicit CColorPaletteUI(QWidget* parent = nullptr);

    // 0xAARRGGBB, as the toolkit's colours are.
    quint32 GetSelectColor() const { return colour_.rgba(); }
    // Sets the colour without a notification (the panels set it from stored settings).
    void SetSelectColor(quint32 argb);

    int PalletHeight() const { return palletHeight_; }
    void SetPalletHeight(int height);
    int BarHeight() const { return barHeight_; }
    void SetBarHeight(int height);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void PickAt(const QPoint& point);
    QRect FieldRect() const;
    QRect BarRect() const;

    QColor colour_{0, 0x99, 0xFF};
    int palletHeight_ = 0;  // 0: the field takes what the strip leaves
    int barHeight_ = 12;
    bool dragging_ = false;
    bool inBar_ = false;
};

}  // namespace qx::ui
