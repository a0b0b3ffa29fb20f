#include "controls/circle_progress.h"

#include <QPainter>
#include <algorithm>

namespace qx::controls {
namespace {
constexpr int kRingWidth = 10;
}

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
}

void CCircleProgressUI::SetBkColor(const QColor& colour) {
    bkColour_ = colour;
    update();
}

void CCircleProgressUI::SetForeColor(const QColor& colour) {
    foreColour_ = colour;
    update();
}

double CCircleProgressUI::SweepDegrees() const {
    const int range = maximum() - minimum();
    if (range <= 0) return 0.0;
    return std::clamp(static_cast<double>(value()) / range * 360.0, 0.0, 360.0);
}

void CCircleProgressUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF area = rect();
    painter.setBrush(bkColour_);
    painter.drawEllipse(area);
    const double sweep = SweepDegrees();
    if (sweep > 0.0) {
        painter.setBrush(foreColour_);
        // From the bottom, clockwise (Qt's angles run counter-clockwise from three o'clock).
        const int span = static_cast<int>(-sweep * 16.0);
        if (sweep >= 360.0) {
            painter.drawEllipse(area);
        } else {
            painter.drawPie(area, -90 * 16, span);
        }
    }
    painter.setBrush(Qt::white);
    painter.drawEllipse(area.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth));
}

}  // namespace qx::controls
