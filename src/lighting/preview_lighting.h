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

    EffectFamily Family() const override { return EffectFamily::Mouse; }
    bool AppliesOverlays() const override { return false; }

    void StepWave();
    void StepGroupSweep();
    void StepReactive();
    // A button press: in the reactive effect every LED rises again with a new colour; other
    // effects ignore it.
    void OnPress();
};

class PadLighting : public LightingEngine {
  public:
    explicit PadLighting(int ledCount = kPadLedCount, EngineSources sources = {});

    EffectFamily Family() const override { return EffectFamily::Pad; }

    virtual void StepWave();
    void StepPairSweep();
    void StepLedSweep();
    // Every LED of the frame whose ring byte is set, not only the first nine.
    void StartDecayGroup() override;

  protected:
    Rgb SweepColour(int firstLed, bool keep);
};

class HeadsetLighting : public PadLighting {
  public:
    explicit HeadsetLighting(EngineSources sources = {});
    EffectFamily Family() const override;
    void StepWave() override;
};

}  // namespace qx::lighting
