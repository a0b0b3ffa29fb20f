// The moving parts of a device's effects, kept between steps.
#pragma once

#include <array>
#include <cstdint>

#include "lighting/lighting_tables.h"

namespace qx::lighting {

// Four wave fronts, one byte per grid column (bit n = grid row n; bits 6 and 7 are virtual rows
// below the last key row), and the step counter of the effects that move them.
struct SpreadMasks {
    std::array<std::uint8_t, kGridColumns> a{};  // moves up-left
    std::array<std::uint8_t, kGridColumns> b{};  // up-right
    std::array<std::uint8_t, kGridColumns> c{};  // down-right
    std::array<std::uint8_t, kGridColumns> d{};  // down-left
    std::uint8_t stepCounter = 0;

    std::uint8_t UnionAt(int column) const { return a[column] | b[column] | c[column] | d[column]; }
    void SetBit(int column, int row);  // in all four
    void DiamondAdvance();
    void LineAdvance();
    bool Empty() const;
    void Clear() { *this = SpreadMasks{}; }
};

// Seeds the masks at the first grid cell holding the LED (columns 0-22, rows 0-5 within a
// column); an LED without a cell is ignored.
void SeedMasks(SpreadMasks& masks, int led);

struct EffectState {
    std::uint8_t phase = 0;
    std::uint8_t phase2 = 0;
    std::uint8_t blinkOn = 0;
    std::uint32_t lastToggleMs = 0;

    std::array<std::uint8_t, kMaxLeds> level{};     // L, also the fade counters of the base steps
    std::array<std::uint8_t, kMaxLeds> hue{};       // H, an index into the colour wheel
    std::array<std::uint8_t, kMaxLeds> timer{};     // T
    std::array<std::uint8_t, kMaxLeds> keyState{};  // S: 0 idle, 1 rising, 2 falling
    std::array<std::uint8_t, kMaxLeds> pressed{};   // P
    SpreadMasks masks;

    std::uint8_t scriptState = 0;  // effect 13
    std::uint8_t endIndex = 132;   // effect 13
    std::uint8_t sweepState = 0;   // effect 43 (X)

    std::array<std::uint8_t, kGridColumns> ring{};  // the base class's 23-byte ring
    std::uint8_t sweepParity = 0;                   // "every second step" of the pad sweeps

    // The mouse's press state per LED (reactive).
    std::array<std::uint8_t, kMaxLeds> pressPhase{};
    std::array<std::uint8_t, kMaxLeds> pressLevel{};
    std::array<std::uint8_t, kMaxLeds> pressHue{};
};

}  // namespace qx::lighting
