#include "ui/color_palette.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/paint_manager.h"

namespace qx::ui {
namespace {
constexpr int kGap = 4;
}

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : QWidget(parent) { setMinimumSize(40, 40); }

void CColorPaletteUI::SetSelectColor(quint32 argb) {
    colour_ = QColor::fromRgba(argb);
    update();
}

void CColorPaletteUI::SetPalletHeight(int height) {
    palletHeight_ = std::max(0, height);
    update();
}

void CColorPaletteUI::SetBarHeight(int height) {
    barHeight_ = std::max(1, height);
    update();
}

QRect CColorPaletteUI::FieldRect() const {
    const int available = std::max(1, height() - barHeight_ - kGap);
    const int fieldHeight = palletHeight_ > 0 ? std::min(palletHeight_, available) : available;
    return QRect(0, 0, width(), fieldHeight);
}

QRect CColorPaletteUI::BarRect() const {
    const QRect field = FieldRect();
    return QRect(0, field.bottom() + 1 + kGap, width(), barHeight_);
}

void CColorPaletteUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect field = FieldRect();
    QLinearGradient hue(field.topLeft(), field.topRight());
    for (int i = 0; i <= 6; ++i) {
        hue.setColorAt(i / 6.0,
                       QColor::fromHsvF(i == 6 ? 0.0f : static_cast<float>(i) / 6.0f, 1.0f, 1.0f));
    }
    painter.fillRect(field, hue);
    QLinearGradient saturation(field.topLeft(), field.bottomLeft());
    saturation.setColorAt(0, QColor(255, 255, 255, 0));
    saturation.setColorAt(1, QColor(255, 255, 255, 255));
    painter.fillRect(field, saturation);

    const QRect bar = BarRect();
    QLinearGradient value(bar.topLeft(), bar.topRight());
    QColor full = colour_.toHsv();
    full.setHsv(full.hsvHue() < 0 ? 0 : full.hsvHue(), full.hsvSaturation(), 255);
    value.setColorAt(0, Qt::black);
    value.setColorAt(1, full);
    painter.fillRect(bar, value);
}

void CColorPaletteUI::PickAt(const QPoint& point) {
    const QRect field = FieldRect();
    QColor hsv = colour_.toHsv();
    const int hue = std::max(0, hsv.hsvHue());
    if (inBar_) {
        const QRect bar = BarRect();
        const int x = std::clamp(point.x(), bar.left(), bar.right());
        const int v = bar.width() > 1 ? (x - bar.left()) * 255 / (bar.width() - 1) : 255;
        colour_.setHsv(hue, hsv.hsvSaturation(), v);
    } else {
        const int x = std::clamp(point.x(), field.left(), field.right());
        const int y = std::clamp(point.y(), field.top(), field.bottom());
        const int h = field.width() > 1 ? (x - field.left()) * 359 / (field.width() - 1) : 0;
        const int s =
            field.height() > 1 ? 255 - (y - field.top()) * 255 / (field.height() - 1) : 255;
        colour_.setHsv(h, s, std::max(1, hsv.value()));
    }
    colour_ = colour_.toRgb();
    update();
    if (PaintManager* manager = PaintManager::Of(this)) {
        manager->SendNotify(this, QStringLiteral("colorchanged"),
                            static_cast<qintptr>(colour_.rgba()));
    }
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return QWidget::mousePressEvent(event);
    dragging_ = true;
    inBar_ = BarRect().contains(event->position().toPoint());
    PickAt(event->position().toPoint());
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) PickAt(event->position().toPoint());
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

}  // namespace qx::ui
