// One row per device family (mouse, keyboard, mouse pad, headset): everything the device list
// needs to give a device of that family its object, page, list entry and power control, and the
// class that handles it. Arrival hands a device its family's row instead of a slot number that
// every step would look up again.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "core/device_kind.h"
#include "devices/supported_devices.h"
#include "platform/hid_backend.h"

namespace qx::devices {

class COrvaneUSBDevice;

enum class DeviceFamily : int { Mouse = 0, Keyboard = 1, MousePad = 2, Headset = 3 };

struct DeviceFamilyRow {
    DeviceFamily family;
    // The family's folder in the user's data folder; also the name of its list entry.
    std::string_view folderName;
    // The kinds of slot the family's devices arrive as (cable first, then its receiver).
    std::array<DeviceKind, 2> kinds;
    // The list entry: its skin file, the option group of its "device_select", the tab layout
    // of the power controls, the icon variant.
    std::string_view entryFile;
    std::string_view optionGroup;
    std::string_view powerLayout;
    int iconVariant;
    // Identity of the family's entry; 0 and 0 serve any device of the family's kinds.
    uint16_t vendorId;
    uint16_t productId;
    DeviceKind entryKind;  // the kind code that picks the entry's icons
    int modelIndex;        // the family's entries in the shared lighting tables
    // The page: its skin file (its root class names the family), counts and names.
    std::string_view pageFile;
    std::string_view pageClass;
    int ledCount;
    int keyCount;
    bool battery;
    std::string_view lightConfigName;
    // The family's entry exists, hidden, from the start (else it is made at the first arrival).
    bool placeholder;
    // The class that handles the family, and how to make one.
    std::string_view handlerClass;
    std::unique_ptr<COrvaneUSBDevice> (*create)(HidBackend& backend);
};

inline constexpr std::string_view kPowerControlFile = "XML/CustomControlXML/MpDevicePower.ui";

// In list order: mouse, keyboard, mouse pad, headset (the order of the device-list index).
std::span<const DeviceFamilyRow> DeviceFamilies();

// The family a slot kind belongs to.
DeviceFamily FamilyOfKind(DeviceKind kind);
const DeviceFamilyRow& FamilyRow(DeviceFamily family);

// The family row serving this identity: the first row of the kind whose identity is this one,
// else the first of that kind without identity; none when the kind has no family.
const DeviceFamilyRow* FindFamilyRow(std::span<const DeviceFamilyRow> rows, uint16_t vendorId,
                                     uint16_t productId, DeviceKind kind);

}  // namespace qx::devices
