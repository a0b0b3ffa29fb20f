// The table of supported devices: which HID collections belong to which kind of device, and in
// which role. A row's index is the slot index used by discovery and the device list.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/device_kind.h"

namespace qx {

struct SupportedDeviceRow {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;  // 0 when the interface has a single collection
    DeviceKind kind = DeviceKind::KeyboardWired;
    InterfaceRole role = InterfaceRole::Command;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    // The same device can also appear as another kind (cable / receiver): the row of the same
    // role and collection under that kind.
    bool hasPartner = false;
    uint16_t partnerRow = 0;

    bool IsCommand() const { return role == InterfaceRole::Command; }
    // The same device interface: every identity field equal (partner fields do not count).
    bool SameInterface(const SupportedDeviceRow& other) const {
        return vendorId == other.vendorId && productId == other.productId &&
               interfaceNumber == other.interfaceNumber &&
               collectionNumber == other.collectionNumber && kind == other.kind &&
               role == other.role && usagePage == other.usagePage && usage == other.usage;
    }
    // The same product of the same kind (any of its collections).
    bool SameProduct(const SupportedDeviceRow& other) const {
        return vendorId == other.vendorId && productId == other.productId && kind == other.kind;
    }
};

inline constexpr size_t kSupportedDeviceCount = 11;

// Rows 2 to 9 (keyboard through its receiver, mouse, mouse pad) carry no identity in this build
// and never match a real interface; they keep the slot indices and partner links in place.
extern const std::array<SupportedDeviceRow, kSupportedDeviceCount> kSupportedDevices;

// The first row with this vendor, product, kind and role; -1 when none.
int FindSupportedRow(std::span<const SupportedDeviceRow> rows, uint16_t vendorId,
                     uint16_t productId, DeviceKind kind, InterfaceRole role);

// Whether a device of this kind is reached through its 2.4 GHz receiver.
constexpr bool IsReceiverKind(DeviceKind kind) {
    return kind == DeviceKind::KeyboardWireless || kind == DeviceKind::MouseWireless;
}

}  // namespace qx
