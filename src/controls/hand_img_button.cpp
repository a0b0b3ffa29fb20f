#include "controls/hand_img_button.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/control_support.h"
#include "ui/paint_manager.h"

namespace qx::controls {

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : QPushButton(parent) {
    setMouseTracking(true);
}

void CHandImgButtonUI::SetHandImage(const QString& description) {
    handImage_ = description;
    handPixmap_ = LoadSkinImage(description);
    update();
}

void CHandImgButtonUI::SetDeleteNormalImage(const QString& description) {
    deleteNormalImage_ = description;
    deleteNormalPixmap_ = LoadSkinImage(description);
    update();
}

void CHandImgButtonUI::SetDeleteHotImage(const QString& description) {
    deleteHotImage_ = description;
    deleteHotPixmap_ = LoadSkinImage(description);
    update();
}

void CHandImgButtonUI::SetDeleteLocked(bool locked) {
    deleteLocked_ = locked;
    update();
}

QRect CHandImgButtonUI::BadgeRect() const {
    const ui::PaintManager* manager = ui::PaintManager::Of(this);
    const int dpi = manager != nullptr ? manager->Dpi() : 96;
    const auto scale = [dpi](int pixels) { return pixels * dpi / 96; };
    const QRect area = rect();
    return QRect(area.right() + 1 - scale(30), area.bottom() + 1 - scale(29), scale(20), scale(20));
}

void CHandImgButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    if (!handPixmap_.isNull()) painter.drawPixmap(rect(), handPixmap_);
    if (hovering_ && !deleteLocked_) {
        const QPixmap& badge =
            overBadge_ && !deleteHotPixmap_.isNull() ? deleteHotPixmap_ : deleteNormalPixmap_;
        if (!badge.isNull()) painter.drawPixmap(BadgeRect(), badge);
    }
}

void CHandImgButtonUI::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    overBadge_ = BadgeRect().contains(event->position().toPoint());
    update();
    QPushButton::enterEvent(event);
}

void CHandImgButtonUI::leaveEvent(QEvent* event) {
    hovering_ = false;
    overBadge_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void CHandImgButtonUI::mouseMoveEvent(QMouseEvent* event) {
    const bool over = BadgeRect().contains(event->position().toPoint());
    if (over != overBadge_) {
        overBadge_ = over;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void CHandImgButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isDown() && !deleteLocked_ &&
        BadgeRect().contains(event->position().toPoint())) {
        // A release on the badge deletes; it is not a click of the button.
        setDown(false);
        event->accept();
        NotifyFrom(this, QStringLiteral("click_handdelete"));
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

}  // namespace qx::controls
