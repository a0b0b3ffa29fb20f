#include "sim/headset_firmware.h"

#include <algorithm>

#include "sim/sim_descriptors.h"

namespace qx::sim {
namespace {

int SideIndex(uint8_t side) {
    if (side == 0x22) return 0;
    if (side == 0x44) return 1;
    return -1;
}

}  // namespace

HeadsetFirmware::HeadsetFirmware() : HeadsetFirmware(kVendorId, kProductId) {}

HeadsetFirmware::HeadsetFirmware(uint16_t vendorId, uint16_t productId)
    : PacketFirmware(vendorId, productId,
                     PacketRoute{kInterface, kInterface, kHeadsetNotificationReportId}) {
    DefineRegion(Region::Identity, kIdentitySize);
    DefineRegion(Region::Config, kConfigSize);
    DefineRegion(Region::Status, kStatusSize);

    IdentityFields fields;
    fields.deviceType = 7;
    fields.profileCount = 1;
    const auto identity = BuildIdentity(productId, Version(), fields);
    RegionRef(Region::Identity).assign(identity.begin(), identity.end());

    std::vector<uint8_t>& config = RegionRef(Region::Config);
    const uint8_t block[] = {0, 1, 3, 2, 0, 1, 0xFF, 0x00, 0x00, 0x21, 0x22};
    std::copy(std::begin(block), std::end(block), config.begin());

    const uint8_t power[] = {100, 0, 0, 0, 0, 0};
    std::copy(std::begin(power), std::end(power), RegionRef(Region::Status).begin());
}

std::vector<SimNodeSpec> HeadsetFirmware::Nodes() const {
    return {SimNodeSpec{kInterface, HeadsetDescriptor()}};
}

bool HeadsetFirmware::OnOtherReport(int interfaceNumber, std::span<const uint8_t> report) {
    if (interfaceNumber != kInterface || report.size() != kHeadsetLedReportSize ||
        report[0] != kHeadsetLedReportId) {
        return false;
    }
    const int side = SideIndex(report[1]);
    const uint8_t block = report[2];
    if (side < 0 || block < 0xAA || block > 0xAF) return false;
    const size_t channel = (block - 0xAA) % 3;
    const bool upper = block >= 0xAD;  // LEDs 7-12
    const size_t first = upper ? 7 : 0;
    const size_t count = upper ? 6 : 7;
    LedFrame& leds = sides_[static_cast<size_t>(side)];
    for (size_t i = 0; i < count; ++i) {
        const uint8_t value = report[3 + i];
        if (value > kMaxLedValue) ++aboveLimit_;
        leds[first + i][channel] = value;
    }
    ++ledReports_;
    return true;
}

HeadsetFirmware::LedFrame HeadsetFirmware::Leds(uint8_t side) const {
    std::lock_guard lock(mutex_);
    const int index = SideIndex(side);
    return index < 0 ? LedFrame{} : sides_[static_cast<size_t>(index)];
}

size_t HeadsetFirmware::LedReports() const {
    std::lock_guard lock(mutex_);
    return ledReports_;
}

size_t HeadsetFirmware::LedValuesAboveLimit() const {
    std::lock_guard lock(mutex_);
    return aboveLimit_;
}

}  // namespace qx::sim
