// Deleting a macro without leaving keys that point at it: in every profile of the device, keys
// on the deleted macro return to their factory function and keys on later macros follow the
// renumbering. The confirmation questions are the caller's.
#pragma once

#include <vector>

#include "profiles/profile_records.h"

namespace qx {

class CBasicProfiledata;
class MacroStore;
class ProfileManager;

// Key function categories that name a macro by their first parameter.
inline constexpr uint8_t kCategoryMacro = 0x70;
inline constexpr uint8_t kCategoryMacroRepeat = 0x71;

bool IsMacroFunction(const KeyAssignHalf& half);
// True when a key of the list plays macro number.
bool KeyListUsesMacro(const std::vector<KeyAssignRecord>& list, int number);
// Keys on macro number take their default; keys on a higher number move down by one. True when
// anything changed.
bool RepairKeyListForDeletedMacro(std::vector<KeyAssignRecord>& list, int number);

struct MacroDeletion {
    int removedPosition = -1;     // as DeleteMacro returns it
    bool currentChanged = false;  // the current profile's key list changed
};

// Repairs every other profile of the list (through the imported block), then the current
// profile (stored and saved), then deletes the macro and its file.
MacroDeletion DeleteMacroWithKeyRepair(MacroStore& macros, const ProfileManager& profiles,
                                       CBasicProfiledata& current, int number);

}  // namespace qx
