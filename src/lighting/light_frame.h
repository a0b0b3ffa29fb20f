// The picture of a device's LEDs that the effects write and the screen and device show.
#pragma once

#include <array>
#include <cstdint>

#include "lighting/lighting_tables.h"

namespace qx::lighting {

// One LED: its colour before scaling, its level in this frame (brightness already applied) and
// whether it carries a colour of its own in the custom-colour effect.
struct LedRecord {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t level = 0;
    std::uint8_t custom = 0;
    friend bool operator==(const LedRecord&, const LedRecord&) = default;
};

// Room for the keyboard's 170 positions; a smaller device uses the first `size` of them.
struct LightFrame {
    std::array<LedRecord, kMaxLeds> leds{};
    int size = kMaxLeds;
    friend bool operator==(const LightFrame&, const LightFrame&) = default;
};

// The colour that is finally shown or sent: each channel x level >> 8.
inline Rgb ShownColour(const LedRecord& led) {
    return {static_cast<std::uint8_t>(led.red * led.level >> 8),
            static_cast<std::uint8_t>(led.green * led.level >> 8),
            static_cast<std::uint8_t>(led.blue * led.level >> 8)};
}

}  // namespace qx::lighting
