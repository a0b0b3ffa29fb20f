// Progress drawn as a ring: a full disc in the background colour, a pie in the foreground colour
// from the bottom clockwise, and a white disc inset by 10 pixels that leaves the ring.
#pragma once

#include <QColor>
#include <QProgressBar>

namespace qx::controls {

class CCircleProgressUI : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(QColor bkcolor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(QColor forecolor READ ForeColor WRITE SetForeColor)
  public:
    explicit CCircleProgressUI(QWidget* parent = nullptr);

    QColor BkColor() const { return bkColour_; }
    void SetBkColor(const QColor& colour);
    QColor ForeColor() const { return foreColour_; }
    void SetForeColor(const QColor& colour);

    // The sweep of the foreground: value / (maximum - minimum) x 360, within 0..360.
    double SweepDegrees() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor bkColour_{0x3A, 0x3A, 0x3A};
    QColor foreColour_{0x00, 0x99, 0xFF};
};

}  // namespace qx::controls
