#include "devices/keyboard/keyboard_key_map.h"

#include <algorithm>

namespace qx::devices {
namespace {

constexpr uint8_t kKey = 0x20;

// The usage of the keyboard keys 43-103 whose codes are plain usages, in logical key order.
constexpr uint8_t kUsages43[] = {
    0x14, 0x1A, 0x08, 0x15, 0x17, 0x1C, 0x18, 0x0C, 0x12, 0x13, 0x2F, 0x30, 0x31,  // 43-55
    0x4C, 0x4D, 0x4E, 0x5F, 0x60, 0x61, 0x32, 0x39, 0x04, 0x16, 0x07, 0x09, 0x0A,  // 56-68
    0x0B, 0x0D, 0x0E, 0x0F, 0x33, 0x34, 0x28, 0x5C, 0x5D, 0x5E, 0x8A, 0x8B, 0x90,  // 69-81
    0x91, 0x88};                                                                   // 82-83

constexpr uint8_t kUsages85[] = {0x1D, 0x1B, 0x06, 0x19, 0x05, 0x11, 0x10, 0x36, 0x37, 0x38};

constexpr uint8_t kUsages96[] = {0x52, 0x59, 0x5A, 0x5B, 0x87, 0x89, 0x64, 0x85};

constexpr KeyCode3 Code(int key) {
    if (key == 0) return {kKey, 0, 0x29};
    if (key >= 1 && key <= 12) return {kKey, 0, static_cast<uint8_t>(0x3A + key - 1)};
    if (key >= 13 && key <= 15) return {kKey, 0, static_cast<uint8_t>(0x46 + key - 13)};
    if (key == 16) return {0xA0, 0x1B, 0};
    if (key == 17) return {0xA0, 0x24, 0};
    if (key == 21) return {kKey, 0, 0x35};
    if (key >= 22 && key <= 31) return {kKey, 0, static_cast<uint8_t>(0x1E + key - 22)};
    switch (key) {
        case 32:
            return {kKey, 0, 0x2D};
        case 33:
            return {kKey, 0, 0x2E};
        case 34:
            return {kKey, 0, 0x2A};
        case 35:
            return {kKey, 0, 0x49};
        case 36:
            return {kKey, 0, 0x4A};
        case 37:
            return {kKey, 0, 0x4B};
        case 38:
            return {kKey, 0, 0x53};
        case 39:
            return {kKey, 0, 0x54};
        case 40:
            return {kKey, 0, 0x55};
        case 41:
            return {kKey, 0, 0x56};
        case 42:
            return {kKey, 0, 0x2B};
        case 84:
            return {kKey, 0x02, 0};
        case 95:
            return {kKey, 0x20, 0};
        case 104:
            return {kKey, 0, 0};
        case 105:
            return {kKey, 0x01, 0};
        case 106:
            return {kKey, 0x08, 0};
        case 107:
            return {kKey, 0x04, 0};
        case 108:
            return {kKey, 0, 0x2C};
        case 109:
            return {kKey, 0x40, 0};
        case 110:
            return {0xA0, 0x01, 0};
        case 111:
            return {kKey, 0, 0x65};
        case 112:
            return {kKey, 0x10, 0};
        case 113:
            return {kKey, 0, 0x50};
        case 114:
            return {kKey, 0, 0x51};
        case 115:
            return {kKey, 0, 0x4F};
        case 116:
            return {kKey, 0, 0x62};
        case 117:
            return {kKey, 0, 0x63};
        case 118:
            return {kKey, 0, 0x58};
        case 119:
            return {kKey, 0, 0x57};
        case 125:
            return {kKey, 0x80, 0};
        default:
            break;
    }
    if (key >= 43 && key <= 83) return {kKey, 0, kUsages43[key - 43]};
    if (key >= 85 && key <= 94) return {kKey, 0, kUsages85[key - 85]};
    if (key >= 96 && key <= 103) return {kKey, 0, kUsages96[key - 96]};
    if (key >= 120 && key <= 124) return {0xD0, 0xA2, static_cast<uint8_t>(key - 119)};
    return {kKey, 0, 0};
}

}  // namespace

KeyCode3 FactoryKeyCode(int logicalKey) { return Code(logicalKey); }

KeyPositionMaps BuildKeyPositionMaps(std::span<const uint8_t> table, int keyCount) {
    KeyPositionMaps maps;
    maps.primary.fill(kNoPosition);
    maps.colour.fill(kNoPosition);
    const int positions = std::clamp(keyCount, 0, static_cast<int>(table.size() / 3));
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        const KeyCode3 wanted = Code(key);
        for (int k = 0; k < positions; ++k) {
            const auto at = static_cast<size_t>(k) * 3;
            if (table[at] == wanted[0] && table[at + 1] == wanted[1] &&
                table[at + 2] == wanted[2]) {
                maps.primary[static_cast<size_t>(key)] = static_cast<uint8_t>(k);
                break;
            }
        }
        // Keyboards whose table does not list the function key still have it at 113.
        if (key == kFunctionKeyIndex && keyCount > 0 &&
            maps.primary[static_cast<size_t>(key)] == kNoPosition)
            maps.primary[static_cast<size_t>(key)] = kFunctionKeyFallback;
    }
    for (size_t key = 0; key < maps.primary.size(); ++key)
        if (maps.primary[key] != kNoPosition) maps.colour[key] = maps.primary[key];
    return maps;
}

}  // namespace qx::devices
