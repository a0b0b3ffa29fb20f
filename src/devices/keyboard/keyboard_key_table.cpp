#include "devices/keyboard/keyboard_key_table.h"

#include <algorithm>

namespace qx::devices {
namespace {

constexpr uint8_t kMacroCategory = 0x70;
constexpr uint8_t kMacroCategoryRepeat = 0x71;

size_t WalkedKeys(std::span<const KeyAssignRecord> keyList) {
    return std::min(keyList.size(), static_cast<size_t>(kAssignableKeyCount));
}

}  // namespace

bool IsMacroAssignment(const KeyAssignHalf& half) {
    return half.b2 == kMacroCategory || half.b2 == kMacroCategoryRepeat;
}

std::vector<int> CollectKeyMacros(std::span<const KeyAssignRecord> keyList,
                                  const KeyPositionMap& primary, int macroCount) {
    std::vector<int> macros;
    for (size_t key = 0; key < WalkedKeys(keyList); ++key) {
        if (primary[key] == kNoPosition) continue;
        const KeyAssignHalf& current = keyList[key].current;
        if (!IsMacroAssignment(current) || current.b1 >= macroCount) continue;
        if (std::find(macros.begin(), macros.end(), current.b1) == macros.end())
            macros.push_back(current.b1);
    }
    return macros;
}

std::vector<uint8_t> BuildKeyTable(std::span<const uint8_t> table,
                                   std::span<const KeyAssignRecord> keyList,
                                   const KeyPositionMap& primary, int macroCount) {
    std::vector<uint8_t> out(table.begin(), table.end());
    std::vector<int> seen;
    for (size_t key = 0; key < WalkedKeys(keyList); ++key) {
        const size_t q = primary[key];
        if (q == kNoPosition) continue;
        KeyAssignHalf half = keyList[key].current;
        if (IsMacroAssignment(half)) {
            if (half.b1 < macroCount) {
                auto at = std::find(seen.begin(), seen.end(), half.b1);
                if (at == seen.end()) at = seen.insert(seen.end(), half.b1);
                half.b1 = static_cast<uint8_t>(at - seen.begin());
            } else {
                half = keyList[key].defaults;
            }
        }
        if (q * 3 + 2 >= out.size()) continue;
        out[q * 3] = half.b2;
        out[q * 3 + 1] = half.b1;
        out[q * 3 + 2] = half.b0;
    }
    return out;
}

bool RevertDanglingMacros(std::vector<KeyAssignRecord>& keyList, int macroCount) {
    bool changed = false;
    for (KeyAssignRecord& record : keyList) {
        if (!IsMacroAssignment(record.current) || record.current.b1 < macroCount) continue;
        record.current = record.defaults;
        changed = true;
    }
    return changed;
}

}  // namespace qx::devices
