// Which parts of the lighting panel an effect uses: for each device kind and effect id, whether
// the colour, brightness, speed and direction sections are usable, which extra choices show and
// how the two direction checks are labelled. Plain data, so the tables are tested without a page.
#pragma once

#include <cstdint>

#include "core/device_kind.h"

namespace qx::devices {

enum class SectionState : uint8_t { Enabled, Disabled, Hidden };

struct LightSections {
    SectionState colourful = SectionState::Disabled;   // "deng_7color_check"
    SectionState colour = SectionState::Disabled;      // "deng_color_layout"
    SectionState palette = SectionState::Disabled;     // "colorpallet_layout"
    SectionState brightness = SectionState::Disabled;  // "deng_light_layout"
    SectionState speed = SectionState::Disabled;       // "deng_speed_layout"
    SectionState direction = SectionState::Hidden;     // "deng_fx_layout"
    bool colourLayoutEnabled = true;                   // "light_color_layout"
    bool customShown = false;                          // "lightcustom_layout"
    bool presetShown = false;                          // "light_combo_ZZCCmodeSelectLayout"
    bool audioShown = false;                           // "light_combo_AudiomodeSelectLayout"
    // The capture program's colour (R/G/B sliders) and its style window: the effects drawn
    // from what the capture program sends.
    bool captureShown = false;   // "light_audio_capture_layout"
    int colourTabPage = 0;       // "light_color_tablayout"
    bool sameModeShown = false;  // "deng_same_mode"
    // Language keys of "deng_FXL_check" and "deng_FXR_check".
    const char* firstDirectionKey = "light_set_right_to_left_text";
    const char* secondDirectionKey = "light_set_left_to_right_text";
};

// The sections for `effect` on a device of `kind`; `sameMode` is the panel's same-mode flag
// (several devices on-line). An effect outside a kind's table gets everything off.
LightSections SectionsFor(DeviceKind kind, int effect, bool sameMode);

}  // namespace qx::devices
