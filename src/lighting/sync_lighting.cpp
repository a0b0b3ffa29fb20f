#include "lighting/sync_lighting.h"

#include <algorithm>
#include <array>

#include "lighting/step_phase.h"

namespace qx::lighting {

namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

std::uint32_t Pack(Rgb c, std::uint8_t level) {
    return static_cast<std::uint32_t>(c.red) | static_cast<std::uint32_t>(c.green) << 8 |
           static_cast<std::uint32_t>(c.blue) << 16 | static_cast<std::uint32_t>(level) << 24;
}

constexpr std::array<std::uint8_t, 5> kKeyboardIds = {6, 5, 23, 40, 28};
constexpr std::array<std::uint8_t, 5> kMouseIds = {2, 3, 4, 1, 9};
constexpr std::array<std::uint8_t, 5> kPadIds = {2, 3, 4, 1, 8};

std::optional<std::uint8_t> Find(const std::array<std::uint8_t, 5>& ids, std::uint8_t id) {
    for (std::size_t s = 0; s < ids.size(); ++s) {
        if (ids[s] == id) return static_cast<std::uint8_t>(s);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint8_t> SyncEffectForDevice(int deviceKind, std::uint8_t effectId,
                                                std::uint8_t previous) {
    switch (deviceKind) {
        case 1:
            return Find(kKeyboardIds, effectId);
        case 2:
            return Find(kMouseIds, effectId);
        case 3:
        case 7:
            return Find(kPadIds, effectId);
        default:
            return previous;
    }
}

std::uint8_t FamilyEffectForSync(SyncFamily family, std::uint8_t syncEffect) {
    const std::size_t s = std::min<std::size_t>(syncEffect, 4);
    switch (family) {
        case SyncFamily::Keyboards:
            return kKeyboardIds[s];
        case SyncFamily::Mice:
            return kMouseIds[s];
        default:
            return kPadIds[s];
    }
}

int SyncStepThreshold(const SyncSettings& settings) {
    return kSyncSpeedTable[std::min<int>(settings.effect, 4)][std::min<int>(settings.speed, 4)];
}

SyncLighting::SyncLighting(TickSource* ticks, LightingModuleState* module)
    : ticks_(ticks != nullptr ? ticks : &ProgramTickSource()),
      module_(module != nullptr ? module : &LightingModule()) {}

std::uint32_t SyncLighting::Step(const SyncSettings& s) {
    std::lock_guard lock(module_->mutex);
    SyncCounters& k = module_->sync;
    const std::uint8_t full = kBrightnessTable[std::min<int>(s.brightness, 4)];
    switch (s.effect) {
        case kSyncBreathing: {
            k.breathPhase = StepPhase(s.direction, 128, k.breathPhase, 1);
            Rgb colour = s.colour;
            if (s.colourful != 0) {
                if (k.breathPhase < 2) k.colourIndex = StepPhase(1, 192, k.colourIndex, 16);
                colour = kColourWheel[k.colourIndex];
            }
            return Pack(colour, Byte(full * kBreathCurve[k.breathPhase & 127] >> 8));
        }
        case kSyncStatic:
            return Pack(s.colour, full);
        case kSyncBlink: {
            const std::uint32_t now = ticks_->NowMs();
            const std::uint32_t interval =
                kSyncSpeedTable[0][std::min<int>(s.speed, 4)] * kBlinkUnitMs;
            if (now - k.lastToggleMs >= interval) {
                k.blinkOn = k.blinkOn != 0 ? 0 : 1;
                k.lastToggleMs = now;
                k.colourIndex = Byte(k.colourIndex + 14);
                if (k.colourIndex >= 192) k.colourIndex = 0;
            }
            if (k.blinkOn == 0) return Pack({}, 0);
            return Pack(s.colourful != 0 ? kColourWheel[k.colourIndex] : s.colour, full);
        }
        case kSyncColourCycle:
            k.colourIndex = StepPhase(1, 192, k.colourIndex, 1);
            return Pack(kColourWheel[k.colourIndex], full);
        default:
            return Pack({}, 0);
    }
}

}  // namespace qx::lighting
