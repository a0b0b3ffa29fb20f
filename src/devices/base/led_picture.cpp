#include "devices/base/led_picture.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "controls/control_support.h"
#include "controls/device_key_button.h"

namespace qx::devices {

namespace {
// Beyond this many separate areas, a frame's lights are painted as one rectangle.
constexpr int kMostRectsPerUpdate = 4;
}  // namespace

CLedPictureUI::CLedPictureUI(QWidget* panel, const std::vector<QPointer<QWidget>>& leds)
    : QWidget(panel) {
    setObjectName(QStringLiteral("led_picture"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(panel->rect());
    // The panel takes its size from the page's layout, possibly after this.
    panel->installEventFilter(this);
    leds_.resize(leds.size());
    struct Shape {
        QString image;
        QSize size;
        QImage alpha;
    };
    std::vector<Shape> shapes;
    for (size_t i = 0; i < leds.size(); ++i) {
        auto* button = qobject_cast<controls::CDeviceKeyButtonUI*>(leds[i].data());
        if (button == nullptr) continue;
        Led& led = leds_[i];
        led.button = button;
        led.area = QRect(button->mapTo(panel, QPoint(0, 0)), button->size());
        led.shown = !button->isHidden();
        // LEDs of one light picture at one size share their shape, and so their tints.
        const auto same = std::find_if(shapes.begin(), shapes.end(), [&](const Shape& shape) {
            return shape.image == button->LightImage() && shape.size == led.area.size();
        });
        if (same == shapes.end()) {
            Shape shape{button->LightImage(), led.area.size(), {}};
            const QPixmap picture = controls::LoadSkinImage(shape.image);
            if (!picture.isNull())
                shape.alpha =
                    picture.toImage().scaled(shape.size).convertToFormat(QImage::Format_Alpha8);
            shapes.push_back(std::move(shape));
            led.shapeId = static_cast<int>(shapes.size()) - 1;
        } else {
            led.shapeId = static_cast<int>(same - shapes.begin());
        }
        led.shape = shapes[static_cast<size_t>(led.shapeId)].alpha;
        if (!led.shown) continue;
        button->SetDrawnByPicture(true);
        button->hide();
    }
    const QList<controls::CDeviceKeyButtonUI*> buttons =
        panel->findChildren<controls::CDeviceKeyButtonUI*>();
    for (controls::CDeviceKeyButtonUI* key : buttons) {
        const bool led = std::any_of(leds_.begin(), leds_.end(),
                                     [key](const Led& l) { return l.button.data() == key; });
        if (led) continue;
        keys_.emplace_back(key);
        key->SetFaceDrawnBelow(true);
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

CLedPictureUI::~CLedPictureUI() {
    for (const QPointer<controls::CDeviceKeyButtonUI>& key : keys_)
        if (key) key->SetFaceDrawnBelow(false);
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
    if (changed.isEmpty()) return;
    // Qt clips every widget it visits under the update (here the keys over the lights) to the
    // region: with a rectangle per LED that clipping is most of a frame's paint. Lights that
    // change together are mostly close together, so their bounding rectangle adds little to draw.
    if (changed.rectCount() > kMostRectsPerUpdate) {
        update(changed.boundingRect());
    } else {
        update(changed);
    }
}

uint32_t CLedPictureUI::ShownColour(size_t n) const {
    if (n >= leds_.size()) return 0;
    const uint32_t c = leds_[n].colour;  // red | blue << 8 | green << 16
    return (c & 0xFF) | (c >> 16 & 0xFF) << 8 | (c >> 8 & 0xFF) << 16;
}

int CLedPictureUI::ShownLevel(size_t n) const { return n < leds_.size() ? leds_[n].level : 0; }

void CLedPictureUI::Tint(Led& led, QHash<quint64, QImage>& made) {
    // Most frames give many LEDs the same light (one colour for the whole keyboard): LEDs of one
    // shape share the picture made for the first of them in this paint.
    const quint64 key =
        quint64(led.shapeId) << 32 | quint64(led.level & 0xFF) << 24 | (led.colour & 0xFFFFFF);
    if (const auto same = made.constFind(key); same != made.constEnd()) {
        led.tinted = *same;
        led.tintedValid = true;
        return;
    }
    // The button's word: red | blue << 8 | green << 16.
    const uint32_t red = led.colour & 0xFF;
    const uint32_t blue = led.colour >> 8 & 0xFF;
    const uint32_t green = led.colour >> 16 & 0xFF;
    const auto level = static_cast<uint32_t>(led.level);
    // Every pixel of a shape is one of 256 alphas: the light's pixel for each is worked out once
    // per colour and level.
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
    // A new picture each time: the old one may be shared with other LEDs.
    QImage tinted(led.area.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<QRgb*>(tinted.scanLine(y));
        if (led.shape.isNull()) {
            std::fill_n(out, w, tintTable_[255]);
            continue;
        }
        const uchar* mask = led.shape.constScanLine(y);
        for (int x = 0; x < w; ++x) out[x] = tintTable_[mask[x]];
    }
    led.tinted = tinted;
    led.tintedValid = true;
    made.insert(key, std::move(tinted));
}

void CLedPictureUI::paintEvent(QPaintEvent* event) {
    ++paints_;
    QPainter painter(this);
    const QRegion& region = event->region();
    QHash<quint64, QImage> made;  // this paint's tints, by shape, level and colour
    for (Led& led : leds_) {
        if (!led.shown || led.level == 0 || led.area.isEmpty() || !region.intersects(led.area))
            continue;
        if (!led.tintedValid) Tint(led, made);
        painter.drawImage(led.area.topLeft(), led.tinted);
    }
    for (const QPointer<controls::CDeviceKeyButtonUI>& key : keys_) {
        if (!key || !key->isVisible() || !key->FaceDrawnBelow()) continue;
        const QRect area(key->mapTo(parentWidget(), QPoint(0, 0)), key->size());
        if (!region.intersects(area)) continue;
        if (const QPixmap* face = key->Face()) painter.drawPixmap(area.topLeft(), *face);
    }
}

bool IsPictureLed(const QWidget* button) {
    const auto* led = qobject_cast<const controls::CDeviceKeyButtonUI*>(button);
    return led != nullptr && led->DrawnByPicture();
}

}  // namespace qx::devices
