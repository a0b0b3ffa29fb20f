// The effect catalogue: one table per device family of the effects its engine runs, in the order
// of the family's effect list (an effect's id is its position there). The engines step, pace,
// start and feed their effects from these rows; the command-line tool and the lighting panel
// list them from here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qx::lighting {

class LightingEngine;

// Other: a device kind without effects of its own; its table is empty, so every id plays the
// effect list.
enum class EffectFamily : std::uint8_t { Keyboard, Mouse, Pad, Headset, Other };

// The families with effects, as the lighting panel and the command-line tool offer them.
inline constexpr EffectFamily kEffectFamilies[] = {EffectFamily::Keyboard, EffectFamily::Mouse,
                                                   EffectFamily::Pad, EffectFamily::Headset};

// How often a step is due.
enum class StepPace : std::uint8_t {
    EveryPass,   // the effect-list player: runs on every pass of the light thread
    SpeedTable,  // kSpeedTable[speedRow][speed index] ticks
    Fixed,       // speedRow ticks whatever the speed
    Preview,     // kPreviewThresholds[speed index] ticks
    MouseSweep,  // kMouseSweepThresholds[speed index] ticks
};

// What the engine puts in place when the effect is chosen.
enum class StartUp : std::uint8_t {
    // keyboard: the effect state is cleared first, then
    SpacedColours,    // H[i] = 33 * (i + 1) mod 192
    ScriptedShow,     // state 0, end index 132, phases 0
    SeedColumn9,      // bit 6 of column 9 set in the spread masks
    ColumnStart,      // levels and hues from the column start table
    StaggeredPhases,  // the module-wide pulse phases
    StaggeredTimers,  // timers and hues per grid cell
    CustomColours,    // the custom colours loaded into the frame
    SeedColumn1,      // bit 0 of column 1 set in the spread masks
    // mouse, pad, headset
    FadeRestart,  // fade counters and ring cleared, the ring's first byte set
    None,         // nothing changes
};

// How the effect answers a key (keyboard) or button (mouse) event.
enum class KeyReaction : std::uint8_t {
    None,
    Glow,   // the key and its neighbours rise and fall with the key
    Flash,  // the key lights with a new colour on key-down and key-up
    Seed,   // a key-down seeds the spread masks
    Press,  // a button press lights every LED with a new colour
};

// The host-fed data an effect draws.
enum class EffectFeed : std::uint8_t {
    None,
    SoundLevels,  // the 25 sound levels, drawn in the chosen sound style
    HostColour,   // the colour given by the host-fed band values
};

// A step of an effect, run on the engine of the row's family.
using EffectStep = void (*)(LightingEngine&);

struct EffectInfo {
    int id = 0;
    std::string_view nameKey;  // language-text key of the name the panel shows
    EffectStep step = nullptr;
    StepPace pace = StepPace::EveryPass;
    int speedRow = -1;  // the kSpeedTable row (SpeedTable) or the tick count (Fixed); else -1
    StartUp startUp = StartUp::SpacedColours;
    bool restartOnApply = false;  // the start-up runs on every apply, not only on a new id
    KeyReaction keys = KeyReaction::None;
    EffectFeed feed = EffectFeed::None;
};

std::string_view FamilyName(EffectFamily family);  // "keyboard", "mouse", "pad", "headset", "other"
std::optional<EffectFamily> FamilyFromName(std::string_view name);

// A family's effects in the order of its effect list (ascending ids).
std::span<const EffectInfo> Effects(EffectFamily family);
// The family's row of an effect id; null when the family has no such effect.
const EffectInfo* FindEffect(EffectFamily family, int id);
// The row an engine of the family runs for an id: its own, or for an id the family does not
// know, the family's effect-list player row (id -1; every LED off while the list is empty).
const EffectInfo& EffectOrPlayer(EffectFamily family, int id);

// Ticks between two steps at a speed index (clamped to 0-4); -1 for an effect that runs on
// every pass.
int StepThresholdOf(const EffectInfo& effect, int speedIndex);

}  // namespace qx::lighting
