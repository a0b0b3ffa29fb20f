#include "macros/macro_deletion.h"

#include "macros/macro_store.h"
#include "profiles/basic_profiledata.h"
#include "profiles/profile_manager.h"

namespace qx {

bool IsMacroFunction(const KeyAssignHalf& half) {
    return half.b2 == kCategoryMacro || half.b2 == kCategoryMacroRepeat;
}

bool KeyListUsesMacro(const std::vector<KeyAssignRecord>& list, int number) {
    for (const KeyAssignRecord& record : list) {
        if (IsMacroFunction(record.current) && record.current.b1 == number) return true;
    }
    return false;
}

bool RepairKeyListForDeletedMacro(std::vector<KeyAssignRecord>& list, int number) {
    bool changed = false;
    for (KeyAssignRecord& record : list) {
        if (!IsMacroFunction(record.current)) continue;
        if (record.current.b1 == number) {
            record.current = record.defaults;
            changed = true;
        } else if (record.current.b1 > number) {
            --record.current.b1;
            changed = true;
        }
    }
    return changed;
}

MacroDeletion DeleteMacroWithKeyRepair(MacroStore& macros, const ProfileManager& profiles,
                                       CBasicProfiledata& current, int number) {
    MacroDeletion result;
    if (number < 0 || number >= static_cast<int>(macros.ReadMacroList().size())) return result;
    bool anyRepaired = false;
    const int count = profiles.GetProfileCount();
    for (int i = 0; i < count; ++i) {
        if (i == profiles.GetSelectedIndex()) continue;
        const std::filesystem::path path = profiles.GetProfilePathAt(i);
        if (path.empty()) continue;
        current.LoadImported(path);
        std::vector<KeyAssignRecord> list = current.GetImportedKeyList();
        if (RepairKeyListForDeletedMacro(list, number)) {
            current.SetImportedKeyList(list);
            if (current.SaveImportedBlock(path)) {
                anyRepaired = true;
            } else {
                result.unsaved.push_back(path);
            }
        }
    }
    std::vector<KeyAssignRecord> list = current.GetKeyList();
    result.currentChanged = RepairKeyListForDeletedMacro(list, number);
    current.SetKeyList(list);
    if (current.Save()) {
        anyRepaired = anyRepaired || result.currentChanged;
    } else if (result.currentChanged) {
        result.unsaved.push_back(current.GetProfilePath());
    }
    // When no profile could be repaired the macro stays, and every key still plays what it
    // played. Once some were repaired the macro goes, so that their renumbered keys are right.
    if (!result.unsaved.empty() && !anyRepaired) return result;
    result.removedPosition = macros.DeleteMacro(number);
    return result;
}

}  // namespace qx
