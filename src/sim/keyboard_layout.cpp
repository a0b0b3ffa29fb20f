#include "sim/keyboard_layout.h"

namespace qx::sim {
namespace {

constexpr uint8_t kKey = 0x20;

// Logical keys whose code is a plain key usage (type 0x20, no modifier), by key number.
struct UsageEntry {
    uint8_t key;
    uint8_t usage;
};

constexpr UsageEntry kPlainUsages[] = {
    {0, 0x29},   {13, 0x46},  {14, 0x47},  {15, 0x48},  {21, 0x35},  {32, 0x2D},  {33, 0x2E},
    {34, 0x2A},  {35, 0x49},  {36, 0x4A},  {37, 0x4B},  {38, 0x53},  {39, 0x54},  {40, 0x55},
    {41, 0x56},  {42, 0x2B},  {43, 0x14},  {44, 0x1A},  {45, 0x08},  {46, 0x15},  {47, 0x17},
    {48, 0x1C},  {49, 0x18},  {50, 0x0C},  {51, 0x12},  {52, 0x13},  {53, 0x2F},  {54, 0x30},
    {55, 0x31},  {56, 0x4C},  {57, 0x4D},  {58, 0x4E},  {59, 0x5F},  {60, 0x60},  {61, 0x61},
    {62, 0x32},  {63, 0x39},  {64, 0x04},  {65, 0x16},  {66, 0x07},  {67, 0x09},  {68, 0x0A},
    {69, 0x0B},  {70, 0x0D},  {71, 0x0E},  {72, 0x0F},  {73, 0x33},  {74, 0x34},  {75, 0x28},
    {76, 0x5C},  {77, 0x5D},  {78, 0x5E},  {79, 0x8A},  {80, 0x8B},  {81, 0x90},  {82, 0x91},
    {83, 0x88},  {85, 0x1D},  {86, 0x1B},  {87, 0x06},  {88, 0x19},  {89, 0x05},  {90, 0x11},
    {91, 0x10},  {92, 0x36},  {93, 0x37},  {94, 0x38},  {96, 0x52},  {97, 0x59},  {98, 0x5A},
    {99, 0x5B},  {100, 0x87}, {101, 0x89}, {102, 0x64}, {103, 0x85}, {108, 0x2C}, {111, 0x65},
    {113, 0x50}, {114, 0x51}, {115, 0x4F}, {116, 0x62}, {117, 0x63}, {118, 0x58}, {119, 0x57},
};

// Modifier keys: type 0x20 with a modifier bit and no usage.
constexpr UsageEntry kModifiers[] = {
    {84, 0x02},  {95, 0x20},  {105, 0x01}, {106, 0x08},
    {107, 0x04}, {109, 0x40}, {112, 0x10}, {125, 0x80},
};

// A step coprime with 170 scatters the logical keys over the positions.
constexpr size_t kLayoutStep = 37;
constexpr size_t kLayoutShift = 11;

}  // namespace

KeyCode FactoryKeyCode(size_t key) {
    if (key >= 1 && key <= 12) return {kKey, 0x00, static_cast<uint8_t>(0x3A + key - 1)};
    if (key >= 22 && key <= 31) return {kKey, 0x00, static_cast<uint8_t>(0x1E + key - 22)};
    if (key >= 120 && key <= 124) return {0xD0, 0xA2, static_cast<uint8_t>(key - 119)};
    if (key == 16) return {0xA0, 0x1B, 0x00};
    if (key == 17) return {0xA0, 0x24, 0x00};
    if (key == 110) return {0xA0, 0x01, 0x00};  // the function key
    for (const UsageEntry& e : kPlainUsages) {
        if (e.key == key) return {kKey, 0x00, e.usage};
    }
    for (const UsageEntry& e : kModifiers) {
        if (e.key == key) return {kKey, e.usage, 0x00};
    }
    return {kKey, 0x00, 0x00};
}

size_t KeyboardPositionOf(size_t logicalKey) {
    return (logicalKey * kLayoutStep + kLayoutShift) % kKeyboardKeyCount;
}

std::array<uint8_t, kKeyboardKeyCount * 3> FactoryKeyTable() {
    std::array<uint8_t, kKeyboardKeyCount * 3> table{};
    for (size_t key = 0; key < kKeyboardKeyCount; ++key) {
        const KeyCode code = FactoryKeyCode(key);
        const size_t position = KeyboardPositionOf(key);
        for (size_t b = 0; b < 3; ++b) table[position * 3 + b] = code[b];
    }
    return table;
}

std::array<uint8_t, kKeyboardKeyCount> FactoryKeyBytes() {
    std::array<uint8_t, kKeyboardKeyCount> bytes{};
    for (size_t position = 0; position < kKeyboardKeyCount; ++position) {
        bytes[position] = static_cast<uint8_t>((position * 7 + 3) & 0xFF);
    }
    return bytes;
}

}  // namespace qx::sim
