// The lighting of a device kind without effects of its own: the whole-device steps, the fades,
// the ring and the effect-list player of every engine, over the device's LEDs.
#pragma once

#include "lighting/lighting_engine.h"

namespace qx::lighting {

class DeviceLighting final : public LightingEngine {
  public:
    explicit DeviceLighting(int ledCount, EngineSources sources = {})
        : LightingEngine(ledCount, sources) {}

    // No effect of its own: every id plays the effect list on every pass.
    EffectFamily Family() const override { return EffectFamily::Other; }
};

}  // namespace qx::lighting
