#include "controls/device_key_button.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <algorithm>
#include <cstring>

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
    scaledLight_ = QImage();
    tinted_ = QImage();
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

bool CDeviceKeyButtonUI::event(QEvent* event) {
    switch (event->type()) {
        // What the style sheet draws may change without a change of the button's own state.
        case QEvent::StyleChange:
        case QEvent::Polish:
        case QEvent::PaletteChange:
        case QEvent::FontChange:
        case QEvent::DynamicPropertyChange:
        case QEvent::LayoutDirectionChange:
        case QEvent::ScreenChangeInternal:
            faceValid_ = false;
            fontKey_.clear();
            break;
        default:
            break;
    }
    return QPushButton::event(event);
}

bool CDeviceKeyButtonUI::PrepareFace() {
    const qreal ratio = devicePixelRatioF();
    // Working out the font's key is a good part of a paint: it is kept until the font may change.
    if (fontKey_.isEmpty()) fontKey_ = font().key();
    // Read from the button itself: filling a style option for each key of each frame cost more
    // than drawing the key. What the option takes from the window (its palette group) follows
    // the window's activation.
    int state = 0;
    for (const bool bit : {isEnabled(), underMouse(), isDown(), isChecked(), hasFocus(),
                           isActiveWindow(), isFlat(), isDefault(), menu() != nullptr})
        state = state << 1 | int(bit);
    const FaceKey key{state,    text(), icon().cacheKey(), iconSize(), size(), palette().cacheKey(),
                      fontKey_, ratio};
    if (!faceValid_ || !(key == faceKey_)) {
        QStyleOptionButton option;
        initStyleOption(&option);
        QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter facePainter(&image);
            style()->drawControl(QStyle::CE_PushButton, &option, &facePainter, this);
        }
        faceBlank_ = true;
        for (int y = 0; y < image.height() && faceBlank_; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(line[x]) != 0) {
                    faceBlank_ = false;
                    break;
                }
            }
        }
        face_ = QPixmap::fromImage(std::move(image));
        faceKey_ = key;
        faceValid_ = true;
        ++faceRenders_;
    }
    return !faceBlank_;
}

// The light picture is a shape tinted with the key's colour. Frames repaint the keys many times
// a second: the shape is scaled once, and each new colour is laid into the same picture.
const QImage& CDeviceKeyButtonUI::TintedLight(const QColor& colour) {
    if (scaledLight_.size() != size()) {
        scaledLight_ = lightPixmap_.toImage().scaled(size()).convertToFormat(
            QImage::Format_ARGB32_Premultiplied);
        tinted_ = QImage();
    }
    if (tinted_.isNull() || tintedColour_ != colour) {
        if (tinted_.size() != scaledLight_.size() || tinted_.format() != scaledLight_.format())
            tinted_ = QImage(scaledLight_.size(), scaledLight_.format());
        std::memcpy(tinted_.bits(), scaledLight_.constBits(),
                    static_cast<size_t>(scaledLight_.sizeInBytes()));
        QPainter tint(&tinted_);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(tinted_.rect(), colour);
        tintedColour_ = colour;
    }
    return tinted_;
}

void CDeviceKeyButtonUI::SetFaceDrawnBelow(bool below) {
    if (faceBelow_ == below) return;
    faceBelow_ = below;
    update();
}

bool CDeviceKeyButtonUI::FaceDrawnBelow() const { return faceBelow_ && !underMouse() && !isDown(); }

const QPixmap* CDeviceKeyButtonUI::Face() { return PrepareFace() ? &face_ : nullptr; }

void CDeviceKeyButtonUI::paintEvent(QPaintEvent*) {
    const bool face = !FaceDrawnBelow() && PrepareFace();
    // A key over a picture whose lights change is repainted with every frame: one that draws
    // nothing (a transparent face, no light, no mark) costs no painter.
    const bool marks = (!keyUnsetHidden_ && !keyUnsetPixmap_.isNull()) ||
                       (!keySetHidden_ && !keySetPixmap_.isNull());
    if (!face && lightFlag_ == 0 && !marks) return;
    QPainter painter(this);
    if (face) painter.drawPixmap(0, 0, face_);
    if (lightFlag_ != 0) {
        const QColor colour = UnpackColour(lightColour_);
        painter.setOpacity(std::clamp(lightLevel_, 0, 255) / 255.0);
        if (lightPixmap_.isNull()) {
            painter.fillRect(rect(), colour);
        } else {
            painter.drawImage(rect(), TintedLight(colour));
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
