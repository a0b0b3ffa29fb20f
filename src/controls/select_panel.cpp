#include "controls/select_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "controls/control_support.h"
#include "controls/device_key_button.h"

namespace qx::controls {

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {}

void CSelectPanelUI::paintEvent(QPaintEvent*) {
    // Only the style sheet's background: the rubber band itself is not drawn.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        armed_ = true;
        start_ = event->position().toPoint();
        current_ = start_;
    }
    QWidget::mousePressEvent(event);
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    if (armed_) dragging_ = true;
    if (dragging_) {
        current_ = event->position().toPoint();
        // Both corners belong to the rectangle, so a drag of one pixel still touches something.
        selection_ = QRect(start_, current_).normalized();
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    const bool wasDragging = dragging_;
    armed_ = false;
    dragging_ = false;
    if (!wasDragging) return;
    // Key buttons may sit in inner containers of the picture: every one below the panel counts.
    const QList<CDeviceKeyButtonUI*> buttons = findChildren<CDeviceKeyButtonUI*>();
    for (CDeviceKeyButtonUI* button : buttons) {
        const QRect area(button->mapTo(this, QPoint(0, 0)), button->size());
        button->SetSelected(area.intersects(selection_));
    }
    update();
    NotifyFrom(this, QStringLiteral("click_select_end"));
}

}  // namespace qx::controls
