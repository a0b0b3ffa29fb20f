#include "sim/keyboard_firmware.h"

#include <algorithm>

#include "sim/sim_descriptors.h"

namespace qx::sim {

KeyboardFirmware::KeyboardFirmware() : KeyboardFirmware(kVendorId, kProductId) {}

KeyboardFirmware::KeyboardFirmware(uint16_t vendorId, uint16_t productId)
    : PacketFirmware(vendorId, productId, PacketRoute{1, 1, kNotificationReportId}) {
    DefineRegion(Region::Identity, kIdentitySize);
    DefineRegion(Region::Config, kConfigSize);
    DefineRegion(Region::KeyTable, kKeyboardKeyCount * 3);
    DefineRegion(Region::KeyBytes, kKeyboardKeyCount);
    DefineRegion(Region::KeyMask, kKeyMaskSize);
    DefineRegion(Region::Frame, kFrameSize);
    DefineRegion(Region::Macros, size_t{kMacroUnits} * 128);
    DefineRegion(Region::Status, kStatusSize);

    IdentityFields fields;
    fields.deviceType = 1;
    fields.keyCount = static_cast<uint8_t>(kKeyboardKeyCount);
    fields.macroUnits = kMacroUnits;
    fields.profileCount = kProfileCount;
    const auto identity = BuildIdentity(productId, Version(), fields);
    RegionRef(Region::Identity).assign(identity.begin(), identity.end());

    const auto table = FactoryKeyTable();
    RegionRef(Region::KeyTable).assign(table.begin(), table.end());
    const auto keyBytes = FactoryKeyBytes();
    RegionRef(Region::KeyBytes).assign(keyBytes.begin(), keyBytes.end());

    // Factory lighting and system settings per profile, each profile a little different so a
    // host that reads the wrong block notices.
    std::vector<uint8_t>& config = RegionRef(Region::Config);
    for (size_t p = 0; p < kProfileCount; ++p) {
        uint8_t* block = config.data() + p * kProfileStride;
        block[1] = static_cast<uint8_t>(1 + p);  // effect code
        block[2] = 4;                            // brightness level
        block[3] = 2;                            // 4 - speed level
        block[4] = 0;                            // direction
        block[5] = 1;                            // colourful
        block[6] = static_cast<uint8_t>(0x40 * p);
        block[7] = 0xFF;
        block[8] = static_cast<uint8_t>(0xFF - 0x30 * p);
        block[22] = 3;  // polling rate index
    }
    config[0] = 0;

    const uint8_t power[] = {100, 0, 0, 0, 0, 0};
    RegionRef(Region::Status).assign(kStatusSize, 0);
    std::copy(std::begin(power), std::end(power), RegionRef(Region::Status).begin());
}

std::vector<SimNodeSpec> KeyboardFirmware::Nodes() const {
    return {SimNodeSpec{0, BootKeyboardDescriptor()},
            SimNodeSpec{1, KeyboardVendorInterfaceDescriptor()}};
}

std::vector<uint8_t> KeyboardFirmware::ProfileBlock(uint8_t profile) const {
    return ReadMemory(Region::Config, profile * kProfileStride + 1, kProfileStride);
}

KeyCode KeyboardFirmware::KeyAt(size_t position) const {
    const std::vector<uint8_t> bytes = ReadMemory(Region::KeyTable, position * 3, 3);
    if (bytes.size() != 3) return {0, 0, 0};
    return {bytes[0], bytes[1], bytes[2]};
}

void KeyboardFirmware::SetKeyAt(size_t position, const KeyCode& code) {
    WriteMemory(Region::KeyTable, position * 3, code);
}

void KeyboardFirmware::SwitchProfile(uint8_t profile) {
    SetCurrentProfile(profile);
    SendNotification(static_cast<uint16_t>(0x1000 | (profile & 0xFF)));
}

}  // namespace qx::sim
