#include "devices/supported_devices.h"

namespace qx {

namespace {

using K = DeviceKind;
using R = InterfaceRole;

// The two collections every keyboard, mouse and pad interface 1 carries: the vendor command
// collection 4 and the consumer notification collection 3.
constexpr SupportedDeviceRow Command(uint16_t vid, uint16_t pid, K kind, bool partner,
                                     uint16_t partnerRow) {
    return {.vendorId = vid,
            .productId = pid,
            .interfaceNumber = 1,
            .collectionNumber = 4,
            .kind = kind,
            .role = R::Command,
            .usagePage = 0xFF1C,
            .usage = 0x92,
            .hasPartner = partner,
            .partnerRow = partnerRow};
}

constexpr SupportedDeviceRow Notification(uint16_t vid, uint16_t pid, K kind, bool partner,
                                          uint16_t partnerRow) {
    return {.vendorId = vid,
            .productId = pid,
            .interfaceNumber = 1,
            .collectionNumber = 3,
            .kind = kind,
            .role = R::Notification,
            .usagePage = 0x000C,
            .usage = 0x01,
            .hasPartner = partner,
            .partnerRow = partnerRow};
}

}  // namespace

const std::array<SupportedDeviceRow, kSupportedDeviceCount> kSupportedDevices = {{
    Command(0x3A5C, 0x7031, K::KeyboardWired, true, 2),
    Notification(0x3A5C, 0x7031, K::KeyboardWired, true, 3),
    Command(0, 0, K::KeyboardWireless, true, 0),
    Notification(0, 0, K::KeyboardWireless, true, 1),
    Command(0, 0, K::MouseWired, true, 6),
    Notification(0, 0, K::MouseWired, true, 7),
    Command(0, 0, K::MouseWireless, true, 4),
    Notification(0, 0, K::MouseWireless, true, 5),
    Command(0, 0, K::MousePad, false, 0),
    Notification(0, 0, K::MousePad, false, 0),
    {.vendorId = 0x0C76,
     .productId = 0x1630,
     .interfaceNumber = 3,
     .collectionNumber = 0,
     .kind = K::Headset,
     .role = R::Command,
     .usagePage = 0x000C,
     .usage = 0x01},
}};

int FindSupportedRow(std::span<const SupportedDeviceRow> rows, uint16_t vendorId,
                     uint16_t productId, DeviceKind kind, InterfaceRole role) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const SupportedDeviceRow& row = rows[i];
        if (row.vendorId == vendorId && row.productId == productId && row.kind == kind &&
            row.role == role) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace qx
