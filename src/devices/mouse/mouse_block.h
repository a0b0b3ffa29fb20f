// What the mouse keeps in its memory, as bytes: the per-profile block (lighting, polling rate,
// active DPI stage, the five DPI stages, screen size and sensor correction), the sensor's DPI
// scale from its identity with the conversions between slider steps and DPI, and the button map
// and key table of its logical buttons. Plain data, no device and no widget.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "profiles/profile_records.h"

namespace qx::devices {

inline constexpr size_t kMouseBlockStride = 128;  // profile p's block at p * 128
inline constexpr size_t kMouseBlockRead = 71;
inline constexpr size_t kMouseBlockWrite = 66;
inline constexpr size_t kMouseStageOffset = 14;
inline constexpr size_t kMouseStageSize = 9;
inline constexpr int kMouseStageCount = 5;
inline constexpr int kMouseButtonCount = 11;
inline constexpr uint8_t kNoButton = 0xAA;  // a logical button the mouse does not have
// The recoil memory of the mouse family (the identity does not report it).
inline constexpr size_t kRecoilMemorySize = 4096;
// Effects the mouse's block can carry (ids 10 and above are host lists, sent as effect 0).
inline constexpr int kMouseDeviceEffects = 10;

using MouseBlock = std::array<uint8_t, kMouseBlockWrite>;

// What WriteSystemBlock puts into the block besides the profile's values.
struct MouseBlockFrame {
    uint8_t firstByte = 0;
    uint8_t byte59 = 1;
    uint16_t screenWidth = 0;
    uint16_t screenHeight = 0;
};

struct MouseBlockInput {
    LightInfoRecord light;
    int pollingIndex = 0;
    int activeStage = 0;
    std::vector<DpiStageRecord> stages;
    std::vector<CorrectRecord> corrections;
};

// The 66 bytes the host writes. `effectCodes` is the model's lighting mode list (position =
// effect id); an effect of 10 or more, or one the list lacks, is sent as the code of effect 0.
MouseBlock BuildMouseBlock(const MouseBlockInput& input, std::span<const int> effectCodes,
                           const MouseBlockFrame& frame);

// What the host takes from a block it read (71 bytes, byte 0 already the profile number).
struct DecodedMouseBlock {
    uint8_t effectId = 0;  // position of the mode code in the list; an unknown code as it is
    uint8_t brightness = 0;
    uint8_t speed = 0;  // 4 - byte 3
    uint8_t colourful = 0;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t activeStage = 0;
};
DecodedMouseBlock DecodeMouseBlock(std::span<const uint8_t> block,
                                   std::span<const int> effectCodes);

// --- the sensor's DPI scale (identity bytes 9-15)

struct DpiScale {
    uint16_t sensor = 0;
    int step = 1;              // DPI per slider step
    int maxSteps = 0;          // slider maximum
    int minimum = 0;           // DPI at step 0
    bool stepWasZero = false;  // the identity reported a step of 0 (step 1 is used)

    static constexpr uint16_t kCoarseSensor = 0x3325;
    static constexpr int kCoarseFrom = 48;  // steps above this count 200 DPI each
    static constexpr int kCoarseStep = 200;

    int MaxDpi() const { return ToDpi(maxSteps); }
    int ToDpi(int steps) const;
    // A typed value: the leading decimal digits (none: 0), raised to the minimum, in steps,
    // limited to 0 ... maxSteps.
    int ToSteps(std::string_view text) const;
    int ToStepsFromDpi(long long dpi) const;
};

DpiScale DpiScaleFromIdentity(std::span<const uint8_t> identity);

// --- buttons

// Logical button j's factory code (type, value, parameter).
std::array<uint8_t, 3> MouseFactoryCode(int button);

// For each logical button 0 ... keyCount-1 the first key-table position holding its factory
// code; kNoButton where none does (and for every entry past the eleven buttons).
std::vector<uint8_t> BuildButtonMap(std::span<const uint8_t> table, int keyCount);

// The distinct macro numbers below `macroCount` that the mapped buttons use, in first-use order.
std::vector<int> CollectMouseMacros(std::span<const KeyAssignRecord> keyList,
                                    std::span<const uint8_t> buttonMap, int macroCount);

// The key table with each mapped button's assignment at its position (macros renumbered as
// CollectMouseMacros lists them, a macro at or above `macroCount` replaced by the default).
std::vector<uint8_t> BuildMouseKeyTable(std::span<const uint8_t> table,
                                        std::span<const KeyAssignRecord> keyList,
                                        std::span<const uint8_t> buttonMap, int macroCount);

}  // namespace qx::devices
