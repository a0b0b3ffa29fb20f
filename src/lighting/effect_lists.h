// The per-LED overlay records and the timed entries of the effect-list player.
#pragma once

#include <cstdint>

#include "lighting/lighting_tables.h"

namespace qx::lighting {

enum OverlayType : std::uint8_t {
    kOverlayBreathing = 0,
    kOverlayStatic = 1,
    kOverlayBlink = 2,
    kOverlayColourCycle = 3,
    kOverlayOff = 4,
};

// One LED's own effect, drawn over the frame after every pass.
struct LedEffectRecord {
    std::uint8_t type = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t colourful = 0;
    Rgb colour{};
    std::uint8_t enabled = 0;
};

enum PlayerType : std::uint8_t {
    kPlayBreathing = 0,
    kPlayStatic = 1,
    kPlayBlink = 2,
    kPlayRolling = 4,
    kPlayWheel = 5,
};

// One whole-device effect of a custom light mode, shown for a while.
struct TimedEffectEntry {
    std::uint8_t type = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t colourful = 0;
    Rgb colour{};
    std::uint32_t durationMs = 0;
};

}  // namespace qx::lighting
