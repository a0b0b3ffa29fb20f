#include "devices/base/led_picture.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "controls/control_support.h"
#include "controls/device_key_button.h"

namespace qx::devices {

CLedPictureUI::CLedPictureUI(QWidget* panel, const std::vector<QPointer<QWidget>>& leds)
    : QWidget(panel) {
    setObjectName(QStringLiteral("led_picture"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(panel->rect());
    // The panel takes its size from the page's layout, possibly after this.
    panel->installEventFilter(this);
    leds_.resize(leds.size());
    for (size_t i = 0; i < leds.size(); ++i) {
        auto* button = qobject_cast<controls::CDeviceKeyButtonUI*>(leds[i].data());
        if (button == nullptr) continue;
        Led& led = leds_[i];
        led.button = button;
        led.area = QRect(button->mapTo(panel, QPoint(0, 0)), button->size());
        led.shown = !button->isHidden();
        const QPixmap shape = controls::LoadSkinImage(button->LightImage());
        if (!shape.isNull())
            led.shape =
                shape.toImage().scaled(led.area.size()).convertToFormat(QImage::Format_Alpha8);
        if (!led.shown) continue;
        button->SetDrawnByPicture(true);
        button->hide();
    }
    // Over the background, under the key buttons that take the clicks.
    const QList<QWidget*> siblings = panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* sibling : siblings) {
        if (sibling != this && qobject_cast<controls::CDeviceKeyButtonUI*>(sibling) != nullptr) {
            stackUnder(sibling);
            break;
        }
    }
    Follow();
    show();
}

bool CLedPictureUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return false;
}

void CLedPictureUI::Follow() {
    QRegion changed;
    for (Led& led : leds_) {
        const auto* button = qobject_cast<const controls::CDeviceKeyButtonUI*>(led.button.data());
        if (button == nullptr || !led.shown) continue;
        const uint32_t colour = button->LightColour();
        const int level = button->LightFlag() != 0 ? std::clamp(button->LightLevel(), 0, 255) : 0;
        if (colour == led.colour && level == led.level) continue;
        led.colour = colour;
        led.level = level;
        led.tintedValid = false;
        changed += led.area;
    }
    if (!changed.isEmpty()) update(changed);
}

uint32_t CLedPictureUI::ShownColour(size_t n) const {
    if (n >= leds_.size()) return 0;
    const uint32_t c = leds_[n].colour;  // red | blue << 8 | green << 16
    return (c & 0xFF) | (c >> 16 & 0xFF) << 8 | (c >> 8 & 0xFF) << 16;
}

int CLedPictureUI::ShownLevel(size_t n) const { return n < leds_.size() ? leds_[n].level : 0; }

void CLedPictureUI::Tint(Led& led) {
    // The button's word: red | blue << 8 | green << 16.
    const uint32_t red = led.colour & 0xFF;
    const uint32_t blue = led.colour >> 8 & 0xFF;
    const uint32_t green = led.colour >> 16 & 0xFF;
    const auto level = static_cast<uint32_t>(led.level);
    // Every pixel of a shape is one of 256 alphas: the light's pixel for each is worked out once
    // per colour and level (most frames give many LEDs the same light).
    if (!tintTableValid_ || tintTableColour_ != led.colour || tintTableLevel_ != led.level) {
        for (uint32_t mask = 0; mask < 256; ++mask) {
            const uint32_t alpha = mask * level / 255;
            tintTable_[mask] = (alpha << 24) | (red * alpha / 255) << 16 |
                               (green * alpha / 255) << 8 | (blue * alpha / 255);
        }
        tintTableColour_ = led.colour;
        tintTableLevel_ = led.level;
        tintTableValid_ = true;
    }
    const int w = led.area.width();
    const int h = led.area.height();
    if (led.tinted.size() != led.area.size())
        led.tinted = QImage(led.area.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<QRgb*>(led.tinted.scanLine(y));
        if (led.shape.isNull()) {
            std::fill_n(out, w, tintTable_[255]);
            continue;
        }
        const uchar* mask = led.shape.constScanLine(y);
        for (int x = 0; x < w; ++x) out[x] = tintTable_[mask[x]];
    }
    led.tintedValid = true;
}

void CLedPictureUI::paintEvent(QPaintEvent* event) {
    ++paints_;
    QPainter painter(this);
    const QRegion& region = event->region();
    for (Led& led : leds_) {
        if (!led.shown || led.level == 0 || led.area.isEmpty() || !region.intersects(led.area))
            continue;
        if (!led.tintedValid) Tint(led);
        painter.drawImage(led.area.topLeft(), led.tinted);
    }
}

bool IsPictureLed(const QWidget* button) {
    const auto* led = qobject_cast<const controls::CDeviceKeyButtonUI*>(button);
    return led != nullptr && led->DrawnByPicture();
}

}  // namespace qx::devices
