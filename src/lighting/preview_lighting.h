// The lighting previews of the mouse, the mouse pad and the headset: the whole-device steps of
// the base engine plus each kind's wave and sweeps, over the device's few LEDs.
#pragma once

#include "lighting/lighting_engine.h"

namespace qx::lighting {

inline constexpr int kMouseLedCount = 15;
inline constexpr int kPadLedCount = 15;
inline constexpr int kHeadsetLedCount = 13;

// Ticks between steps of a preview effect; -1 for the effect-list player.
int MouseStepThreshold(int effectId, int speedIndex);
int PadStepThreshold(int effectId, int speedIndex);

class MouseLighting : public LightingEngine {
  public:
    explicit MouseLighting(int ledCount = kMouseLedCount, EngineSources sources = {});

    int StepThreshold() const override;
    bool AppliesOverlays() const override { return false; }

    void StepWave();
    void StepGroupSweep();
    void StepReactive();
    // A button press while the effect is reactive: every LED rises again with a new colour.
    void OnPress();

  protected:
    void RunCurrentStep() override;
    void OnSettingsApplied(const LightSettings& before) override;
};

class PadLighting : public LightingEngine {
  public:
    explicit PadLighting(int ledCount = kPadLedCount, EngineSources sources = {});

    int StepThreshold() const override;

    virtual void StepWave();
    void StepPairSweep();
    void StepLedSweep();
    // Every LED of the frame whose ring byte is set, not only the first nine.
    void StartDecayGroup() override;

  protected:
    void RunCurrentStep() override;
    void OnSettingsApplied(const LightSettings& before) override;
    Rgb SweepColour(int firstLed, bool keep);
};

class HeadsetLighting : public PadLighting {
  public:
    explicit HeadsetLighting(EngineSources sources = {});
    void StepWave() override;
};

}  // namespace qx::lighting
