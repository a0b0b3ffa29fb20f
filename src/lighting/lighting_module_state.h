// The lighting state that is one for the whole program, shared by every device: the phases of
// the staggered pulse, the per-LED overlay counters, the effect-list pass counter, the beat
// accumulator of the sound ripple and the counters of the synchronised lighting.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "lighting/lighting_tables.h"

namespace qx::lighting {

struct OverlayCounters {
    std::array<std::uint8_t, kMaxLeds> colourIndex{};
    std::array<std::uint8_t, kMaxLeds> phase{};
    std::array<std::uint8_t, kMaxLeds> stepCounter{};
    std::array<std::uint8_t, kMaxLeds> toggle{};
    std::array<std::uint32_t, kMaxLeds> toggleTimeMs{};
    std::array<std::uint32_t, kMaxLeds> blinkIntervalMs{};
};

struct SyncCounters {
    std::uint8_t breathPhase = 0;
    std::uint8_t colourIndex = 0;
    std::uint8_t blinkOn = 0;
    std::uint32_t lastToggleMs = 0;
};

class LightingModuleState {
  public:
    // Back to the state at program start.
    void Reset();

    // Held by whoever reads or writes the members below, since several devices' light threads
    // share them.
    std::mutex mutex;

    std::array<std::uint8_t, kMaxLeds> staggeredPhase{};  // effect 18
    OverlayCounters overlay;
    std::uint32_t playerPasses = 0;
    std::int32_t beatAccumulator = 0;
    SyncCounters sync;
};

// The program's one instance.
LightingModuleState& LightingModule();

}  // namespace qx::lighting
