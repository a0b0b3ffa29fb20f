#include "lighting/keyboard_lighting.h"

#include <algorithm>

namespace qx::lighting {

namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

struct Neighbour {
    int dc;
    int dr;
    int raise;  // on key-down
    int lower;  // on key-up
};

// The neighbourhood of a key in effect 8.
constexpr std::array<Neighbour, 12> kNeighbours = {{
    {0, -1, 150, 15},
    {0, 1, 150, 15},
    {-1, 0, 150, 15},
    {1, 0, 150, 15},
    {0, -2, 90, 90},
    {0, 2, 90, 90},
    {-1, -1, 90, 90},
    {1, -1, 90, 90},
    {-1, 1, 90, 90},
    {1, 1, 90, 90},
    {-2, 0, 60, 90},
    {2, 0, 60, 90},
}};

bool FindCell(int led, int& col, int& row) {
    for (int c = 0; c < kGridColumns; ++c) {
        for (int r = 0; r < kGridRows; ++r) {
            if (kKeyGrid[c][r] == led) {
                col = c;
                row = r;
                return true;
            }
        }
    }
    return false;
}

int CellLed(int col, int row) {
    if (col < 0 || col >= kGridColumns || row < 0 || row >= kGridRows) return kNoLed;
    return kKeyGrid[col][row];
}

}  // namespace

std::optional<KeyEvent> KeyEventFromNotification(std::uint16_t code) {
    const int high = code >> 8;
    if (high == 0x05) return KeyEvent{Byte(code & 0xFF), kKeyDown};
    if (high == 0x06) return KeyEvent{Byte(code & 0xFF), kKeyUp};
    return std::nullopt;
}

bool KeyboardEffectHasStep(int id) {
    const EffectInfo* effect = FindEffect(EffectFamily::Keyboard, id);
    return effect != nullptr && effect->pace != StepPace::EveryPass;
}

int KeyboardStepThreshold(int id, int speedIndex) {
    return StepThresholdOf(EffectOrPlayer(EffectFamily::Keyboard, id), speedIndex);
}

KeyboardLighting::KeyboardLighting(EngineSources sources, int ledCount)
    : LightingEngine(ledCount, sources) {
    keyToLed_.fill(255);
    for (int k = 0; k < kMaxLeds; ++k) keyToLed_[k] = Byte(k);
}

void KeyboardLighting::ResetEffectState() {
    state_.phase = 0;
    state_.masks.Clear();
    state_.level = {};
    state_.hue = {};
    state_.keyState = {};
    // A key still held when the effect changed would otherwise keep effect 8's neighbours lit
    // for good, and a sweep would resume in the middle of its script.
    state_.pressed = {};
    state_.sweepState = 0;
}

void KeyboardLighting::RunStartUp(StartUp startUp) {
    ResetEffectState();
    switch (startUp) {
        case StartUp::ScriptedShow:
            state_.scriptState = 0;
            state_.endIndex = 132;
            state_.phase = 0;
            state_.phase2 = 0;
            break;
        case StartUp::SeedColumn9:
            state_.masks.SetBit(9, 6);
            break;
        case StartUp::ColumnStart:
            StartColumnStart();
            break;
        case StartUp::StaggeredPhases:
            StartStaggeredPhases();
            break;
        case StartUp::StaggeredTimers:
            StartStaggeredTimers();
            break;
        case StartUp::CustomColours:
            StartCustomColours();
            break;
        case StartUp::SeedColumn1:
            state_.masks.SetBit(1, 0);
            break;
        case StartUp::SpacedColours:
        case StartUp::FadeRestart:  // not keyboard start-ups: the keyboard's usual one
        case StartUp::None:
            for (int i = 0; i < kMaxLeds; ++i) state_.hue[i] = Byte(33 * (i + 1) % 192);
            break;
    }
}

void KeyboardLighting::StartColumnStart() {
    for (int c = 0; c < kGridColumns; ++c) {
        for (int e = 0; e < 7; ++e) {
            const int led = kColumnStart[c][e];
            if (led >= kNoLed) continue;
            state_.level[led] = kColumnStartLevels[c * 6 + e];
            state_.hue[led] = Byte(7 * c);
        }
    }
}

void KeyboardLighting::StartStaggeredPhases() {
    std::lock_guard lock(Module().mutex);
    int v = 0;
    for (int i = 0; i < kLedOrderSize; ++i) {
        v += 7;
        if (v >= 112) v -= 112;
        const int led = kLedOrder[kRainShuffle[i]];
        if (led < kNoLed) Module().staggeredPhase[led] = Byte(v);
    }
}

void KeyboardLighting::StartStaggeredTimers() {
    for (int c = 0; c < kGridColumns; ++c) {
        int a = 192 - 8 * c;
        for (int r = 0; r < kGridRows; ++r) {
            a = ((a - 35) % 192 + 192) % 192;
            const int led = kKeyGrid[c][r];
            if (led >= kNoLed) continue;
            state_.timer[led] = Byte(a);
            state_.hue[led] = Byte(6 * c);
        }
    }
}

void KeyboardLighting::StartCustomColours() {
    for (int i = 0; i < customCount_ && i < frame_.size; ++i) {
        SetLed(i, customColours_[i].colour, frame_.leds[i].level);
        frame_.leds[i].custom = customColours_[i].custom;
    }
}

void KeyboardLighting::SetCustomColours(std::span<const CustomColour> colours) {
    std::lock_guard lock(stateMutex_);
    customCount_ = static_cast<int>(std::min<std::size_t>(colours.size(), kMaxLeds));
    std::copy_n(colours.begin(), customCount_, customColours_.begin());
    NotifyInput();
}

void KeyboardLighting::SetCustomColour(int led) {
    std::lock_guard lock(stateMutex_);
    if (CurrentEffect().startUp != StartUp::CustomColours || led < 0 || led >= frame_.size) return;
    SetLed(led, settings_.colour, frame_.leds[led].level);
    frame_.leds[led].custom = 1;
    customColours_[led] = {settings_.colour, 1};
    customCount_ = std::max(customCount_, led + 1);
    NotifyInput();
}

// --- key events

void KeyboardLighting::SetKeyToLedTable(const std::array<std::uint8_t, 256>& table) {
    std::lock_guard lock(stateMutex_);
    keyToLed_ = table;
}

void KeyboardLighting::OnKeyEvent(std::uint8_t keyCode, int kind) {
    int led = kNoLed;
    {
        std::lock_guard lock(stateMutex_);
        led = keyToLed_[keyCode];
    }
    if (led < kMaxLeds) OnLedKeyEvent(led, kind);
}

void KeyboardLighting::OnLedKeyEvent(int led, int kind) {
    if (led < 0 || led >= kMaxLeds || (kind != kKeyDown && kind != kKeyUp)) return;
    std::lock_guard lock(stateMutex_);
    auto& L = state_.level;
    auto& S = state_.keyState;
    auto& P = state_.pressed;
    switch (CurrentEffect().keys) {
        case KeyReaction::Seed:
            if (kind == kKeyDown) SeedMasks(state_.masks, led);
            break;
        case KeyReaction::Flash:
            S[led] = Byte(kind);
            L[led] = 255;
            state_.hue[led] = RandomMod(192);
            break;
        case KeyReaction::Glow: {
            int col = 0;
            int row = 0;
            const bool inGrid = FindCell(led, col, row);
            if (kind == kKeyDown) {
                S[led] = 1;
                P[led] = 1;
                L[led] = 255;
                if (!inGrid) break;
                for (const Neighbour& n : kNeighbours) {
                    const int m = CellLed(col + n.dc, row + n.dr);
                    if (m >= kNoLed || m == led) continue;
                    S[m] = 1;
                    L[m] = Byte(std::min(L[m] + n.raise, 255));
                }
                break;
            }
            P[led] = 0;
            // Whether an LED has a held key (other than the released one) among its neighbours,
            // or is held itself.
            auto nextToHeld = [&](int target) {
                if (target != led && P[target] != 0) return true;
                int tc = 0;
                int tr = 0;
                if (!FindCell(target, tc, tr)) return false;
                for (const Neighbour& n : kNeighbours) {
                    const int m = CellLed(tc + n.dc, tr + n.dr);
                    if (m < kNoLed && m != led && m != target && P[m] != 0) return true;
                }
                return false;
            };
            if (inGrid) {
                for (const Neighbour& n : kNeighbours) {
                    const int m = CellLed(col + n.dc, row + n.dr);
                    if (m >= kNoLed || m == led || nextToHeld(m)) continue;
                    S[m] = 2;
                    L[m] = L[m] <= n.lower - 1 ? std::uint8_t{0} : Byte(L[m] - n.lower);
                }
            }
            if (!nextToHeld(led)) S[led] = 2;
            break;
        }
        case KeyReaction::None:
        case KeyReaction::Press:
            break;
    }
    NotifyInput();
}

// --- feeds

void KeyboardLighting::SetAudioLightSettings(const AudioLightSettings& audio) {
    std::lock_guard lock(stateMutex_);
    audio_ = audio;
    NotifyInput();
}

void KeyboardLighting::FeedAudioLevels(std::span<const std::int32_t> levels) {
    std::lock_guard lock(stateMutex_);
    levels_ = {};
    std::copy_n(levels.begin(), std::min<std::size_t>(levels.size(), kSoundLevelCount),
                levels_.begin());
    if (CurrentEffect().feed == EffectFeed::SoundLevels && audio_.style == 2) {
        const auto fed = levels_;
        levels_ = {};
        DetectBeat(fed);
    }
    NotifyInput();
}

void KeyboardLighting::FeedAudioBands(std::span<const std::int32_t> values) {
    std::lock_guard lock(stateMutex_);
    std::copy_n(values.begin(), std::min<std::size_t>(values.size(), kBandValueCount),
                bands_.begin());
    NotifyInput();
}

// --- shared drawing

void KeyboardLighting::MarkMasks() {
    for (int c = 0; c < kGridColumns; ++c) {
        const std::uint8_t bits = state_.masks.UnionAt(c);
        for (int r = 0; r < kGridRows; ++r) {
            if ((bits >> r & 1) == 0) continue;
            const int led = kKeyGrid[c][r];
            if (led >= kNoLed) continue;
            state_.level[led] = 255;
            if (settings_.colourful != 0) state_.hue[led] = RandomMod(192);
        }
    }
}

void KeyboardLighting::ShowLevels(int profileForDecay) {
    for (int led = 0; led < kMaxLeds; ++led) {
        if (profileForDecay >= 0) StepDecay(led, profileForDecay);
        SetLed(led, LedColour(led), Scale(state_.level[led]));
    }
}

void KeyboardLighting::ShowLedOrder(int profileForDecay) {
    for (const std::uint8_t led : kLedOrder) {
        if (led >= kNoLed) continue;
        if (profileForDecay >= 0) StepDecay(led, profileForDecay);
        SetLed(led, LedColour(led), Scale(state_.level[led]));
    }
}

}  // namespace qx::lighting
