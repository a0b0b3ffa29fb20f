#include "devices/base/led_button.h"

#include <QWidget>

#include "controls/device_key_button.h"

namespace qx::devices {

void PaintLedButton(QWidget* button, uint32_t colour, uint32_t level) {
    auto* key = qobject_cast<controls::CDeviceKeyButtonUI*>(button);
    if (key == nullptr) return;
    // The button takes its colour as red | blue << 8 | green << 16.
    const quint32 red = colour & 0xFF;
    const quint32 green = colour >> 8 & 0xFF;
    const quint32 blue = colour >> 16 & 0xFF;
    const quint32 packed = red | blue << 8 | green << 16;
    const int shownLevel = static_cast<int>(level > 255 ? 255 : level);
    if (key->LightColour() == packed && key->LightLevel() == shownLevel && key->LightFlag() != 0)
        return;
    key->SetKeyLight(packed, shownLevel, 1);
}

}  // namespace qx::devices
