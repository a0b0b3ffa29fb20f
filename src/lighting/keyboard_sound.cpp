// Effect 29: the seven sound styles drawn from the fed band levels, and the beat detection.
#include <algorithm>

#include "lighting/keyboard_lighting.h"
#include "lighting/step_phase.h"

namespace qx::lighting {

namespace {

using Levels = std::array<std::int32_t, kSoundLevelCount>;

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

// Headroom of a level: 600 in silence, 0 at 2000, negative above. Levels far beyond loud (any
// block a program sends can give them) draw as a million does, so that the bars' arithmetic
// stays within an int.
int Headroom(std::int64_t x) {
    constexpr std::int64_t kLimit = 1'000'000;
    return static_cast<int>(600 - std::clamp(x, -kLimit, kLimit) * 600 / 2000);
}
// The same, with a negative headroom counted as 500 (styles 1, 3, 5, 6 and the beat).
int HeadroomFloored(std::int64_t x) {
    const int v = Headroom(x);
    return v < 0 ? 500 : v;
}

int MeanHeadroom(const Levels& levels) {
    std::int64_t sum = 0;
    for (const std::int32_t x : levels) sum += HeadroomFloored(x);
    return static_cast<int>(sum / kSoundLevelCount);
}

// Sums of consecutive levels divided by 3, one per group of the given sizes.
template <std::size_t N>
std::array<std::int64_t, N> GroupSums(const Levels& levels, const std::array<int, N>& sizes) {
    std::array<std::int64_t, N> sums{};
    int at = 0;
    for (std::size_t g = 0; g < N; ++g) {
        std::int64_t sum = 0;
        for (int i = 0; i < sizes[g]; ++i) sum += levels[at++];
        sums[g] = sum / 3;
    }
    return sums;
}

int GridLed(int col, int row) {
    if (col < 0 || col >= kGridColumns || row < 0 || row >= kGridRows) return kNoLed;
    return kKeyGrid[col][row];
}

}  // namespace

void KeyboardLighting::StepSound() {
    const Levels levels = levels_;
    levels_ = {};
    switch (audio_.style) {
        case 0:
            SoundVerticalBars(levels);
            break;
        case 1:
            SoundCentreBars(levels);
            break;
        case 2:
            SoundBeatRipple();
            break;
        case 3:
            SoundRings(levels);
            break;
        case 4:
            SoundFallingBars(levels);
            break;
        case 5:
            SoundRowBars(levels);
            break;
        case 6:
            SoundAlternatingBars(levels);
            break;
        default:
            break;
    }
}

void KeyboardLighting::DetectBeat(const Levels& fed) {
    const int beat = 25 - MeanHeadroom(fed) * 25 / 600;
    bool seed = false;
    {
        std::lock_guard lock(Module().mutex);
        Module().beatAccumulator += beat;
        if (Module().beatAccumulator > 70) {
            Module().beatAccumulator = 0;
            seed = true;
        }
    }
    if (seed) SeedMasks(state_.masks, 51);
}

Rgb KeyboardLighting::Foreground(std::uint8_t hue) const {
    return audio_.foregroundColourful != 0 ? kColourWheel[hue] : audio_.foreground;
}

// One bar cell: the cell decays unless its leading neighbour is still lit, then shows lit,
// foreground by its level, or the background.
void KeyboardLighting::BarCell(int col, int row, bool lit, int leadCol, int leadRow,
                               std::uint8_t hue) {
    const int led = kKeyGrid[col][row];
    const int lead = GridLed(leadCol, leadRow);
    if (lead >= kNoLed || state_.level[lead] < 10) StepDecay(led, 29);
    if (lit) {
        state_.level[led] = 255;
        SetLed(led, Foreground(hue), Scale(255));
    } else if (state_.level[led] < 10) {
        SetLed(led, audio_.background, Full());
    } else {
        SetLed(led, Foreground(hue), Scale(state_.level[led]));
    }
}

void KeyboardLighting::SoundVerticalBars(const Levels& lv) {
    const std::uint8_t dir = settings_.direction;
    state_.phase = StepPhase(dir, 192, state_.phase, 1);
    SpreadMasks& m = state_.masks;
    if (m.stepCounter > 30) {
        m.stepCounter = 0;
        state_.phase2 = StepPhase(dir, 25, state_.phase2, 1);
    }
    m.stepCounter = Byte(m.stepCounter + 1);
    for (int c = 0; c < kGridColumns; ++c) {
        const int n = (Headroom(lv[c]) + 100) * 6 / 600;
        const auto hue = Byte((state_.phase + 10 * (c + 1)) % 192);
        for (int r = 0; r < kGridRows; ++r) {
            if (kKeyGrid[c][r] < kNoLed) BarCell(c, r, r >= n, c, r - 1, hue);
        }
    }
}

void KeyboardLighting::SoundCentreBars(const Levels& lv) {
    const std::uint8_t dir = settings_.direction;
    state_.phase = StepPhase(dir, 192, state_.phase, 1);
    state_.phase2 = StepPhase(dir, 25, state_.phase2, 1);
    for (int r = 0; r < kGridRows; ++r) {
        const int nLeft =
            (HeadroomFloored(lv[(state_.phase2 + 3 * (r + 1)) % 25]) + 100) * 12 / 600;
        const int nRight = (HeadroomFloored(lv[2 * r + 1]) + 100) * 12 / 600;
        for (int c = 0; c < kGridColumns; ++c) {
            if (kKeyGrid[c][r] >= kNoLed) continue;
            const auto hue = Byte((state_.phase + 7 * (c + 1)) % 192);
            if (c <= 8) {
                BarCell(c, r, c >= nLeft, c - 1, r, hue);
            } else {
                BarCell(c, r, c - 9 <= 12 - nRight, c >= 21 ? -1 : c + 1, r, hue);
            }
        }
    }
}

void KeyboardLighting::SoundBeatRipple() {
    MarkMasks();
    state_.masks.DiamondAdvance();
    for (int led = 0; led < kMaxLeds; ++led) {
        StepDecay(led, 29);
        state_.hue[led] = StepPhase(1, 192, state_.hue[led], 9);
        if (state_.level[led] < 10) {
            SetLed(led, audio_.background, Full());
        } else {
            SetLed(led, Foreground(state_.hue[led]), Scale(state_.level[led]));
        }
    }
}

void KeyboardLighting::SoundRings(const Levels& lv) {
    const int m = MeanHeadroom(lv) * 20 / 600;
    state_.phase = StepPhase(settings_.direction, 192, state_.phase, Byte(m));
    for (int i = 0; i < kRingCount; ++i) {
        const auto hue = Byte((state_.phase + 9 * (i + 1)) % 192);
        for (const std::uint8_t led : kRings[i]) {
            if (led >= kNoLed) continue;
            if (i < 20 - m) {
                state_.level[led] = 255;
                SetLed(led, kColourWheel[hue], Scale(255));
            } else {
                StepDecay(led, 0);
                SetLedLevel(led, Scale(state_.level[led]));
            }
        }
    }
}

void KeyboardLighting::SoundFallingBars(const Levels& lv) {
    state_.phase = StepPhase(settings_.direction, 192, state_.phase, 1);
    for (int c = 0; c < kGridColumns; ++c) {
        const int bottom = kKeyGrid[c][kGridRows - 1];
        if (bottom >= kNoLed) continue;  // a column without a bottom key is not drawn
        const int n = (Headroom(lv[(state_.phase2 + c + 1) % 25]) + 100) * 6 / 600;
        std::int32_t& latch = latches_[c];
        for (int r = 0; r < kGridRows; ++r) {
            if (latch != 0 && state_.level[bottom] < 10) latch = 0;
            const int led = kKeyGrid[c][r];
            if (led >= kNoLed) continue;
            const int lead = GridLed(c, r - 1);
            if (lead >= kNoLed || state_.level[lead] < 5) StepDecay(led, 29);
            if (state_.level[led] < 10) {
                SetLed(led, audio_.background, Full());
            } else {
                SetLed(led, Foreground(state_.hue[led]), Scale(state_.level[led]));
            }
            if (r >= n && latch == 0) {
                state_.level[led] = 255;
                latch = 1;
            }
        }
    }
}

void KeyboardLighting::SoundRowBars(const Levels& lv) {
    const auto sums = GroupSums<6>(lv, {2, 3, 3, 4, 5, 7});
    state_.phase = StepPhase(settings_.direction, 192, state_.phase, 1);
    for (int r = 0; r < kGridRows; ++r) {
        const int n = 23 - (HeadroomFloored(sums[5 - r]) + 100) * 23 / 600;
        for (int c = 0; c < kGridColumns; ++c) {
            if (kKeyGrid[c][r] >= kNoLed) continue;
            const auto hue = Byte((state_.phase + 3 * (c + 1)) % 192);
            BarCell(c, r, c <= n, c >= 21 ? -1 : c + 1, r, hue);
        }
    }
}

void KeyboardLighting::SoundAlternatingBars(const Levels& lv) {
    const auto sums = GroupSums<6>(lv, {2, 2, 3, 4, 5, 5});
    const std::uint8_t dir = settings_.direction;
    state_.phase = StepPhase(dir, 192, state_.phase, 1);
    state_.phase2 = StepPhase(dir, 25, state_.phase2, 1);
    for (int r = 0; r < kGridRows; ++r) {
        const int n = HeadroomFloored(sums[r]) * 23 / 600;
        const bool fromLeft = r % 2 == 1;
        std::uint8_t hue = state_.phase;
        for (int c = 0; c < kGridColumns; ++c) {
            const int led = kKeyGrid[c][r];
            if (led >= kNoLed) continue;
            const bool lit = fromLeft ? c <= 23 - n : c >= n;
            const int lead = fromLeft ? (c >= 21 ? kNoLed : GridLed(c + 1, r))
                                      : (c <= 1 ? kNoLed : GridLed(c - 1, r));
            if (lead >= kNoLed || state_.level[lead] < 10) StepDecay(led, 29);
            const bool foreground = lit || state_.level[led] >= 10;
            if (foreground && audio_.foregroundColourful != 0) hue = Byte((hue + 2) % 192);
            if (lit) {
                state_.level[led] = 255;
                SetLed(led, Foreground(hue), Scale(255));
            } else if (!foreground) {
                SetLed(led, audio_.background, Full());
            } else {
                SetLed(led, Foreground(hue), Scale(state_.level[led]));
            }
        }
    }
}

}  // namespace qx::lighting
