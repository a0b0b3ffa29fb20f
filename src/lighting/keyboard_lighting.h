// The keyboard's lighting engine: the effect catalogue over the 170 LEDs of the KeyGrid, the
// start-up of each effect, key events, the sound styles and the host-fed colour.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "lighting/lighting_engine.h"

namespace qx::lighting {

enum KeyEventKind : int { kKeyDown = 1, kKeyUp = 2 };

struct KeyEvent {
    std::uint8_t keyCode = 0;
    int kind = kKeyDown;
};

// The key event of a keyboard notification code: 0x05kk is a key-down of key code kk, 0x06kk a
// key-up; any other code is none.
std::optional<KeyEvent> KeyEventFromNotification(std::uint16_t code);

// A key's own colour in the custom-colour effect.
struct CustomColour {
    Rgb colour{};
    std::uint8_t custom = 0;
};

inline constexpr int kSoundLevelCount = 25;
inline constexpr int kBandValueCount = 6;

// True when the keyboard's catalogue has a step of its own for the effect id.
bool KeyboardEffectHasStep(int effectId);
// Ticks between steps of a keyboard effect at a speed index; -1 for the effect-list player.
int KeyboardStepThreshold(int effectId, int speedIndex);

class KeyboardLighting : public LightingEngine {
  public:
    // The keyboard has 170 LEDs; a smaller count limits the frame (effects write nothing beyond).
    explicit KeyboardLighting(EngineSources sources = {}, int ledCount = kMaxLeds);

    EffectFamily Family() const override { return EffectFamily::Keyboard; }

    // Key code (the device's key table position) to LED; 255 marks an unknown key. The default
    // maps code k to LED k for k below 170.
    void SetKeyToLedTable(const std::array<std::uint8_t, 256>& table);
    void OnKeyEvent(std::uint8_t keyCode, int kind);
    void OnLedKeyEvent(int led, int kind);  // the same, by LED index

    void SetAudioLightSettings(const AudioLightSettings& audio);
    void FeedAudioLevels(std::span<const std::int32_t> levels);
    void FeedAudioBands(std::span<const std::int32_t> values);

    // The custom colours that the custom-colour effect loads at its start-up (first 170 taken).
    void SetCustomColours(std::span<const CustomColour> colours);
    // Gives one LED the panel's colour and its custom flag, only in the custom-colour effect.
    void SetCustomColour(int led);

    // --- state changes named by the catalogue
    void ResetEffectState();
    // Clears the effect state (ResetEffectState) and puts the start-up in place.
    void RunStartUp(StartUp startUp) override;

    // --- the steps of the catalogue (effect_catalogue.cpp says which id runs which)
    void StepColumnWave();
    void StepColumnPulse();
    void StepRingsPulse();
    void StepSnakeWave();
    void StepStatic() override;
    void StepBreathing() override;
    void StepColumnFade();
    void StepNeighbourhoodGlow();
    void StepRipple();
    void StepSingleKeyFlash();
    void StepScriptedShow();
    void StepRisingRipple();
    void StepTwinkle();
    void StepRain();
    void StepStaggeredPulse();
    void StepRowFadeWave();
    void StepSparkField();
    void StepCustomColours();
    void StepEdgeRipple();
    void StepBlink() override;
    void StepFill();
    void StepFourColourBlink() override;
    void StepSound();
    void StepExternalColour();
    void StepRowWave();
    void StepColourDrift();
    void StepScriptedSweep();
    void StepLineRipple();
    void StepPresetColour();

    // SpreadMasks mark: every cell of a set bit gets L = 255 (and a random H when colourful).
    void MarkMasks();

    const std::array<std::int32_t, kSoundLevelCount>& SoundLevels() const { return levels_; }
    const std::array<std::int32_t, kGridColumns>& ColumnLatches() const { return latches_; }

  private:
    void StartColumnStart();
    void StartStaggeredPhases();
    void StartStaggeredTimers();
    void StartCustomColours();
    void ShowLevels(int profileForDecay);  // StepDecay (when >= 0) and draw, LEDs 0-169
    void ShowLedOrder(int profileForDecay);
    void GlowOrFlash();
    void DetectBeat(const std::array<std::int32_t, kSoundLevelCount>& fed);

    // sound styles
    void SoundVerticalBars(const std::array<std::int32_t, kSoundLevelCount>& lv);
    void SoundCentreBars(const std::array<std::int32_t, kSoundLevelCount>& lv);
    void SoundBeatRipple();
    void SoundRings(const std::array<std::int32_t, kSoundLevelCount>& lv);
    void SoundFallingBars(const std::array<std::int32_t, kSoundLevelCount>& lv);
    void SoundRowBars(const std::array<std::int32_t, kSoundLevelCount>& lv);
    void SoundAlternatingBars(const std::array<std::int32_t, kSoundLevelCount>& lv);
    Rgb Foreground(std::uint8_t hue) const;
    void BarCell(int col, int row, bool lit, int leadCol, int leadRow, std::uint8_t hue);

    std::array<std::uint8_t, 256> keyToLed_{};
    AudioLightSettings audio_;
    std::array<std::int32_t, kSoundLevelCount> levels_{};
    std::array<std::int32_t, kBandValueCount> bands_{};
    std::array<std::int32_t, kGridColumns> latches_{};
    std::array<CustomColour, kMaxLeds> customColours_{};
    int customCount_ = 0;
};

}  // namespace qx::lighting
