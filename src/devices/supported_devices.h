// The table of supported devices: which HID collections belong to which kind of device, and in
// which role. A row's index is the slot index used by discovery and the device list.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/device_kind.h"

namespace qx {

struct SupportedDeviceRow {
    uint16_t vendorId;
    uint16_t productId;
    uint16_t interfaceNumber;
    uint16_t collectionNumber;  // 0 when the interface has a single collection
    uint16_t kind;              // DeviceKind
    uint16_t role;              // InterfaceRole
    uint16_t reserved;          // 0 in the table; the connected flag in a slot
    uint16_t usagePage;
    uint16_t usage;
    uint16_t hasPartner;  // the same device can also appear as another kind (cable / receiver)
    uint16_t partnerRow;  // the row of the same role and collection under the other kind
};

inline constexpr size_t kSupportedDeviceCount = 11;

// Rows 2 to 9 (keyboard through its receiver, mouse, mouse pad) carry no identity in this build
// and never match a real interface; they keep the slot indices and partner links in place.
extern const std::array<SupportedDeviceRow, kSupportedDeviceCount> kSupportedDevices;

// The first row with this vendor, product, kind and role; -1 when none.
int FindSupportedRow(std::span<const SupportedDeviceRow> rows, uint16_t vendorId,
                     uint16_t productId, DeviceKind kind, InterfaceRole role);

}  // namespace qx
