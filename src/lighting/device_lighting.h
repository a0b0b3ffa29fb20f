// The lighting of a device kind without effects of its own: the whole-device steps, the fades,
// the ring and the effect-list player of every engine, over the device's LEDs.
#pragma once

#include "lighting/lighting_engine.h"

namespace qx::lighting {

class DeviceLighting final : public LightingEngine {
  public:
    explicit DeviceLighting(int ledCount, EngineSources sources = {})
        : LightingEngine(ledCount, sources) {}

    // No effect of its own: the effect-list player runs on every pass.
    int StepThreshold() const override { return -1; }

  protected:
    void RunCurrentStep() override { PlayEffectList(); }
    void OnSettingsApplied(const LightSettings&) override {}
};

}  // namespace qx::lighting
