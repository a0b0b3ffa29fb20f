#include "lighting/preview_lighting.h"

#include <algorithm>

#include "lighting/step_phase.h"

namespace qx::lighting {

namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

// The sweeps' colour of a phase that may have run past the wheel's 192 hues.
Rgb PhaseColour(std::uint8_t v) { return kColourWheel[v < 192 ? v : v - 192]; }

}  // namespace

int MouseStepThreshold(int effectId, int speedIndex) {
    return StepThresholdOf(EffectOrPlayer(EffectFamily::Mouse, effectId), speedIndex);
}

int PadStepThreshold(int effectId, int speedIndex) {
    return StepThresholdOf(EffectOrPlayer(EffectFamily::Pad, effectId), speedIndex);
}

// --- mouse

MouseLighting::MouseLighting(int ledCount, EngineSources sources)
    : LightingEngine(ledCount, sources) {
    state_.ring[0] = 1;
}

void MouseLighting::StepWave() {
    const bool wheel = settings_.colourful != 0;
    const int period = wheel ? 192 : 96;
    state_.phase = StepPhase(settings_.direction, period, state_.phase, 1);
    int k = (state_.phase + 1) % period;
    for (const auto& group : kMouseLedGroups) {
        for (const std::int8_t led : group) {
            if (led < 0) continue;
            if (wheel) {
                SetLed(led, kColourWheel[k], Full());
            } else {
                SetLed(led, settings_.colour, Scale(kWaveCurve[k]));
            }
        }
        k = (k + 7) % period;
    }
}

void MouseLighting::StepGroupSweep() {
    const std::uint8_t dir = settings_.direction;
    state_.phase = StepPhase(dir, 192, state_.phase, 1);
    StartDecayGroup();
    RotateRing(dir);
    for (int g = 0; g < kMouseGroupCount; ++g) {
        StepDecay(g, settings_.effectId);
        Rgb colour = settings_.colour;
        if (settings_.colourful != 0) {
            state_.phase = Byte(state_.phase + 12);
            const bool farEndLit = state_.level[dir == 0 ? 6 : 0] != 0;
            const int first = kMouseLedGroups[g][0];
            if (farEndLit && first < frame_.size) {
                const LedRecord& r = frame_.leds[first];
                colour = {r.red, r.green, r.blue};
            } else {
                colour = PhaseColour(state_.phase);
            }
        }
        for (const std::int8_t led : kMouseLedGroups[g]) {
            if (led >= 0) SetLed(led, colour, Scale(state_.level[g]));
        }
    }
}

void MouseLighting::StepReactive() {
    for (int led = 0; led < frame_.size; ++led) {
        std::uint8_t& level = state_.pressLevel[led];
        if (state_.pressPhase[led] == 1) {
            level = Byte(std::min(level + 15, 255));
            if (level == 255) state_.pressPhase[led] = 2;
        } else if (state_.pressPhase[led] == 2) {
            level = Byte(std::max(level - 15, 0));
        }
        const Rgb colour =
            settings_.colourful != 0 ? kColourWheel[state_.pressHue[led]] : settings_.colour;
        SetLed(led, colour, Scale(level));
    }
}

void MouseLighting::OnPress() {
    std::lock_guard lock(stateMutex_);
    if (CurrentEffect().keys != KeyReaction::Press) return;
    for (int led = 0; led < frame_.size; ++led) {
        state_.pressPhase[led] = 1;
        state_.pressLevel[led] = 255;
        state_.pressHue[led] = RandomMod(192);
    }
    NotifyInput();
}

// --- mouse pad

PadLighting::PadLighting(int ledCount, EngineSources sources) : LightingEngine(ledCount, sources) {
    state_.ring[0] = 1;
}

void PadLighting::StartDecayGroup() {
    const int count = std::min<int>(frame_.size, kGridColumns);
    for (int i = 0; i < count; ++i) {
        if (state_.ring[i] != 0) state_.level[i] = 255;
    }
}

void PadLighting::StepWave() {
    const bool wheel = settings_.colourful != 0;
    const int period = wheel ? 192 : 96;
    state_.phase = StepPhase(settings_.direction, period, state_.phase, 1);
    int k = (state_.phase + 1) % period;
    for (int led = 0; led < frame_.size; ++led) {
        if (wheel) {
            SetLed(led, kColourWheel[k], Full());
        } else {
            SetLed(led, settings_.colour, Scale(kWaveCurve[k]));
        }
        k = (k + 7) % period;
    }
}

// The colour of a sweep cell: the fixed colour, or the phase moved on by 12 and its colour,
// unless the end of the sweep is lit, when the cell keeps the colour it has.
Rgb PadLighting::SweepColour(int firstLed, bool keep) {
    if (settings_.colourful == 0) return settings_.colour;
    state_.phase = Byte(state_.phase + 12);
    if (keep && firstLed < frame_.size) {
        const LedRecord& r = frame_.leds[firstLed];
        return {r.red, r.green, r.blue};
    }
    return PhaseColour(state_.phase);
}

void PadLighting::StepPairSweep() {
    const std::uint8_t dir = settings_.direction;
    state_.phase = StepPhase(dir, 192, state_.phase, 1);
    state_.sweepParity = Byte(state_.sweepParity + 1);
    if (state_.sweepParity % 2 == 0) {
        StartDecayGroup();
        auto head = state_.ring.begin();
        if (dir == 0) {
            std::rotate(head, head + 7, head + 8);  // towards the end
        } else {
            std::rotate(head, head + 1, head + 8);  // towards the start
        }
    }
    const int last = std::max(frame_.size - 1, 0);
    for (int p = 0; p < kPadPairCount; ++p) {
        StepDecay(p, settings_.effectId);
        const bool keep = state_.level[dir == 0 ? last : 0] != 0;
        const Rgb colour = SweepColour(kPadLedPairs[p][0], keep);
        for (const std::uint8_t led : kPadLedPairs[p]) SetLed(led, colour, Scale(state_.level[p]));
    }
}

void PadLighting::StepLedSweep() {
    const std::uint8_t dir = settings_.direction;
    state_.phase = StepPhase(dir, 192, state_.phase, 1);
    state_.sweepParity = Byte(state_.sweepParity + 1);
    if (state_.sweepParity % 2 == 0) {
        StartDecayGroup();
        RotateRing(dir);
    }
    const int last = std::max(frame_.size - 1, 0);
    for (int led = 0; led < frame_.size; ++led) {
        StepDecay(led, settings_.effectId);
        const bool keep = state_.level[dir == 0 ? last : 0] != 0;
        SetLed(led, SweepColour(led, keep), Scale(state_.level[led]));
    }
}

// --- headset

HeadsetLighting::HeadsetLighting(EngineSources sources) : PadLighting(kHeadsetLedCount, sources) {}

EffectFamily HeadsetLighting::Family() const { return EffectFamily::Headset; }

void HeadsetLighting::StepWave() {
    if (settings_.colourful != 0) {
        state_.phase = StepPhase(settings_.direction, 192, state_.phase, 1);
        int k = state_.phase + 1;
        for (int led = 0; led < frame_.size; ++led) {
            SetLed(led, kColourWheel[k], Full());
            k = (k + 16) % 192;
        }
        return;
    }
    state_.phase = StepPhase(settings_.direction, 96, state_.phase, 3);
    int k = state_.phase;
    for (int led = 0; led < frame_.size; ++led) {
        SetLed(led, settings_.colour, Scale(kWaveCurve[k % 96]));
        k = (k + 10) % 96;
    }
}

}  // namespace qx::lighting
