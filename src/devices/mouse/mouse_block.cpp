#include "devices/mouse/mouse_block.h"

#include <algorithm>
#include <charconv>

#include "devices/keyboard/keyboard_key_table.h"

namespace qx::devices {
namespace {

constexpr std::array<std::array<uint8_t, 3>, kMouseButtonCount> kFactoryCodes = {{
    {0x10, 0x01, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x01, 0x00},
    {0x13, 0x02, 0x00},
    {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00},
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},
}};

uint16_t U16(std::span<const uint8_t> bytes, size_t at) {
    if (at + 1 >= bytes.size()) return 0;
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void PutU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>(value >> 8);
}

uint8_t CodeOfEffect(int effect, std::span<const int> codes) {
    if (effect >= kMouseDeviceEffects || effect < 0 || static_cast<size_t>(effect) >= codes.size())
        effect = 0;
    if (codes.empty()) return 0;
    return static_cast<uint8_t>(codes[static_cast<size_t>(effect)]);
}

}  // namespace

MouseBlock BuildMouseBlock(const MouseBlockInput& input, std::span<const int> effectCodes,
                           const MouseBlockFrame& frame) {
    MouseBlock block{};
    const LightInfoRecord& light = input.light;
    block[0] = frame.firstByte;
    block[1] = CodeOfEffect(light.selectItem, effectCodes);
    block[2] = light.light;
    block[3] = static_cast<uint8_t>(4 - std::min<int>(light.speed, 4));
    block[4] = light.fx;
    block[5] = light.multiColor;
    block[6] = light.red;
    block[7] = light.green;
    block[8] = light.blue;
    block[11] = static_cast<uint8_t>(input.pollingIndex);
    block[12] = static_cast<uint8_t>(input.activeStage);
    const size_t stages = std::min<size_t>(input.stages.size(), kMouseStageCount);
    for (size_t i = 0; i < stages; ++i) {
        const DpiStageRecord& stage = input.stages[i];
        uint8_t* at = block.data() + kMouseStageOffset + i * kMouseStageSize;
        at[0] = stage.active;
        at[1] = stage.xy;
        PutU16(at + 2, stage.dpiX);
        PutU16(at + 4, stage.dpiY);
        at[6] = stage.red;
        at[7] = stage.green;
        at[8] = stage.blue;
    }
    block[59] = frame.byte59;
    PutU16(block.data() + 60, frame.screenWidth);
    PutU16(block.data() + 62, frame.screenHeight);
    for (const CorrectRecord& correction : input.corrections) {
        if (correction.select == 0) continue;
        block[64] = correction.minSq;
        block[65] = correction.pixThresh;
        break;
    }
    return block;
}

DecodedMouseBlock DecodeMouseBlock(std::span<const uint8_t> block,
                                   std::span<const int> effectCodes) {
    DecodedMouseBlock decoded;
    if (block.size() < 13) return decoded;
    decoded.effectId = block[1];
    for (size_t i = 0; i < effectCodes.size(); ++i) {
        if (effectCodes[i] == block[1]) {
            decoded.effectId = static_cast<uint8_t>(i);
            break;
        }
    }
    decoded.brightness = block[2];
    // A value above 4 is no speed the host sends; it reads as the slowest.
    decoded.speed = static_cast<uint8_t>(4 - std::min<int>(block[3], 4));
    decoded.colourful = block[5];
    decoded.red = block[6];
    decoded.green = block[7];
    decoded.blue = block[8];
    decoded.activeStage = block[12];
    return decoded;
}

// --- DPI

DpiScale DpiScaleFromIdentity(std::span<const uint8_t> identity) {
    DpiScale scale;
    scale.sensor = U16(identity, 9);
    const int step = identity.size() > 11 ? identity[11] : 0;
    scale.stepWasZero = step == 0;
    scale.step = step == 0 ? 1 : step;
    scale.maxSteps = U16(identity, 12);
    scale.minimum = U16(identity, 14);
    return scale;
}

int DpiScale::ToDpi(int steps) const {
    if (sensor == kCoarseSensor && steps > kCoarseFrom)
        return step * kCoarseFrom + (steps - kCoarseFrom) * kCoarseStep + minimum;
    return steps * step + minimum;
}

int DpiScale::ToSteps(std::string_view text) const {
    long long value = 0;
    const char* end = text.data() + text.size();
    const char* at = text.data();
    while (at != end && *at == ' ') ++at;
    // Leading digits only; text without them counts as 0. A number too long to hold counts as
    // the largest value.
    const auto [stop, error] = std::from_chars(at, end, value);
    if (error == std::errc::result_out_of_range)
        value = 1LL << 40;
    else if (error != std::errc() || stop == at)
        value = 0;
    return ToStepsFromDpi(value);
}

int DpiScale::ToStepsFromDpi(long long dpi) const {
    dpi = std::max<long long>(dpi, minimum);
    long long steps = 0;
    const long long coarseStart = static_cast<long long>(step) * kCoarseFrom + minimum;
    // Above the fine range of the coarse sensor: the exact inverse of ToDpi.
    if (sensor == kCoarseSensor && dpi > coarseStart)
        steps = (dpi - coarseStart) / kCoarseStep + kCoarseFrom;
    else
        steps = (dpi - minimum) / step;
    return static_cast<int>(std::clamp<long long>(steps, 0, std::max(maxSteps, 0)));
}

// --- buttons

std::array<uint8_t, 3> MouseFactoryCode(int button) {
    if (button < 0 || button >= kMouseButtonCount) return {0, 0, 0};
    return kFactoryCodes[static_cast<size_t>(button)];
}

std::vector<uint8_t> BuildButtonMap(std::span<const uint8_t> table, int keyCount) {
    std::vector<uint8_t> map(static_cast<size_t>(std::max(keyCount, 0)), kNoButton);
    const size_t positions = std::min(table.size() / 3, static_cast<size_t>(std::max(keyCount, 0)));
    for (int j = 0; j < kMouseButtonCount && j < keyCount; ++j) {
        const auto& code = kFactoryCodes[static_cast<size_t>(j)];
        for (size_t k = 0; k < positions; ++k) {
            if (std::equal(code.begin(), code.end(), table.begin() + static_cast<long>(k * 3))) {
                map[static_cast<size_t>(j)] = static_cast<uint8_t>(k);
                break;
            }
        }
    }
    return map;
}

std::vector<int> CollectMouseMacros(std::span<const KeyAssignRecord> keyList,
                                    std::span<const uint8_t> buttonMap, int macroCount) {
    std::vector<int> macros;
    for (size_t j = 0; j < buttonMap.size() && j < keyList.size(); ++j) {
        if (buttonMap[j] == kNoButton) continue;
        const KeyAssignHalf& current = keyList[j].current;
        if (!IsMacroAssignment(current) || current.b1 >= macroCount) continue;
        if (std::find(macros.begin(), macros.end(), current.b1) == macros.end())
            macros.push_back(current.b1);
    }
    return macros;
}

std::vector<uint8_t> BuildMouseKeyTable(std::span<const uint8_t> table,
                                        std::span<const KeyAssignRecord> keyList,
                                        std::span<const uint8_t> buttonMap, int macroCount) {
    std::vector<uint8_t> out(table.begin(), table.end());
    std::vector<int> seen;
    for (size_t j = 0; j < buttonMap.size() && j < keyList.size(); ++j) {
        if (buttonMap[j] == kNoButton) continue;
        KeyAssignHalf code = keyList[j].current;
        if (IsMacroAssignment(code)) {
            if (code.b1 < macroCount) {
                auto at = std::find(seen.begin(), seen.end(), code.b1);
                if (at == seen.end()) at = seen.insert(seen.end(), code.b1);
                code.b1 = static_cast<uint8_t>(at - seen.begin());
            } else {
                code = keyList[j].defaults;
            }
        }
        const size_t q = size_t{buttonMap[j]} * 3;
        if (q + 2 >= out.size()) continue;
        out[q] = code.b2;
        out[q + 1] = code.b1;
        out[q + 2] = code.b0;
    }
    return out;
}

}  // namespace qx::devices
