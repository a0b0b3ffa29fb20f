// A keyboard (or preview) engine on a manual clock, a seeded generator and its own module-wide
// state, so that every test starts from the same place.
#pragma once

#include <cstdint>
#include <set>

#include "lighting/keyboard_lighting.h"
#include "lighting/lighting_engine.h"
#include "lighting/lighting_module_state.h"
#include "lighting/lighting_sources.h"

namespace qx::lighting::test {

struct Rig {
    ManualTickSource clock{1000};
    SeededRandSource random{7};
    LightingModuleState module;
    EngineSources Sources(std::uint32_t tickMs = kDefaultTickMs) {
        return {&clock, &random, &module, tickMs};
    }
};

inline LightSettings Effect(int id, bool colourful = false, int brightness = 4, int direction = 1,
                            int speed = 4) {
    LightSettings s;
    s.effectId = static_cast<std::uint8_t>(id);
    s.colourful = colourful ? 1 : 0;
    s.brightness = static_cast<std::uint8_t>(brightness);
    s.direction = static_cast<std::uint8_t>(direction);
    s.speed = static_cast<std::uint8_t>(speed);
    s.colour = {200, 100, 50};
    return s;
}

// The LEDs whose effect level L is exactly 255.
inline std::set<int> FullLevels(const LightingEngine& engine) {
    std::set<int> out;
    for (int led = 0; led < kMaxLeds; ++led) {
        if (engine.State().level[led] == 255) out.insert(led);
    }
    return out;
}

inline std::set<int> GridLedsOfRows(int firstRow, int lastRow) {
    std::set<int> out;
    for (int c = 0; c < kGridColumns; ++c) {
        for (int r = firstRow; r <= lastRow; ++r) {
            if (kKeyGrid[c][r] < kNoLed) out.insert(kKeyGrid[c][r]);
        }
    }
    return out;
}

}  // namespace qx::lighting::test
