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
    tinted_ = QPixmap();
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

// The light picture is a shape tinted with the key's colour. Frames repaint the keys many times
// a second with few colour changes, so the last tint is kept.
const QPixmap& CDeviceKeyButtonUI::TintedLight(const QColor& colour) {
    if (tinted_.isNull() || tintedColour_ != colour || tinted_.size() != size()) {
        tinted_ = lightPixmap_.scaled(size());
        QPainter tint(&tinted_);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(tinted_.rect(), colour);
        tintedColour_ = colour;
    }
    return tinted_;
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
            painter.drawPixmap(rect(), TintedLight(colour));
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
