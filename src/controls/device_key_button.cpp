#include "controls/device_key_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "controls/control_support.h"

namespace qx::controls {

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {}

QColor CDeviceKeyButtonUI::UnpackColour(quint32 colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 16) & 0xFF),
                  static_cast<int>((colour >> 8) & 0xFF));
}

void CDeviceKeyButtonUI::SetKeyLight(quint32 colour, int level, int flag) {
    if (colour == lightColour_ && level == lightLevel_ && flag == lightFlag_) return;
    lightColour_ = colour;
    lightLevel_ = level;
    lightFlag_ = flag;
    update();
}

void CDeviceKeyButtonUI::SetKeySetHidden(bool hidden) {
    keySetHidden_ = hidden;
    update();
}

void CDeviceKeyButtonUI::SetKeyUnsetHidden(bool hidden) {
    keyUnsetHidden_ = hidden;
    update();
}

void CDeviceKeyButtonUI::SetLightImage(const QString& description) {
    lightImage_ = description;
    lightPixmap_ = LoadSkinImage(description);
    update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& description) {
    keySetImage_ = description;
    keySetPixmap_ = LoadSkinImage(description);
    update();
}

void CDeviceKeyButtonUI::SetKeyUnsetImage(const QString& description) {
    keyUnsetImage_ = description;
    keyUnsetPixmap_ = LoadSkinImage(description);
    update();
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    if (lightFlag_ != 0) {
        const QColor colour = UnpackColour(lightColour_);
        painter.setOpacity(std::clamp(lightLevel_, 0, 255) / 255.0);
        if (lightPixmap_.isNull()) {
            painter.fillRect(rect(), colour);
        } else {
            // The light picture is a shape: it is tinted with the key's colour.
            QPixmap tinted = lightPixmap_.scaled(size());
            QPainter tint(&tinted);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(tinted.rect(), colour);
            tint.end();
            painter.drawPixmap(rect(), tinted);
        }
        painter.setOpacity(1.0);
    }
    if (!keyUnsetHidden_ && !keyUnsetPixmap_.isNull()) painter.drawPixmap(rect(), keyUnsetPixmap_);
    if (!keySetHidden_ && !keySetPixmap_.isNull()) painter.drawPixmap(rect(), keySetPixmap_);
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    QPushButton::mouseDoubleClickEvent(event);
    if (isEnabled() && rect().contains(event->position().toPoint())) {
        setDown(true);
        NotifyFrom(this, QStringLiteral("dbclick"));
    }
}

}  // namespace qx::controls
