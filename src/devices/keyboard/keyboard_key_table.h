// The keyboard's key assignments on their way to the device: which macros the keys use (the
// macro image holds exactly those, numbered in first-use order), the key table that names them
// by that numbering, and the repair of assignments to macros that no longer exist.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "devices/keyboard/keyboard_key_map.h"
#include "profiles/profile_records.h"

namespace qx::devices {

bool IsMacroAssignment(const KeyAssignHalf& half);

// The distinct macro numbers below `macroCount` that keys 0-125 with a position use, in the
// order of first use. Entries past the end of `keyList` are absent keys.
std::vector<int> CollectKeyMacros(std::span<const KeyAssignRecord> keyList,
                                  const KeyPositionMap& primary, int macroCount);

// `table` (the device's table as last read) with the assignments of keys 0-125 written at their
// positions; macros renumbered as CollectKeyMacros lists them, a macro at or above
// `macroCount` replaced by the key's default. Positions past the end of `table` are skipped.
std::vector<uint8_t> BuildKeyTable(std::span<const uint8_t> table,
                                   std::span<const KeyAssignRecord> keyList,
                                   const KeyPositionMap& primary, int macroCount);

// Gives every macro assignment naming a macro at or above `macroCount` its default back. True
// when an entry changed.
bool RevertDanglingMacros(std::vector<KeyAssignRecord>& keyList, int macroCount);

}  // namespace qx::devices
