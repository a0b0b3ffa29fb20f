// Deleting a macro without leaving keys that point at it: in every profile of the device, keys
// on the deleted macro return to their factory function and keys on later macros follow the
// renumbering. The confirmation questions are the caller's.
#pragma once

#include <filesystem>
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
    int removedPosition = -1;     // as DeleteMacro returns it; -1 when nothing was deleted
    bool currentChanged = false;  // the current profile's key list changed
    // Profiles whose repaired key list could not be written; they still name the macro by its
    // old number.
    std::vector<std::filesystem::path> unsaved;
};

// Repairs every other profile of the list (through the imported block), then the current
// profile (stored and saved), then deletes the macro and its file. When no repair could be
// written at all the macro is not deleted.
MacroDeletion DeleteMacroWithKeyRepair(MacroStore& macros, const ProfileManager& profiles,
                                       CBasicProfiledata& current, int number);

}  // namespace qx
