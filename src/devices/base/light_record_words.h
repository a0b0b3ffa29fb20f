// The light settings of a profile ("LightInfo") in the forms the device objects pass them on:
// the four words StoreLightSettings keeps (14 bytes, low byte first) and the engine's settings;
// and the profile's per-LED effects and timed effect steps as the engine takes them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "lighting/effect_lists.h"
#include "lighting/light_settings.h"
#include "profiles/profile_records.h"

namespace qx::devices {

std::array<uint32_t, 4> LightWordsOf(const LightInfoRecord& info);
LightInfoRecord LightRecordOf(const std::array<uint32_t, 4>& words);
lighting::LightSettings LightSettingsOf(const LightInfoRecord& info);
std::vector<lighting::LedEffectRecord> ToLedEffectRecords(const std::vector<LedEffectEntry>& list);
std::vector<lighting::TimedEffectEntry> ToTimedEffects(const std::vector<TimedEffectStep>& steps);

}  // namespace qx::devices
