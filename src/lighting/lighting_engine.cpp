#include "lighting/lighting_engine.h"

#include <algorithm>

#include "lighting/step_phase.h"

namespace qx::lighting {

namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }
int Clamp4(int v) { return v > 4 ? 4 : v; }

// How much one StepDecay takes off a level, by level band and profile.
int DecayAmount(int level, int profile) {
    if (level == 0) return 0;
    if (level <= 16) return 1;
    if (level <= 31) return profile == 29 ? 5 : 8;
    if (level <= 63) return profile == 0 ? 15 : 10;
    if (profile == 29) {
        if (level <= 79) return 20;
        if (level <= 95) return 25;
        if (level <= 111) return 30;
        if (level <= 127) return 35;
        if (level <= 143) return 40;
        return 45;
    }
    if (level <= 127) return 30;
    return 40;
}

}  // namespace

LightingEngine::LightingEngine(int ledCount, EngineSources sources)
    : ticks_(sources.ticks != nullptr ? sources.ticks : &ProgramTickSource()),
      random_(sources.random != nullptr ? static_cast<RandomSource*>(sources.random)
                                        : &ProgramRandSource()),
      module_(sources.module != nullptr ? sources.module : &LightingModule()),
      ticker_(sources.tickMs) {
    frame_.size = std::clamp(ledCount, 0, kMaxLeds);
    ticker_.Start(ticks_->NowMs());
    entryStartMs_ = ticks_->NowMs();
}

void LightingEngine::ApplySettings(const LightSettings& settings) {
    {
        std::lock_guard lock(stateMutex_);
        const LightSettings before = settings_;
        settings_ = settings;
        OnSettingsApplied(before);
    }
    NotifyInput();
}

void LightingEngine::SetInputHook(std::function<void()> hook) {
    std::lock_guard lock(hookMutex_);
    inputHook_ = std::move(hook);
}

void LightingEngine::NotifyInput() const {
    std::lock_guard lock(hookMutex_);
    if (inputHook_) inputHook_();
}

LightSettings LightingEngine::Settings() const {
    std::lock_guard lock(stateMutex_);
    return settings_;
}

int LightingEngine::StepThreshold() const {
    return StepThresholdOf(CurrentEffect(), settings_.speed);
}

void LightingEngine::RunCurrentStep() { CurrentEffect().step(*this); }

void LightingEngine::OnSettingsApplied(const LightSettings& before) {
    const EffectInfo& effect = CurrentEffect();
    if (settings_.effectId != before.effectId || effect.restartOnApply) RunStartUp(effect.startUp);
}

void LightingEngine::RunStartUp(StartUp startUp) {
    if (startUp != StartUp::FadeRestart) return;
    ClearDecay();
    state_.ring[0] = 1;
}

void LightingEngine::Step() {
    std::lock_guard lock(stateMutex_);
    RunCurrentStep();
}

void LightingEngine::Pass() {
    {
        std::lock_guard lock(stateMutex_);
        ticker_.Count(Now());
        const int threshold = StepThreshold();
        if (threshold < 0 || ticker_.Due(threshold)) RunCurrentStep();
        if (AppliesOverlays()) ApplyOverlayPass();
    }
    PublishFrame();
}

void LightingEngine::PublishFrame() { exchange_.Publish(frame_); }

void LightingEngine::SetAllLeds(std::uint32_t packed) {
    {
        std::lock_guard lock(stateMutex_);
        SetAll({Byte(packed & 0xFF), Byte(packed >> 8 & 0xFF), Byte(packed >> 16 & 0xFF)},
               Byte(packed >> 24));
    }
    PublishFrame();
    NotifyInput();
}

// --- helpers

void LightingEngine::SetLed(int led, Rgb colour, std::uint8_t level) {
    if (led < 0 || led >= frame_.size) return;
    LedRecord& r = frame_.leds[led];
    r.red = colour.red;
    r.green = colour.green;
    r.blue = colour.blue;
    r.level = level;
}

void LightingEngine::SetLedLevel(int led, std::uint8_t level) {
    if (led < 0 || led >= frame_.size) return;
    frame_.leds[led].level = level;
}

void LightingEngine::SetAll(Rgb colour, std::uint8_t level) {
    for (int led = 0; led < frame_.size; ++led) SetLed(led, colour, level);
}

std::uint8_t LightingEngine::Full() const { return kBrightnessTable[Clamp4(settings_.brightness)]; }

Rgb LightingEngine::LedColour(int led) const {
    return settings_.colourful != 0 ? kColourWheel[state_.hue[led]] : settings_.colour;
}

// --- fades and the ring

std::uint8_t LightingEngine::StepDecay(int led, int profile) {
    if (led < 0 || led >= kMaxLeds) return 0;
    std::uint8_t& level = state_.level[led];
    level = Byte(level - DecayAmount(level, profile));
    return level;
}

void LightingEngine::StartDecayGroup() {
    for (int i = 0; i < 9; ++i) {
        if (state_.ring[i] != 0) state_.level[i] = 255;
    }
}

void LightingEngine::RotateRing(std::uint8_t direction) {
    auto& ring = state_.ring;
    if (direction != 0) {
        std::rotate(ring.rbegin(), ring.rbegin() + 1, ring.rend());
    } else {
        std::rotate(ring.begin(), ring.begin() + 1, ring.end());
    }
}

void LightingEngine::ClearDecay() {
    state_.level = {};
    state_.ring = {};
}

// --- whole-device steps

void LightingEngine::StepBreathing() {
    state_.phase = StepPhase(settings_.direction, 128, state_.phase, 1);
    if (state_.phase == 0) {
        state_.phase2 = Byte(state_.phase2 + 16);
        if (state_.phase2 > 192) state_.phase2 = 0;
    }
    const Rgb colour = settings_.colourful != 0 ? kColourWheel[state_.phase2] : settings_.colour;
    SetAll(colour, Scale(kBreathCurve[state_.phase]));
}

void LightingEngine::StepFourColourBreathing() {
    state_.phase = StepPhase(settings_.direction, 128, state_.phase, 1);
    if (state_.phase == 0) {
        state_.phase2 = Byte(state_.phase2 + 1);
        if (state_.phase2 > 3) state_.phase2 = 0;
    }
    SetAll(kFourColours[state_.phase2 & 3], Scale(kBreathCurve[state_.phase]));
}

void LightingEngine::StepStatic() { SetAll(settings_.colour, Full()); }

void LightingEngine::StepColourCycle() {
    state_.phase = StepPhase(settings_.direction, 192, state_.phase, 1);
    SetAll(kColourWheel[state_.phase], Full());
}

void LightingEngine::StepBlink() {
    const std::uint32_t now = Now();
    if (now - state_.lastToggleMs >= kBlinkInterval[SpeedIndex()] * kBlinkUnitMs) {
        state_.blinkOn = state_.blinkOn != 0 ? 0 : 1;
        state_.lastToggleMs = now;
        state_.phase2 = Byte(state_.phase2 + 16);
        if (state_.phase2 >= 192) state_.phase2 = 0;
    }
    if (state_.blinkOn != 0) {
        SetAll(settings_.colourful != 0 ? kColourWheel[state_.phase2] : settings_.colour, Full());
    } else {
        SetAll({}, 0);
    }
}

void LightingEngine::StepFourColourBlink() {
    const std::uint32_t now = Now();
    if (now - state_.lastToggleMs >= kBlinkInterval[SpeedIndex()] * kBlinkUnitMs) {
        state_.blinkOn = state_.blinkOn != 0 ? 0 : 1;
        state_.lastToggleMs = now;
        state_.phase2 = Byte(state_.phase2 + 1);
        if (state_.phase2 > 3) state_.phase2 = 0;
    }
    if (state_.blinkOn != 0) {
        SetAll(kFourColours[state_.phase2 & 3], Full());
    } else {
        SetAll({}, 0);
    }
}

void LightingEngine::StepOff() { SetAll({}, 0); }

// --- the LED effect list

void LightingEngine::SetLedEffectList(std::span<const LedEffectRecord> records) {
    std::lock_guard lock(listMutex_);
    overlayCount_ = static_cast<int>(std::min<std::size_t>(records.size(), kMaxLeds));
    std::copy_n(records.begin(), overlayCount_, overlays_.begin());
    std::lock_guard moduleLock(module_->mutex);
    OverlayCounters& counters = module_->overlay;
    counters = OverlayCounters{};
    for (int i = 0; i < overlayCount_; ++i) {
        counters.blinkIntervalMs[i] =
            kOverlayBlinkInterval[Clamp4(overlays_[i].speed)] * kBlinkUnitMs;
    }
    NotifyInput();
}

void LightingEngine::ApplyOverlayPass() {
    std::lock_guard lock(listMutex_);
    if (overlayCount_ == 0) return;
    std::lock_guard moduleLock(module_->mutex);
    OverlayCounters& k = module_->overlay;
    const int count = std::min(overlayCount_, frame_.size);

    for (int i = 0; i < count; ++i) {  // breathing
        const LedEffectRecord& r = overlays_[i];
        if (r.type != kOverlayBreathing || r.enabled == 0) continue;
        k.phase[i] = Byte(k.phase[i] + r.speed + 4);
        if ((k.phase[i] & 0x80) != 0) {
            k.phase[i] = 0;
            k.colourIndex[i] = Byte(k.colourIndex[i] + 1);
            if (k.colourIndex[i] > 192) k.colourIndex[i] = 191;
        }
        const Rgb colour = r.colourful != 0 ? kColourWheel[k.colourIndex[i]] : r.colour;
        SetLed(i, colour,
               Byte(kBreathCurve[k.phase[i]] * kBrightnessTable[Clamp4(r.brightness)] >> 8));
    }
    for (int i = 0; i < count; ++i) {  // static
        const LedEffectRecord& r = overlays_[i];
        if (r.type == kOverlayStatic) SetLed(i, r.colour, kBrightnessTable[Clamp4(r.brightness)]);
    }
    for (int i = 0; i < count; ++i) {  // colour cycle
        const LedEffectRecord& r = overlays_[i];
        if (r.type != kOverlayColourCycle || r.enabled == 0) continue;
        k.stepCounter[i] = Byte(k.stepCounter[i] + 1);
        if (k.stepCounter[i] >= kOverlayCyclePeriod[Clamp4(r.speed)]) {
            k.stepCounter[i] = 0;
            k.colourIndex[i] = Byte(k.colourIndex[i] + 1);
            if (k.colourIndex[i] > 191) k.colourIndex[i] = 0;
        }
        SetLed(i, kColourWheel[k.colourIndex[i]], kBrightnessTable[Clamp4(r.brightness)]);
    }
    const std::uint32_t now = Now();
    for (int i = 0; i < count; ++i) {  // blink: every record's toggle runs
        const LedEffectRecord& r = overlays_[i];
        if (now - k.toggleTimeMs[i] >= k.blinkIntervalMs[i]) {
            k.toggle[i] = k.toggle[i] != 0 ? 0 : 1;
            k.toggleTimeMs[i] = now;
            k.colourIndex[i] = Byte(k.colourIndex[i] + 14);
            if (k.colourIndex[i] > 191) k.colourIndex[i] = 0;
        }
        if (r.type != kOverlayBlink) continue;
        if (k.toggle[i] != 0) {
            SetLed(i, r.colourful != 0 ? kColourWheel[k.colourIndex[i]] : r.colour,
                   kBrightnessTable[Clamp4(r.brightness)]);
        } else {
            SetLed(i, {}, 0);
        }
    }
    for (int i = 0; i < count; ++i) {  // off
        if (overlays_[i].type == kOverlayOff) SetLed(i, {}, 0);
    }
}

// --- the effect-list player

void LightingEngine::SetTimedEffects(std::span<const TimedEffectEntry> entries) {
    std::lock_guard lock(timedMutex_);
    timed_.assign(entries.begin(), entries.end());
    position_ = 0;
    entryStartMs_ = Now();
    NotifyInput();
}

std::size_t LightingEngine::TimedEffectCount() const {
    std::lock_guard lock(timedMutex_);
    return timed_.size();
}

void LightingEngine::PlayEffectList() {
    TimedEffectEntry entry;
    {
        std::lock_guard lock(timedMutex_);
        if (position_ >= timed_.size()) position_ = 0;
        if (timed_.empty()) {
            StepOff();
            return;
        }
        entry = timed_[position_];
    }
    bool advance = false;
    {
        std::lock_guard moduleLock(module_->mutex);
        ++module_->playerPasses;
        const bool paced = entry.type == kPlayBreathing || entry.type == kPlayStatic ||
                           entry.type == kPlayRolling || entry.type == kPlayWheel;
        if (paced && module_->playerPasses >= kPreviewThresholds[Clamp4(entry.speed)]) {
            module_->playerPasses = 0;
            advance = true;
        }
    }
    DrawPlayerEntry(entry, advance);

    const std::uint32_t now = Now();
    std::lock_guard lock(timedMutex_);
    if (now - entryStartMs_ > entry.durationMs) {
        position_ = position_ + 1 >= timed_.size() ? 0 : position_ + 1;
        entryStartMs_ = now;
    }
}

void LightingEngine::DrawPlayerEntry(const TimedEffectEntry& entry, bool advance) {
    const std::uint8_t full = kBrightnessTable[Clamp4(entry.brightness)];
    const bool wheel = entry.colourful != 0;
    switch (entry.type) {
        case kPlayBreathing:
            if (advance) {
                playerPhase_ = Byte((playerPhase_ + 1) % 128);
                if (playerPhase_ == 0) playerIndex_ = StepPhase(1, 192, playerIndex_, 16);
            }
            SetAll(wheel ? kColourWheel[playerIndex_] : entry.colour,
                   Byte(kBreathCurve[playerPhase_ & 127] * full >> 8));
            break;
        case kPlayStatic:
            SetAll(wheel ? kColourWheel[playerIndex_] : entry.colour, full);
            break;
        case kPlayBlink: {
            const std::uint32_t now = Now();
            if (now - playerToggleMs_ >= kBlinkInterval[Clamp4(entry.speed)] * kBlinkUnitMs) {
                playerBlinkOn_ = playerBlinkOn_ != 0 ? 0 : 1;
                playerToggleMs_ = now;
                playerIndex_ = Byte(playerIndex_ + 14);
                if (playerIndex_ >= 192) playerIndex_ = 0;
            }
            if (playerBlinkOn_ != 0) {
                SetAll(wheel ? kColourWheel[playerIndex_] : entry.colour, full);
            } else {
                SetAll({}, 0);
            }
            break;
        }
        case kPlayRolling:
            if (advance) playerIndex_ = Byte((playerIndex_ + 1) % (wheel ? 192 : 96));
            for (int led = 0; led < frame_.size; ++led) {
                if (wheel) {
                    SetLed(led, kColourWheel[(playerIndex_ + 12 * led) % 192], full);
                } else {
                    SetLed(led, entry.colour,
                           Byte(full * kWaveCurve[(playerIndex_ + 12 * led) % 96] >> 8));
                }
            }
            break;
        case kPlayWheel:
            if (advance) playerIndex_ = StepPhase(1, 192, playerIndex_, 1);
            SetAll(kColourWheel[playerIndex_], full);
            break;
        default:  // a type the player does not know shows nothing
            SetAll({}, 0);
            break;
    }
}

}  // namespace qx::lighting
