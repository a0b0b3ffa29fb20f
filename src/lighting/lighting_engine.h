// The lighting engine of one device: its frame, settings and effect state, the whole-device
// steps every device kind shares, the per-LED overlays, the effect-list player and the hand-off
// of finished frames. A light thread calls Pass() (or Step()) and readers call ReadFrame().
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "lighting/effect_catalogue.h"
#include "lighting/effect_lists.h"
#include "lighting/effect_state.h"
#include "lighting/frame_exchange.h"
#include "lighting/light_frame.h"
#include "lighting/light_settings.h"
#include "lighting/lighting_module_state.h"
#include "lighting/lighting_sources.h"
#include "lighting/step_ticker.h"

namespace qx::lighting {

// Where an engine takes its time, its random numbers and the program-wide state from; a null
// member means the program's own (steady clock, rand(), LightingModule()).
struct EngineSources {
    TickSource* ticks = nullptr;
    RandomSource* random = nullptr;
    LightingModuleState* module = nullptr;
    std::uint32_t tickMs = kDefaultTickMs;
};

class LightingEngine {
  public:
    LightingEngine(int ledCount, EngineSources sources);
    virtual ~LightingEngine() = default;
    LightingEngine(const LightingEngine&) = delete;
    LightingEngine& operator=(const LightingEngine&) = delete;

    // Takes new settings; a changed effect resets the effect state as the device kind says.
    void ApplySettings(const LightSettings& settings);
    LightSettings Settings() const;

    // --- the light thread's side
    // Runs the current effect's step once.
    void Step();
    // One pass: count the tick, run the step when it is due (or on every pass for an effect
    // without a step of its own), apply the overlays where the device has them, publish.
    void Pass();
    // The overlays of the LED effect list over the frame, under the list's lock.
    void ApplyOverlayPass();
    void PublishFrame();
    // Sets every LED to one colour and level packed red | green << 8 | blue << 16 | level << 24
    // (the synchronised lighting), and publishes the frame.
    void SetAllLeds(std::uint32_t packed);

    // --- readers on any thread
    std::uint64_t ReadFrame(LightFrame& out) const { return exchange_.Read(out); }

    // --- lists (any thread)
    void SetLedEffectList(std::span<const LedEffectRecord> records);
    void SetTimedEffects(std::span<const TimedEffectEntry> entries);
    std::size_t TimedEffectCount() const;

    // Called (on the caller's thread) whenever something from outside the steps changes what the
    // next passes draw: settings, lists, key events, fed data. A light thread that rests while
    // its effect stands still is woken by it. The hook must not call back into the engine.
    void SetInputHook(std::function<void()> hook);

    // The family whose effect catalogue the engine runs.
    virtual EffectFamily Family() const = 0;
    // The catalogue row of the current effect (the effect-list player for an unknown id). Reads
    // the settings: call it with the state lock held, or from the thread that applies them.
    const EffectInfo& CurrentEffect() const { return EffectOrPlayer(Family(), settings_.effectId); }

    // Ticks between two steps of the current effect; -1 when the effect has no step of its own
    // and the effect-list player runs on every pass.
    virtual int StepThreshold() const;
    virtual bool AppliesOverlays() const { return true; }

    // --- the whole-device steps and helpers every kind shares
    virtual void StepBreathing();
    virtual void StepFourColourBreathing();
    virtual void StepStatic();
    virtual void StepColourCycle();
    virtual void StepBlink();
    virtual void StepFourColourBlink();
    virtual void StepOff();
    // Lowers L[led] once by the fade profile of `profile` (0, 29 or any other id); returns it.
    virtual std::uint8_t StepDecay(int led, int profile);
    // Fade counters whose ring byte is set become 255 (entries 0-8 here).
    virtual void StartDecayGroup();
    // The 23-byte ring moves by one place, towards higher indices when direction is non-zero.
    void RotateRing(std::uint8_t direction);
    void ClearDecay();
    void PlayEffectList();

    // Runs `action(*this)` under the state lock, so that the owning device can run one of the
    // steps below or touch the frame and effect state while a light thread runs Pass().
    template <class Action>
    decltype(auto) WithState(Action&& action) {
        std::lock_guard lock(stateMutex_);
        return action(*this);
    }

    // Direct access for the owning device and for tests; not guarded against a running Pass().
    LightFrame& Frame() { return frame_; }
    const LightFrame& Frame() const { return frame_; }
    EffectState& State() { return state_; }
    const EffectState& State() const { return state_; }
    int LedCount() const { return frame_.size; }
    LightingModuleState& Module() { return *module_; }

  protected:
    // Tells the input hook that the next passes may draw something new.
    void NotifyInput() const;

    // Runs the step of settings_.effectId (the state lock is held).
    virtual void RunCurrentStep();
    // Called with the state lock held when settings arrive; `before` are the old ones. A new
    // effect id (or an effect that restarts on every apply) runs the effect's start-up.
    virtual void OnSettingsApplied(const LightSettings& before);
    // Puts a start-up in place; the base does the fade restart of the small devices and
    // nothing for start-ups that are not its own.
    virtual void RunStartUp(StartUp startUp);

    void SetLed(int led, Rgb colour, std::uint8_t level);
    void SetLedLevel(int led, std::uint8_t level);
    void SetAll(Rgb colour, std::uint8_t level);
    std::uint8_t Full() const;
    std::uint8_t Scale(int x) const { return static_cast<std::uint8_t>(Full() * x >> 8); }
    Rgb LedColour(int led) const;
    std::uint32_t Now() { return ticks_->NowMs(); }
    std::uint8_t RandomMod(std::uint32_t n) {
        return static_cast<std::uint8_t>(random_->Next() % n);
    }
    int SpeedIndex() const { return settings_.speed > 4 ? 4 : settings_.speed; }

    LightSettings settings_;
    EffectState state_;
    LightFrame frame_;
    mutable std::mutex stateMutex_;  // settings, effect state and frame

  private:
    void DrawPlayerEntry(const TimedEffectEntry& entry, bool advance);

    TickSource* ticks_;
    RandomSource* random_;
    LightingModuleState* module_;
    StepTicker ticker_;
    FrameExchange exchange_;

    std::mutex listMutex_;
    std::array<LedEffectRecord, kMaxLeds> overlays_{};
    int overlayCount_ = 0;

    mutable std::mutex hookMutex_;
    std::function<void()> inputHook_;

    mutable std::mutex timedMutex_;
    std::vector<TimedEffectEntry> timed_;
    std::size_t position_ = 0;
    std::uint32_t entryStartMs_ = 0;
    // Drawing state of the player.
    std::uint8_t playerPhase_ = 0;
    std::uint8_t playerIndex_ = 0;
    std::uint8_t playerBlinkOn_ = 0;
    std::uint32_t playerToggleMs_ = 0;
};

}  // namespace qx::lighting
