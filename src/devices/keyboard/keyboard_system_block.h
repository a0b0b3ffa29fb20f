// The keyboard's per-profile settings block (26 bytes read and written at profile × 25 in its
// configuration memory; byte 0 is the byte before the profile's own 25) and the custom-colour
// mask: how the profile's lighting and system options become device bytes and back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "devices/keyboard/keyboard_key_map.h"
#include "lighting/light_frame.h"
#include "profiles/profile_records.h"

namespace qx::devices {

inline constexpr size_t kSystemBlockSize = 26;
inline constexpr uint16_t kSystemBlockStride = 25;
inline constexpr size_t kColourMaskSize = 21;
// The device runs what the host streams (the host-driven effects' codes are sent as this).
inline constexpr uint8_t kHostDrivenCode = 0xFE;

using SystemBlock = std::array<uint8_t, kSystemBlockSize>;

// The system options as the profile keeps them ("SystemStages").
struct KeyboardSystem {
    uint16_t repeatRate = 0;
    uint16_t repeatDelay = 0;  // 0-3: 250, 500, 750, 1000 ms
    uint16_t sixKey = 0;
    uint16_t pollingRate = 0;  // 0-3: 125, 250, 500, 1000 Hz
    uint16_t wKey = 0;
    uint16_t winLock = 0;

    static KeyboardSystem From(const KeyboardSystemRecord& record);
    KeyboardSystemRecord Record() const;
    bool operator==(const KeyboardSystem&) const = default;
};

// The effect codes of the device, one per effect id (default_light.json), and the identity list
// used when the file gives none.
std::vector<int> DefaultEffectCodes();

SystemBlock BuildSystemBlock(const KeyboardSystem& system, const LightInfoRecord& light,
                             std::span<const int> effectCodes, uint8_t byte0);

// What a block read back says. effectId is empty when byte 1 is the host-driven code or a code
// the list does not hold: the host keeps its effect then.
struct DecodedSystemBlock {
    std::optional<uint8_t> effectId;
    LightInfoRecord light;  // brightness, speed, direction, colourful, colour, preset, group
    uint16_t wKey = 0, sixKey = 0, winLock = 0;
};
DecodedSystemBlock DecodeSystemBlock(const SystemBlock& block, std::span<const int> effectCodes);

// Bit k / 21 of byte k mod 21 for every LED with its custom flag whose colour-map position k is
// below 168.
std::array<uint8_t, kColourMaskSize> CustomColourMask(const lighting::LightFrame& frame,
                                                      const KeyPositionMap& colourMap);

}  // namespace qx::devices
