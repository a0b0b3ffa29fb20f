// Shows a colour on an LED button of a device picture.
#pragma once

#include <cstdint>

class QWidget;

namespace qx::devices {

// colour: red | green << 8 | blue << 16; level 0-255.
void PaintLedButton(QWidget* button, uint32_t colour, uint32_t level);

}  // namespace qx::devices
