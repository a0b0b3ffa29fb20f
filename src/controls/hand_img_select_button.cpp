#include "controls/hand_img_select_button.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "controls/control_support.h"

namespace qx::controls {

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : QPushButton(parent) {}

void CHandImgSelectButtonUI::SetHandImage(const QString& description) {
    handImage_ = description;
    picture_ = LoadSkinImage(description);
    offset_ = QPoint();
    update();
}

void CHandImgSelectButtonUI::SetCursorName(const QString& name) {
    static const QHash<QString, Qt::CursorShape> shapes = {
        {"arrow", Qt::ArrowCursor},        {"ibeam", Qt::IBeamCursor},
        {"wait", Qt::WaitCursor},          {"cross", Qt::CrossCursor},
        {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
        {"icon", Qt::ArrowCursor},         {"sizenwse", Qt::SizeFDiagCursor},
        {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
        {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
        {"no", Qt::ForbiddenCursor},       {"hand", Qt::PointingHandCursor},
    };
    auto it = shapes.constFind(name.toLower());
    if (it == shapes.constEnd()) return;
    cursorName_ = name;
    setCursor(it.value());
}

bool CHandImgSelectButtonUI::IsPannable() const {
    return !picture_.isNull() && (picture_.width() > width() || picture_.height() > height());
}

void CHandImgSelectButtonUI::ClampOffset() {
    const int maxX = std::max(0, picture_.width() - width());
    const int maxY = std::max(0, picture_.height() - height());
    offset_ = QPoint(std::clamp(offset_.x(), 0, maxX), std::clamp(offset_.y(), 0, maxY));
}

void CHandImgSelectButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (picture_.isNull()) return;
    QPainter painter(this);
    if (IsPannable()) {
        const QRect source(offset_, size());
        painter.drawPixmap(QRect(QPoint(0, 0), source.intersected(picture_.rect()).size()),
                           picture_, source.intersected(picture_.rect()));
    } else {
        painter.drawPixmap(rect(), picture_);
    }
}

void CHandImgSelectButtonUI::resizeEvent(QResizeEvent* event) {
    ClampOffset();
    QPushButton::resizeEvent(event);
}

void CHandImgSelectButtonUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        panning_ = true;
        grab_ = event->position().toPoint();
    }
    QPushButton::mousePressEvent(event);
}

void CHandImgSelectButtonUI::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void CHandImgSelectButtonUI::mouseMoveEvent(QMouseEvent* event) {
    if (panning_ && IsPannable()) {
        const QPoint point = event->position().toPoint();
        // The picture follows the mouse, so the window onto it moves the other way.
        offset_ -= point - grab_;
        grab_ = point;
        ClampOffset();
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void CHandImgSelectButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) panning_ = false;
    QPushButton::mouseReleaseEvent(event);
}

}  // namespace qx::controls
