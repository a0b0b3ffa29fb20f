#include "sim/mouse_firmware.h"

#include <algorithm>

#include "sim/sim_descriptors.h"

namespace qx::sim {
namespace {

constexpr std::array<std::array<uint8_t, 3>, 11> kButtonCodes = {{
    {0x10, 0x01, 0x00},  // left
    {0x10, 0x02, 0x00},  // right
    {0x10, 0x04, 0x00},  // middle
    {0x10, 0x10, 0x00},  // forward
    {0x10, 0x08, 0x00},  // back
    {0x13, 0x01, 0x00},  // DPI up
    {0x13, 0x02, 0x00},  // DPI down
    {0x13, 0x03, 0x00},  // DPI loop
    {0xA0, 0x1B, 0x00},  // game mode
    {0x16, 0x90, 0x01},  // M8
    {0x14, 0x78, 0x02},  // fire key
}};

// The mouse's own order of its buttons in the key table.
constexpr std::array<uint8_t, 11> kButtonPositions = {2, 0, 5, 9, 8, 12, 13, 1, 15, 6, 10};

}  // namespace

MouseFirmware::MouseFirmware() : MouseFirmware(Sensor{}) {}

MouseFirmware::MouseFirmware(const Sensor& sensor, uint16_t vendorId, uint16_t productId)
    : PacketFirmware(vendorId, productId, PacketRoute{1, 1, kNotificationReportId}) {
    DefineRegion(Region::Identity, kIdentitySize);
    DefineRegion(Region::Config, kConfigSize);
    DefineRegion(Region::KeyTable, kKeyCount * 3);
    DefineRegion(Region::Frame, kFrameSize);
    DefineRegion(Region::Macros, size_t{kMacroUnits} * 128);
    DefineRegion(Region::Recoil, kRecoilSize);
    DefineRegion(Region::Status, kStatusSize);

    IdentityFields fields;
    fields.deviceType = 2;
    fields.keyCount = static_cast<uint8_t>(kKeyCount);
    fields.macroUnits = kMacroUnits;
    fields.profileCount = kProfileCount;
    fields.sensorCode = sensor.code;
    fields.dpiStep = sensor.dpiStep;
    fields.dpiMaxSteps = sensor.dpiMaxSteps;
    fields.dpiMin = sensor.dpiMin;
    const auto identity = BuildIdentity(productId, Version(), fields);
    RegionRef(Region::Identity).assign(identity.begin(), identity.end());

    std::vector<uint8_t>& table = RegionRef(Region::KeyTable);
    for (size_t button = 0; button < kButtonCodes.size(); ++button) {
        std::copy(kButtonCodes[button].begin(), kButtonCodes[button].end(),
                  table.begin() + static_cast<std::ptrdiff_t>(kButtonPositions[button] * 3));
    }

    std::vector<uint8_t>& config = RegionRef(Region::Config);
    for (size_t p = 0; p < kProfileCount; ++p) {
        uint8_t* block = config.data() + p * kProfileStride;
        block[1] = static_cast<uint8_t>(p);  // lighting mode code
        block[2] = 3;                        // brightness
        block[3] = 2;                        // 4 - speed
        block[5] = 1;                        // colourful
        block[6] = 0xFF;
        block[7] = static_cast<uint8_t>(0x20 * p);
        block[8] = 0x80;
        block[11] = 2;                            // polling rate index
        block[12] = static_cast<uint8_t>(p % 5);  // active DPI stage
    }
    config[0] = 0;

    const uint8_t power[] = {80, 2, 0, 0, 0, 0};
    std::copy(std::begin(power), std::end(power), RegionRef(Region::Status).begin());
}

std::vector<SimNodeSpec> MouseFirmware::Nodes() const {
    return {SimNodeSpec{0, BootMouseDescriptor()},
            SimNodeSpec{1, MouseVendorInterfaceDescriptor()}};
}

size_t MouseFirmware::PositionOfButton(size_t button) {
    return button < kButtonPositions.size() ? kButtonPositions[button] : kKeyCount;
}

std::array<uint8_t, 3> MouseFirmware::FactoryButtonCode(size_t button) {
    return button < kButtonCodes.size() ? kButtonCodes[button] : std::array<uint8_t, 3>{};
}

std::vector<uint8_t> MouseFirmware::ProfileBlock(uint8_t profile) const {
    return ReadMemory(Region::Config, profile * kProfileStride, kProfileStride);
}

void MouseFirmware::SwitchProfile(uint8_t profile) {
    SetCurrentProfile(profile);
    SendNotification(static_cast<uint16_t>(0x1000 | (profile & 0x0F)));
}

void MouseFirmware::SwitchDpiStage(uint8_t stage) {
    const uint8_t profile = CurrentProfile();
    const uint8_t value[] = {stage};
    WriteMemory(Region::Config, profile * kProfileStride + 12, value);
    SendNotification(static_cast<uint16_t>(0x1100 | ((stage & 0x0F) << 4) | (profile & 0x0F)));
}

}  // namespace qx::sim
