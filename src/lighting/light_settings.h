// The lighting choices of a device as the effects read them.
#pragma once

#include <cstdint>

#include "lighting/lighting_tables.h"

namespace qx::lighting {

struct LightSettings {
    std::uint8_t effectId = 0;
    std::uint8_t brightness = 4;    // 0-4
    std::uint8_t speed = 4;         // speed index 0-4; 4 is the fastest
    std::uint8_t direction = 1;     // non-zero and zero select the two directions of travel
    std::uint8_t colourful = 0;     // non-zero: colours from the colour wheel
    Rgb colour{255, 255, 255};      // the single colour
    std::uint8_t presetColour = 0;  // ZZCCLedMode, the colour choice of effect 45
    std::uint8_t customGroup = 0;   // CustomGroup
};

// The sound-reactive style and its colours.
struct AudioLightSettings {
    std::uint8_t style = 0;  // 0-6
    Rgb background{};
    Rgb foreground{255, 255, 255};
    std::uint8_t foregroundColourful = 0;
};

}  // namespace qx::lighting
