// The constant tables of the lighting engine: brightness, key grid, colour wheel, step rates,
// level curves, fixed colours, timing and the LED position tables of the keyboard's effects.
#pragma once

#include <array>
#include <cstdint>

namespace qx::lighting {

inline constexpr int kMaxLeds = 170;          // LED positions of a frame, 0 to 169
inline constexpr std::uint8_t kNoLed = 170;   // "no LED" in the grid and the position tables
inline constexpr std::uint8_t kNoLine = 255;  // "no LED" in the start lines and column start
inline constexpr int kGridColumns = 23;
inline constexpr int kGridRows = 6;

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Level 0-4 to the full level of an LED.
extern const std::array<std::uint8_t, 5> kBrightnessTable;

// kKeyGrid[column][row]: the LED at that key place, kNoLed where there is none. A wide key
// stands in two cells.
extern const std::array<std::array<std::uint8_t, kGridRows>, kGridColumns> kKeyGrid;

// 192 hue steps, then entries 0-63 again so that an index up to 255 reads without wrapping.
extern const std::array<Rgb, 256> kColourWheel;

// Ticks between two steps per effect id and speed index (only the first five of a row are read).
inline constexpr int kSpeedTableRows = 46;
extern const std::array<std::array<std::uint8_t, 15>, kSpeedTableRows> kSpeedTable;

extern const std::array<std::uint8_t, 64> kLevelRamp;
extern const std::array<std::uint8_t, 128> kBreathCurve;
extern const std::array<std::uint8_t, 96> kWaveCurve;
extern const std::array<std::uint8_t, 112> kPulseCurve112;
extern const std::array<std::uint8_t, 192> kSparkCurve;
extern const std::array<std::uint8_t, 24> kColumnFade;
extern const std::array<std::uint8_t, 24> kRowFade;

extern const std::array<Rgb, 4> kFourColours;
inline constexpr Rgb kRingsPulseColour{0, 180, 255};

// Indexed by the speed index (or an overlay record's speed).
extern const std::array<std::uint8_t, 5> kBlinkInterval;         // x 200 ms
extern const std::array<std::uint8_t, 5> kOverlayBlinkInterval;  // x 200 ms
extern const std::array<std::uint8_t, 5> kOverlayCyclePeriod;    // steps
inline constexpr std::uint32_t kBlinkUnitMs = 200;

// Position tables (laid out for the keyboard's KeyGrid; see position_tables.cpp).
inline constexpr int kLedOrderSize = 126;
inline constexpr int kRingCount = 12;
inline constexpr int kRingSize = 12;
inline constexpr int kFillSequenceSize = 170;
inline constexpr int kDropSequenceSize = 132;
inline constexpr int kStartLineCount = 20;
inline constexpr int kPairCount = 16;
inline constexpr int kRainShuffleSize = 170;
inline constexpr int kRainLedCount = 111;
inline constexpr int kColumnStartLevelCount = kGridColumns * 6 + 1;

extern const std::array<std::uint8_t, kLedOrderSize> kLedOrder;
extern const std::array<std::array<std::uint8_t, kRingSize>, kRingCount> kRings;
extern const std::array<std::uint8_t, kFillSequenceSize> kFillSequence;
extern const std::array<std::uint8_t, kDropSequenceSize> kDropSequence;
extern const std::array<std::array<std::uint8_t, 6>, kStartLineCount> kStartLines;
extern const std::array<std::array<std::uint8_t, 2>, kPairCount> kSweepPairs;
extern const std::array<std::uint8_t, kRainShuffleSize> kRainShuffle;
extern const std::array<std::uint8_t, kRainLedCount> kRainLeds;
extern const std::array<std::array<std::uint8_t, 7>, kGridColumns> kColumnStart;
extern const std::array<std::uint8_t, kColumnStartLevelCount> kColumnStartLevels;

// Preview devices (mouse, mouse pad, headset).
inline constexpr int kMouseGroupCount = 7;
extern const std::array<std::array<std::int8_t, 3>, kMouseGroupCount> kMouseLedGroups;  // -1 none
inline constexpr int kPadPairCount = 7;
extern const std::array<std::array<std::uint8_t, 2>, kPadPairCount> kPadLedPairs;
extern const std::array<std::uint8_t, 5> kPreviewThresholds;     // ticks per step, speed 0-4
extern const std::array<std::uint8_t, 5> kMouseSweepThresholds;  // the mouse's group sweep

// Synchronised lighting: five rows of 15, one per synchronised effect.
extern const std::array<std::array<std::uint8_t, 15>, 5> kSyncSpeedTable;

}  // namespace qx::lighting
