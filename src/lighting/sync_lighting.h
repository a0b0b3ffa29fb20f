// The computing part of the synchronised lighting: one colour for every device that takes part,
// stepped at the synchronised speed table's pace, and the mapping of effect ids onto it.
#pragma once

#include <cstdint>
#include <optional>

#include "lighting/lighting_module_state.h"
#include "lighting/lighting_sources.h"
#include "lighting/lighting_tables.h"

namespace qx::lighting {

enum SyncEffect : std::uint8_t {
    kSyncBreathing = 0,
    kSyncStatic = 1,
    kSyncBlink = 2,
    kSyncColourCycle = 3,
    kSyncOff = 4,
};

struct SyncSettings {
    std::uint8_t effect = kSyncBreathing;
    std::uint8_t speed = 0;
    std::uint8_t brightness = 0;
    std::uint8_t direction = 0;
    std::uint8_t colourful = 0;
    Rgb colour{};
};

enum class SyncFamily { Keyboards, Mice, PadsAndHeadsets };

// The synchronised effect for a device's effect id: nullopt when the kind's row lacks the id
// (the action ends with nothing changed); a kind without a row keeps `previous`.
std::optional<std::uint8_t> SyncEffectForDevice(int deviceKind, std::uint8_t effectId,
                                                std::uint8_t previous);
// The effect id a family's devices take for a synchronised effect.
std::uint8_t FamilyEffectForSync(SyncFamily family, std::uint8_t syncEffect);

// Ticks between two synchronised steps.
int SyncStepThreshold(const SyncSettings& settings);

class SyncLighting {
  public:
    explicit SyncLighting(TickSource* ticks = nullptr, LightingModuleState* module = nullptr);
    // One synchronised step; the colour and level packed red | green << 8 | blue << 16 |
    // level << 24, for every device's SetAllLeds.
    std::uint32_t Step(const SyncSettings& settings);

  private:
    TickSource* ticks_;
    LightingModuleState* module_;
};

}  // namespace qx::lighting
