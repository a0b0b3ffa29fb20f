#include "lighting/effect_catalogue.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "lighting/keyboard_lighting.h"
#include "lighting/preview_lighting.h"

namespace qx::lighting {

namespace {

template <class Member>
struct MemberOwner;
template <class Engine>
struct MemberOwner<void (Engine::*)()> {
    using Type = Engine;
};

// The step of a row: calls the member on the engine of the member's own class. A family's table
// is read only by that family's engine, so the engine is always of that class.
template <auto Member>
void Run(LightingEngine& engine) {
    using Engine = typename MemberOwner<decltype(Member)>::Type;
    static_assert(std::is_base_of_v<LightingEngine, Engine>);
    (static_cast<Engine&>(engine).*Member)();
}

using K = KeyboardLighting;
using E = LightingEngine;
using SP = StepPace;
using SU = StartUp;
using KR = KeyReaction;

constexpr EffectInfo kKeyboardPlayer{.id = -1,
                                     .nameKey = "light_effect_list",
                                     .step = &Run<&E::PlayEffectList>,
                                     .pace = SP::EveryPass,
                                     .startUp = SU::SpacedColours};

constexpr EffectInfo Keyboard(int id, std::string_view nameKey, EffectStep step, int speedRow,
                              StartUp startUp = SU::SpacedColours, KeyReaction keys = KR::None) {
    return {.id = id,
            .nameKey = nameKey,
            .step = step,
            .pace = SP::SpeedTable,
            .speedRow = speedRow,
            .startUp = startUp,
            .keys = keys};
}

constexpr std::array kKeyboardEffects = {
    EffectInfo{.id = 0, .nameKey = "light_effect_list", .step = &Run<&E::PlayEffectList>},
    Keyboard(1, "light_effect_column_wave", &Run<&K::StepColumnWave>, 1),
    Keyboard(2, "light_effect_column_pulse", &Run<&K::StepColumnPulse>, 2),
    Keyboard(3, "light_effect_rings_pulse", &Run<&K::StepRingsPulse>, 3),
    Keyboard(4, "light_effect_snake_wave", &Run<&K::StepSnakeWave>, 4),
    Keyboard(5, "light_effect_static", &Run<&K::StepStatic>, 5),
    Keyboard(6, "light_effect_breathing", &Run<&K::StepBreathing>, 6),
    Keyboard(7, "light_effect_column_fade", &Run<&K::StepColumnFade>, 7),
    Keyboard(8, "light_effect_neighbourhood_glow", &Run<&K::StepNeighbourhoodGlow>, 8,
             SU::SpacedColours, KR::Glow),
    Keyboard(9, "light_effect_ripple", &Run<&K::StepRipple>, 9, SU::SpacedColours, KR::Seed),
    Keyboard(10, "light_effect_single_key_flash", &Run<&K::StepSingleKeyFlash>, 10,
             SU::SpacedColours, KR::Flash),
    Keyboard(13, "light_effect_scripted_show", &Run<&K::StepScriptedShow>, 13, SU::ScriptedShow),
    Keyboard(14, "light_effect_rising_ripple", &Run<&K::StepRisingRipple>, 14, SU::SeedColumn9),
    Keyboard(15, "light_effect_twinkle", &Run<&K::StepTwinkle>, 15, SU::ColumnStart),
    Keyboard(16, "light_effect_auto_ripple", &Run<&K::StepRipple>, 16),
    Keyboard(17, "light_effect_rain", &Run<&K::StepRain>, 17),
    Keyboard(18, "light_effect_staggered_pulse", &Run<&K::StepStaggeredPulse>, 18,
             SU::StaggeredPhases),
    Keyboard(19, "light_effect_row_fade_wave", &Run<&K::StepRowFadeWave>, 19),
    Keyboard(20, "light_effect_spark_field", &Run<&K::StepSparkField>, 20, SU::StaggeredTimers),
    EffectInfo{.id = 21,
               .nameKey = "light_effect_custom",
               .step = &Run<&K::StepCustomColours>,
               .pace = SP::SpeedTable,
               .speedRow = 21,
               .startUp = SU::CustomColours,
               .restartOnApply = true},
    Keyboard(22, "light_effect_edge_ripple", &Run<&K::StepEdgeRipple>, 22, SU::SeedColumn1),
    Keyboard(23, "light_effect_blink", &Run<&K::StepBlink>, 23),
    Keyboard(24, "light_effect_fill", &Run<&K::StepFill>, 24),
    Keyboard(26, "light_effect_four_colour_breathing", &Run<&E::StepFourColourBreathing>, 6),
    Keyboard(27, "light_effect_four_colour_blink", &Run<&K::StepFourColourBlink>, 23),
    Keyboard(28, "light_effect_off", &Run<&E::StepOff>, 28),
    EffectInfo{.id = 29,
               .nameKey = "light_effect_sound",
               .step = &Run<&K::StepSound>,
               .pace = SP::Fixed,
               .speedRow = 2,
               .feed = EffectFeed::SoundLevels},
    EffectInfo{.id = 30,
               .nameKey = "light_effect_external_colour",
               .step = &Run<&K::StepExternalColour>,
               .pace = SP::SpeedTable,
               .speedRow = 30,
               .feed = EffectFeed::HostColour},
    Keyboard(40, "light_effect_colour_cycle", &Run<&E::StepColourCycle>, 40),
    Keyboard(41, "light_effect_row_wave", &Run<&K::StepRowWave>, 41),
    Keyboard(42, "light_effect_colour_drift", &Run<&K::StepColourDrift>, 42),
    Keyboard(43, "light_effect_scripted_sweep", &Run<&K::StepScriptedSweep>, 43),
    Keyboard(44, "light_effect_line_ripple", &Run<&K::StepLineRipple>, 44, SU::SpacedColours,
             KR::Seed),
    Keyboard(45, "light_effect_preset_colour", &Run<&K::StepPresetColour>, 45),
};

// The mouse, the pad and the headset restart their fades on every new effect.
constexpr EffectInfo kPreviewPlayer{.id = -1,
                                    .nameKey = "light_effect_list",
                                    .step = &Run<&E::PlayEffectList>,
                                    .pace = SP::EveryPass,
                                    .startUp = SU::FadeRestart};

constexpr EffectInfo Preview(int id, std::string_view nameKey, EffectStep step,
                             StepPace pace = SP::Preview, KeyReaction keys = KR::None) {
    return {.id = id,
            .nameKey = nameKey,
            .step = step,
            .pace = pace,
            .startUp = SU::FadeRestart,
            .keys = keys};
}

using M = MouseLighting;
using P = PadLighting;

constexpr std::array kMouseEffects = {
    Preview(0, "light_effect_wave", &Run<&M::StepWave>),
    Preview(1, "light_effect_colour_cycle", &Run<&E::StepColourCycle>),
    Preview(2, "light_effect_breathing", &Run<&E::StepBreathing>),
    Preview(3, "light_effect_static", &Run<&E::StepStatic>),
    Preview(4, "light_effect_blink", &Run<&E::StepBlink>),
    Preview(5, "light_effect_group_sweep", &Run<&M::StepGroupSweep>, SP::MouseSweep),
    Preview(6, "light_effect_reactive", &Run<&M::StepReactive>, SP::Preview, KR::Press),
    Preview(7, "light_effect_four_colour_breathing", &Run<&E::StepFourColourBreathing>),
    Preview(8, "light_effect_four_colour_blink", &Run<&E::StepFourColourBlink>),
    Preview(9, "light_effect_off", &Run<&E::StepOff>),
};

// The pad's and the headset's lists are alike; the headset draws its own wave (a virtual step).
constexpr std::array kPadEffects = {
    Preview(0, "light_effect_wave", &Run<&P::StepWave>),
    Preview(1, "light_effect_colour_cycle", &Run<&E::StepColourCycle>),
    Preview(2, "light_effect_breathing", &Run<&E::StepBreathing>),
    Preview(3, "light_effect_static", &Run<&E::StepStatic>),
    Preview(4, "light_effect_blink", &Run<&E::StepBlink>),
    Preview(5, "light_effect_list", &Run<&E::PlayEffectList>, SP::EveryPass),
    Preview(6, "light_effect_led_sweep", &Run<&P::StepLedSweep>),
    Preview(7, "light_effect_pair_sweep", &Run<&P::StepPairSweep>),
    Preview(8, "light_effect_off", &Run<&E::StepOff>),
};

constexpr std::array kHeadsetEffects = kPadEffects;

constexpr EffectInfo kOtherPlayer{.id = -1,
                                  .nameKey = "light_effect_list",
                                  .step = &Run<&E::PlayEffectList>,
                                  .pace = SP::EveryPass,
                                  .startUp = SU::None};

// Position of each id's row in a table; kNoRow where the table has none.
constexpr std::uint8_t kNoRow = 0xFF;
using RowIndex = std::array<std::uint8_t, 256>;

template <std::size_t N>
constexpr RowIndex MakeIndex(const std::array<EffectInfo, N>& table) {
    RowIndex index{};
    index.fill(kNoRow);
    for (std::size_t i = 0; i < N; ++i)
        index[static_cast<std::size_t>(table[i].id)] = static_cast<std::uint8_t>(i);
    return index;
}

template <std::size_t N>
constexpr bool IdsAscendAndFit(const std::array<EffectInfo, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i].id < 0 || table[i].id > 255 || table[i].step == nullptr) return false;
        if (i > 0 && table[i].id <= table[i - 1].id) return false;
    }
    return N < kNoRow;
}

static_assert(IdsAscendAndFit(kKeyboardEffects));
static_assert(IdsAscendAndFit(kMouseEffects));
static_assert(IdsAscendAndFit(kPadEffects));
static_assert(IdsAscendAndFit(kHeadsetEffects));

constexpr RowIndex kKeyboardIndex = MakeIndex(kKeyboardEffects);
constexpr RowIndex kMouseIndex = MakeIndex(kMouseEffects);
constexpr RowIndex kPadIndex = MakeIndex(kPadEffects);
constexpr RowIndex kHeadsetIndex = MakeIndex(kHeadsetEffects);
constexpr RowIndex kNoRows = MakeIndex(std::array<EffectInfo, 0>{});

struct FamilyTable {
    std::span<const EffectInfo> rows;
    const RowIndex* index;
    const EffectInfo* player;
};

FamilyTable TableOf(EffectFamily family) {
    switch (family) {
        case EffectFamily::Mouse:
            return {kMouseEffects, &kMouseIndex, &kPreviewPlayer};
        case EffectFamily::Pad:
            return {kPadEffects, &kPadIndex, &kPreviewPlayer};
        case EffectFamily::Headset:
            return {kHeadsetEffects, &kHeadsetIndex, &kPreviewPlayer};
        case EffectFamily::Other:
            return {{}, &kNoRows, &kOtherPlayer};
        case EffectFamily::Keyboard:
            break;
    }
    return {kKeyboardEffects, &kKeyboardIndex, &kKeyboardPlayer};
}

}  // namespace

std::string_view FamilyName(EffectFamily family) {
    switch (family) {
        case EffectFamily::Mouse:
            return "mouse";
        case EffectFamily::Pad:
            return "pad";
        case EffectFamily::Headset:
            return "headset";
        case EffectFamily::Other:
            return "other";
        case EffectFamily::Keyboard:
            break;
    }
    return "keyboard";
}

std::optional<EffectFamily> FamilyFromName(std::string_view name) {
    for (const EffectFamily family : kEffectFamilies) {
        if (FamilyName(family) == name) return family;
    }
    return std::nullopt;
}

std::span<const EffectInfo> Effects(EffectFamily family) { return TableOf(family).rows; }

const EffectInfo* FindEffect(EffectFamily family, int id) {
    if (id < 0 || id > 255) return nullptr;
    const FamilyTable table = TableOf(family);
    const std::uint8_t row = (*table.index)[static_cast<std::size_t>(id)];
    return row == kNoRow ? nullptr : &table.rows[row];
}

const EffectInfo& EffectOrPlayer(EffectFamily family, int id) {
    const EffectInfo* effect = FindEffect(family, id);
    return effect != nullptr ? *effect : *TableOf(family).player;
}

int StepThresholdOf(const EffectInfo& effect, int speedIndex) {
    const int speed = std::clamp(speedIndex, 0, 4);
    switch (effect.pace) {
        case StepPace::SpeedTable:
            return kSpeedTable[static_cast<std::size_t>(effect.speedRow)][speed];
        case StepPace::Fixed:
            return effect.speedRow;
        case StepPace::Preview:
            return kPreviewThresholds[speed];
        case StepPace::MouseSweep:
            return kMouseSweepThresholds[speed];
        case StepPace::EveryPass:
            break;
    }
    return -1;
}

}  // namespace qx::lighting
