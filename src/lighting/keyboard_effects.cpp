// The keyboard's catalogue steps that draw from the phase counters and the LED arrays.
#include <algorithm>

#include "lighting/keyboard_lighting.h"
#include "lighting/step_phase.h"

namespace qx::lighting {

namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }
std::uint8_t ClampByte(std::int32_t v) { return Byte(std::clamp<std::int32_t>(v, 0, 255)); }

}  // namespace

void KeyboardLighting::StepColumnWave() {
    const bool wheel = settings_.colourful != 0;
    const int period = wheel ? 192 : 96;
    state_.phase = StepPhase(settings_.direction, period, state_.phase, 1);
    int k = (state_.phase + 1) % period;
    for (int c = 0; c < kGridColumns; ++c) {
        const Rgb colour = wheel ? kColourWheel[k] : settings_.colour;
        const std::uint8_t level = wheel ? Full() : Scale(kWaveCurve[k]);
        for (int r = 0; r < kGridRows; ++r) SetLed(kKeyGrid[c][r], colour, level);
        k = (k + 7) % period;
    }
}

void KeyboardLighting::StepColumnPulse() {
    const bool wheel = settings_.colourful != 0;
    const int period = wheel ? 192 : 96;
    state_.phase = StepPhase(settings_.direction, period, state_.phase, 1);
    int k = state_.phase;
    for (int c = 0; c < kGridColumns; ++c) {
        const Rgb colour = wheel ? kColourWheel[k] : settings_.colour;
        const std::uint8_t level = wheel ? Full() : Scale(kSparkCurve[k]);
        for (int r = 0; r < kGridRows; ++r) SetLed(kKeyGrid[c][r], colour, level);
        k = (k + (wheel ? 22 : 25)) % period;
    }
}

void KeyboardLighting::StepRingsPulse() {
    int p = state_.phase2 + (settings_.direction != 0 ? 2 : -2);
    if (p < 0 || p > 95) p = settings_.direction != 0 ? 0 : 95;
    state_.phase2 = Byte(p);
    int k = p;
    for (const auto& ring : kRings) {
        for (const std::uint8_t led : ring) {
            if (led >= kNoLed) continue;
            state_.level[led] = kWaveCurve[k];
            SetLed(led, kRingsPulseColour, Scale(kWaveCurve[k]));
        }
        k = (k + 11) % 96;
    }
}

void KeyboardLighting::StepSnakeWave() {
    const bool wheel = settings_.colourful != 0;
    const int period = wheel ? 192 : 96;
    state_.phase = StepPhase(settings_.direction, period, state_.phase, 1);
    int k = state_.phase;
    for (const std::uint8_t led : kLedOrder) {
        if (led >= kNoLed) continue;
        if (wheel) {
            SetLed(led, kColourWheel[k], Full());
        } else {
            SetLed(led, settings_.colour, Scale(kWaveCurve[k]));
        }
        k = (k + 5) % period;
    }
}

void KeyboardLighting::StepStatic() {
    if (settings_.colourful == 0) {
        SetAll(settings_.colour, Full());
        return;
    }
    for (int r = 0; r < kRingCount; ++r) {
        for (const std::uint8_t led : kRings[r]) {
            if (led < kNoLed) SetLed(led, kColourWheel[138 - 12 * r], Full());
        }
    }
}

void KeyboardLighting::StepBreathing() {
    state_.phase = Byte(state_.phase + 1);
    if (state_.phase >= 128) state_.phase = 0;
    const std::uint8_t level = Scale(kBreathCurve[state_.phase]);
    for (int c = 0; c < kGridColumns; ++c) {
        const Rgb colour = settings_.colourful != 0 ? kColourWheel[7 * c] : settings_.colour;
        for (int r = 0; r < kGridRows; ++r) SetLed(kKeyGrid[c][r], colour, level);
    }
}

void KeyboardLighting::StepColumnFade() {
    for (int c = 0; c < kGridColumns; ++c) {
        for (int r = 0; r < kGridRows; ++r) {
            SetLed(kKeyGrid[c][r], settings_.colour, Scale(kColumnFade[c]));
        }
    }
}

void KeyboardLighting::GlowOrFlash() {
    for (int led = 0; led < kMaxLeds; ++led) {
        std::uint8_t& level = state_.level[led];
        if (state_.keyState[led] == 1) level = Byte(std::min(level + 15, 255));
        if (state_.keyState[led] == 2) level = Byte(std::max(level - 5, 0));
        SetLed(led, LedColour(led), Scale(level));
    }
}

void KeyboardLighting::StepNeighbourhoodGlow() { GlowOrFlash(); }

void KeyboardLighting::StepSingleKeyFlash() { GlowOrFlash(); }

void KeyboardLighting::StepRipple() {
    MarkMasks();
    state_.masks.DiamondAdvance();
    for (int led = 0; led < kMaxLeds; ++led) {
        StepDecay(led, settings_.effectId);
        state_.hue[led] = StepPhase(1, 192, state_.hue[led], 7);
        SetLed(led, LedColour(led), Scale(state_.level[led]));
    }
}

void KeyboardLighting::StepTwinkle() {
    for (const std::uint8_t led : kLedOrder) {
        if (led >= kNoLed) continue;
        int level = state_.level[led] + 2;
        if (level >= 192) {
            level = 0;
            state_.hue[led] = RandomMod(192);
        }
        state_.level[led] = Byte(level);
        SetLed(led, LedColour(led), Scale(kSparkCurve[level]));
    }
}

void KeyboardLighting::StepRain() {
    for (int drop = 0; drop < 6; ++drop) {
        const int led = kRainLeds[kRainShuffle[RandomMod(kRainShuffleSize)]];
        state_.hue[led] = RandomMod(192);
        state_.level[led] = 255;
    }
    ShowLevels(17);
}

void KeyboardLighting::StepStaggeredPulse() {
    std::lock_guard lock(Module().mutex);
    auto& phases = Module().staggeredPhase;
    for (const std::uint8_t led : kLedOrder) {
        if (led >= kNoLed) continue;
        phases[led] = Byte(phases[led] + 1);
        if (phases[led] > 111) phases[led] = 0;
        state_.level[led] = kPulseCurve112[phases[led]];
        StepDecay(led, settings_.effectId);
        SetLed(led, settings_.colour, Scale(state_.level[led]));
    }
}

void KeyboardLighting::StepRowFadeWave() {
    state_.phase = StepPhase(settings_.direction, 23, state_.phase, 1);
    int k = (state_.phase + 1) % 23;
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            SetLed(kKeyGrid[c][r], settings_.colour, Scale(kRowFade[k]));
        }
        k = k < 20 ? k + 4 : k - 20;
    }
}

void KeyboardLighting::StepSparkField() {
    for (const std::uint8_t led : kLedOrder) {
        if (led >= kNoLed) continue;
        int timer = state_.timer[led] + 1;
        if (timer >= 192) {
            timer = 0;
            state_.hue[led] = RandomMod(192);
        }
        state_.timer[led] = Byte(timer);
        SetLed(led, LedColour(led), Scale(kSparkCurve[timer]));
    }
}

void KeyboardLighting::StepCustomColours() {
    for (int led = 0; led < frame_.size; ++led) SetLedLevel(led, Full());
}

void KeyboardLighting::StepBlink() {
    const std::uint32_t now = Now();
    if (now - state_.lastToggleMs >= kBlinkInterval[SpeedIndex()] * kBlinkUnitMs) {
        state_.blinkOn = state_.blinkOn != 0 ? 0 : 1;
        state_.lastToggleMs = now;
        state_.phase = Byte(state_.phase + 16);
        if (state_.phase >= 192) state_.phase = 0;
    }
    if (state_.blinkOn == 0) {
        SetAll({}, 0);
        return;
    }
    SetAll(settings_.colourful != 0 ? kColourWheel[state_.phase] : settings_.colour, Full());
}

void KeyboardLighting::StepFourColourBlink() {
    const std::uint32_t now = Now();
    if (now - state_.lastToggleMs >= kBlinkInterval[SpeedIndex()] * kBlinkUnitMs) {
        state_.blinkOn = state_.blinkOn != 0 ? 0 : 1;
        state_.lastToggleMs = now;
        state_.phase = Byte(state_.phase + 1);
        if (state_.phase > 3) state_.phase = 0;
    }
    if (state_.blinkOn == 0) {
        SetAll({}, 0);
        return;
    }
    SetAll(kFourColours[state_.phase & 3], Full());
}

void KeyboardLighting::StepFill() {
    // The sequence has 170 places (0-169); the backward run starts one past its end, where there
    // is nothing to light.
    auto light = [&](int place) {
        if (place >= kFillSequenceSize) return;
        const int led = kFillSequence[place];
        if (led < kNoLed) state_.level[led] = 254;
    };
    if (settings_.direction != 0) {
        if (state_.phase <= 169) {
            light(state_.phase);
            state_.phase = Byte(state_.phase + 1);
        } else {
            state_.phase = 0;
        }
    } else {
        if (state_.phase > 0) {
            light(state_.phase);
            state_.phase = Byte(state_.phase - 1);
        } else {
            state_.phase = 170;
        }
    }
    ShowLedOrder(13);
}

void KeyboardLighting::StepExternalColour() {
    SetAll({ClampByte(bands_[0]), ClampByte(bands_[1]), ClampByte(bands_[2])}, Full());
}

void KeyboardLighting::StepRowWave() {
    state_.phase = StepPhase(settings_.direction, 192, state_.phase, 1);
    int k = (state_.phase + 1) % 192;
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) SetLed(kKeyGrid[c][r], kColourWheel[k], Full());
        k = (k + 7) % 192;
    }
}

void KeyboardLighting::StepColourDrift() {
    for (int led = 0; led < kMaxLeds; ++led) {
        std::uint8_t& hue = state_.hue[led];
        hue = Byte(hue + 1);
        if (hue >= 192) hue = 0;
        SetLed(led, kColourWheel[hue], Full());
    }
}

void KeyboardLighting::StepLineRipple() {
    MarkMasks();
    state_.masks.LineAdvance();
    ShowLevels(settings_.effectId);
}

void KeyboardLighting::StepPresetColour() {
    switch (settings_.presetColour) {
        case 1:
            state_.phase = 25;
            break;
        case 2:
            state_.phase = 70;
            break;
        case 3:
            state_.phase = 95;
            break;
        default:
            state_.phase = 174;
            break;
    }
    SetAll(kColourWheel[state_.phase], Full());
}

}  // namespace qx::lighting
