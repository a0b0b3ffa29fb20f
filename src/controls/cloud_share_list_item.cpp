#include "controls/cloud_share_list_item.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "controls/control_support.h"

namespace qx::controls {

CCloudShareListItemUI::CCloudShareListItemUI(QWidget* parent) : QWidget(parent) {}

void CCloudShareListItemUI::SetHotFrameColor(const QColor& colour) {
    hotFrame_ = colour;
    update();
}

void CCloudShareListItemUI::SetSelected(bool selected) {
    selected_ = selected;
    update();
}

void CCloudShareListItemUI::paintEvent(QPaintEvent*) {
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (hot_ && !selected_ && hotFrame_.isValid()) {
        painter.setPen(hotFrame_);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CCloudShareListItemUI::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    QWidget::enterEvent(event);
}

void CCloudShareListItemUI::leaveEvent(QEvent* event) {
    hot_ = false;
    update();
    QWidget::leaveEvent(event);
}

void CCloudShareListItemUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && menu_) {
        const QPoint at = event->position().toPoint();
        NotifyFrom(this, QStringLiteral("menu"), at.x(), at.y());
        return;
    }
    QWidget::mousePressEvent(event);
}

void CCloudShareListItemUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        NotifyFrom(this, QStringLiteral("itemactivate"));
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace qx::controls
