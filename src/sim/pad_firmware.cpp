#include "sim/pad_firmware.h"

#include <algorithm>

#include "sim/sim_descriptors.h"

namespace qx::sim {

PadFirmware::PadFirmware() : PadFirmware(kVendorId, kProductId) {}

PadFirmware::PadFirmware(uint16_t vendorId, uint16_t productId)
    : PacketFirmware(vendorId, productId, PacketRoute{1, 1, kNotificationReportId}) {
    DefineRegion(Region::Identity, kIdentitySize);
    DefineRegion(Region::Config, kConfigSize);
    DefineRegion(Region::Frame, kFrameSize);
    DefineRegion(Region::Status, kStatusSize);

    IdentityFields fields;
    fields.deviceType = 3;
    fields.profileCount = 1;
    const auto identity = BuildIdentity(productId, Version(), fields);
    RegionRef(Region::Identity).assign(identity.begin(), identity.end());

    // Lighting block of profile 0: mode code, brightness, 4 - speed, direction, colourful,
    // red, green, blue, then bytes the pad keeps for itself.
    std::vector<uint8_t>& config = RegionRef(Region::Config);
    const uint8_t block[] = {0, 2, 4, 1, 1, 0, 0x00, 0xFF, 0x80, 9, 10, 11, 12};
    std::copy(std::begin(block), std::end(block), config.begin());

    const uint8_t power[] = {100, 0, 0, 0, 0, 3};  // a phone of another make on the charger
    std::copy(std::begin(power), std::end(power), RegionRef(Region::Status).begin());
}

std::vector<SimNodeSpec> PadFirmware::Nodes() const {
    return {SimNodeSpec{1, PadVendorInterfaceDescriptor()}};
}

}  // namespace qx::sim
