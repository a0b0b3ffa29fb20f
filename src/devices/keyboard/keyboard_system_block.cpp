#include "devices/keyboard/keyboard_system_block.h"

#include <algorithm>

namespace qx::devices {
namespace {

constexpr int kEffectCount = 46;
constexpr int kHostDrivenA = 0x1D;
constexpr int kHostDrivenB = 0x1E;
constexpr uint8_t kSlowestSpeed = 4;

}  // namespace

KeyboardSystem KeyboardSystem::From(const KeyboardSystemRecord& record) {
    return {record.Low(0),  record.High(0), record.Low(1),
            record.High(1), record.Low(2),  record.High(2)};
}

KeyboardSystemRecord KeyboardSystem::Record() const {
    KeyboardSystemRecord record;
    record.words = {PackedWords::Pack(repeatRate, repeatDelay),
                    PackedWords::Pack(sixKey, pollingRate), PackedWords::Pack(wKey, winLock)};
    return record;
}

std::vector<int> DefaultEffectCodes() {
    std::vector<int> codes(kEffectCount);
    for (int i = 0; i < kEffectCount; ++i) codes[static_cast<size_t>(i)] = i;
    return codes;
}

SystemBlock BuildSystemBlock(const KeyboardSystem& system, const LightInfoRecord& light,
                             std::span<const int> effectCodes, uint8_t byte0) {
    SystemBlock block{};
    block[0] = byte0;
    // An effect id without a code keeps its own number, as the identity list would give it.
    int code = light.selectItem;
    if (light.selectItem < effectCodes.size()) code = effectCodes[light.selectItem];
    block[1] =
        code == kHostDrivenA || code == kHostDrivenB ? kHostDrivenCode : static_cast<uint8_t>(code);
    block[2] = light.light;
    // The device counts speed the other way round; a level above 4 is taken as 4.
    block[3] = static_cast<uint8_t>(kSlowestSpeed - std::min(light.speed, kSlowestSpeed));
    block[4] = light.fx;
    block[5] = light.multiColor;
    block[6] = light.red;
    block[7] = light.green;
    block[8] = light.blue;
    block[18] = light.zzccLedMode;
    block[19] = static_cast<uint8_t>(system.wKey);
    block[20] = static_cast<uint8_t>(system.sixKey);
    block[21] = static_cast<uint8_t>(system.winLock);
    block[22] = static_cast<uint8_t>(system.pollingRate);
    block[25] = light.customGroup;
    return block;
}

DecodedSystemBlock DecodeSystemBlock(const SystemBlock& block, std::span<const int> effectCodes) {
    DecodedSystemBlock decoded;
    if (block[1] != kHostDrivenCode) {
        const auto found = std::find(effectCodes.begin(), effectCodes.end(), int{block[1]});
        if (found != effectCodes.end())
            decoded.effectId = static_cast<uint8_t>(found - effectCodes.begin());
    }
    LightInfoRecord& light = decoded.light;
    light.light = block[2];
    light.speed = static_cast<uint8_t>(kSlowestSpeed - std::min(block[3], kSlowestSpeed));
    light.fx = block[4];
    light.multiColor = block[5];
    light.red = block[6];
    light.green = block[7];
    light.blue = block[8];
    light.zzccLedMode = block[18];
    light.customGroup = block[25];
    decoded.wKey = block[19];
    decoded.sixKey = block[20];
    decoded.winLock = block[21];
    return decoded;
}

std::array<uint8_t, kColourMaskSize> CustomColourMask(const lighting::LightFrame& frame,
                                                      const KeyPositionMap& colourMap) {
    constexpr int kBits = static_cast<int>(kColourMaskSize) * 8;
    std::array<uint8_t, kColourMaskSize> mask{};
    const int leds = std::min(frame.size, kLogicalKeyCount);
    for (int led = 0; led < leds; ++led) {
        if (frame.leds[static_cast<size_t>(led)].custom == 0) continue;
        const int k = colourMap[static_cast<size_t>(led)];
        if (k == kNoPosition || k >= kBits) continue;
        mask[static_cast<size_t>(k) % kColourMaskSize] |=
            static_cast<uint8_t>(1u << (k / static_cast<int>(kColourMaskSize)));
    }
    return mask;
}

}  // namespace qx::devices
