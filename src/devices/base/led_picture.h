// The lights of a device picture drawn by one widget: it lies over the picture's background and
// under its key buttons, and paints every LED from the colours it was last given. The LED
// buttons of the picture keep their place, shape and light state (what callers read), but no
// longer paint themselves: a frame then costs one paint of the LEDs that changed instead of a
// paint of every LED button and of every key button over it.
#pragma once

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

namespace qx::controls {
class CDeviceKeyButtonUI;
}

namespace qx::devices {

class CLedPictureUI final : public QWidget {
  public:
    // Takes over the LED buttons `leds` (entries may be null) of `panel`: their places, shapes
    // and current lights; the buttons are hidden from then on.
    CLedPictureUI(QWidget* panel, const std::vector<QPointer<QWidget>>& leds);
    ~CLedPictureUI() override;

    // Copies the LED buttons' lights and repaints the LEDs whose light changed (UI thread).
    void Follow();
    // What LED n shows now: red | green << 8 | blue << 16, and its level (0: dark).
    uint32_t ShownColour(size_t n) const;
    int ShownLevel(size_t n) const;
    // Paint events the widget took (tests: nothing is painted while the picture is hidden).
    int Paints() const { return paints_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Led {
        QPointer<QWidget> button;
        QRect area;
        bool shown = false;   // the skin showed the button
        int shapeId = 0;      // equal for LEDs of the same picture and size
        QImage shape;         // alpha of the light's shape at the area's size (null: the area)
        uint32_t colour = 0;  // as the button holds it: red | blue << 8 | green << 16
        int level = 0;        // 0 while dark
        QImage tinted;        // the shape in colour and level, made when first painted
        bool tintedValid = false;
    };
    // Makes led.tinted, or takes the one made for the same shape and light in this paint.
    void Tint(Led& led, QHash<quint64, QImage>& made);

    // The keys over the picture, whose faces it draws above the lights (see
    // CDeviceKeyButtonUI::SetFaceDrawnBelow).
    std::vector<QPointer<controls::CDeviceKeyButtonUI>> keys_;
    std::vector<Led> leds_;
    // The premultiplied pixel for each shape alpha, in the colour and level last tinted.
    std::array<QRgb, 256> tintTable_{};
    uint32_t tintTableColour_ = 0;
    int tintTableLevel_ = 0;
    bool tintTableValid_ = false;
    int paints_ = 0;
};

// Whether `button` is an LED button the picture draws (and hid for that).
bool IsPictureLed(const QWidget* button);

}  // namespace qx::devices
