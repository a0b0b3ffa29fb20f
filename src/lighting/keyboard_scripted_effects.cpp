// The keyboard's effects that run a script or move wave fronts over the KeyGrid.
#include "lighting/keyboard_lighting.h"

namespace qx::lighting {

namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

void KeyboardLighting::StepScriptedShow() {
    auto& L = state_.level;
    std::uint8_t& q = state_.phase2;
    std::uint8_t& end = state_.endIndex;
    auto decayAll = [&] {
        for (int led = 0; led < kMaxLeds; ++led) StepDecay(led, 13);
    };
    auto setRing = [&](int ring, auto&& level) {
        for (const std::uint8_t led : kRings[ring]) {
            if (led < kNoLed) L[led] = level(L[led]);
        }
    };
    auto setDrop = [&](int place, std::uint8_t level) {
        if (place >= kDropSequenceSize) return;
        const int led = kDropSequence[place];
        if (led < kNoLed) L[led] = level;
    };

    switch (state_.scriptState) {
        case 0:
            decayAll();
            setDrop(q, 254);
            q = Byte(q + 1);
            if (q >= end) {
                q = 0;
                const std::uint8_t was = end;
                end = Byte(end >= 22 ? end - 22 : 0);
                if (was <= 22) {
                    q = 132;
                    state_.scriptState = 1;
                }
            }
            for (int place = end; place < kDropSequenceSize; ++place) setDrop(place, 255);
            break;
        case 1:
            if (q > 0) {
                q = Byte(q - 1);
                setDrop(q, 0);
            } else {
                state_.scriptState = 2;
                q = 12;
            }
            break;
        case 2:
            decayAll();
            if (q > 0) {
                q = Byte(q - 1);
                setRing(q, [](std::uint8_t) { return std::uint8_t{254}; });
            } else if (L[51] == 0) {
                state_.scriptState = 3;
                q = 0;
                end = 0;
            }
            break;
        case 3: {
            const std::uint8_t level = kBreathCurve[q & 127];
            setRing(0, [&](std::uint8_t) { return level; });
            setRing(1, [&](std::uint8_t) { return level; });
            q = Byte(q + 1);
            if (q >= 128) {
                q = 0;
                end = Byte(end + 1);
                if (end >= 3) {
                    state_.scriptState = 4;
                    end = 0;
                }
            }
            break;
        }
        case 4:
            setRing(0, [](std::uint8_t l) { return Byte(255 - l); });
            setRing(1, [](std::uint8_t l) { return Byte(255 - l); });
            end = Byte(end + 1);
            if (end > 9) {
                state_.scriptState = 5;
                q = 0;
            }
            break;
        case 5:
            SeedMasks(state_.masks, 51);
            state_.scriptState = 6;
            break;
        default:
            decayAll();
            MarkMasks();
            state_.masks.DiamondAdvance();
            q = Byte(q + 1);
            if (q >= 21) {
                state_.scriptState = 0;
                end = 132;
                q = 0;
            }
            break;
    }
    for (const std::uint8_t led : kLedOrder) {
        if (led < kNoLed) SetLed(led, settings_.colour, Scale(L[led]));
    }
}

void KeyboardLighting::StepRisingRipple() {
    SpreadMasks& m = state_.masks;
    const std::uint8_t bits = m.UnionAt(9);
    if (bits == 0x01) m.SetBit(9, 0);
    if (bits == 0x40) m.SetBit(9, 6);
    if (m.stepCounter > 1) {
        m.stepCounter = 0;
        MarkMasks();
        m.DiamondAdvance();
    }
    m.stepCounter = Byte(m.stepCounter + 1);
    ShowLevels(settings_.effectId);
}

void KeyboardLighting::StepEdgeRipple() {
    SpreadMasks& m = state_.masks;
    if (m.UnionAt(1) == 0x01) m.SetBit(1, 0);
    if (m.UnionAt(22) == 0x40) m.SetBit(22, 6);
    MarkMasks();
    m.DiamondAdvance();
    ShowLedOrder(settings_.effectId);
}

void KeyboardLighting::StepScriptedSweep() {
    auto& L = state_.level;
    auto lightUp = [&](int led) {
        if (led >= kNoLed) return;
        L[led] = 255;
        if (settings_.colourful != 0) state_.hue[led] = RandomMod(192);
    };
    switch (state_.sweepState) {
        case 0:
            for (const std::uint8_t led : kStartLines[state_.phase % kStartLineCount]) lightUp(led);
            state_.phase = Byte(state_.phase + 1);
            if (state_.phase > 19) {
                state_.phase = 0;
                state_.sweepState = 1;
            }
            break;
        case 1:
            if (state_.phase <= 30) {
                for (const std::uint8_t led : kSweepPairs[state_.phase % kPairCount]) lightUp(led);
                state_.phase = Byte(state_.phase + 1);
            } else if (L[72] == 0) {
                state_.sweepState = 2;
                state_.phase = 0;
            }
            break;
        case 2:
            SeedMasks(state_.masks, 52);
            state_.sweepState = 3;
            break;
        case 3:
            MarkMasks();
            state_.masks.DiamondAdvance();
            // LED 124 has no place in the KeyGrid, so the fronts never light it; the sweep also
            // moves on once the fronts have left the grid, instead of stopping here for good.
            if (L[124] != 0 || state_.masks.Empty()) state_.sweepState = 4;
            break;
        default:
            if (L[124] == 0) {
                state_.sweepState = 0;
                state_.phase = 0;
            }
            break;
    }
    ShowLevels(settings_.effectId);
}

}  // namespace qx::lighting
