// The per-family tables of the device list: which entry, power control and page each family of
// device gets, with its folder name, model index, counts and battery flag.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qx::devices {

struct DeviceEntryRow {
    std::string_view entryFile;    // skin file of the list entry
    std::string_view optionGroup;  // option group of the entry's "device_select"
    std::string_view powerLayout;  // tab layout of the power controls
    std::string_view folderName;   // the family's folder in the user's data folder
    int modelIndex;
    uint16_t vendorId;
    uint16_t productId;
    uint16_t kindCode;
    uint16_t role;
    int iconVariant;
};

struct DevicePageRow {
    int ledCount;
    int keyCount;
    bool battery;
    std::string_view pageFile;  // skin file of the device page
    std::string_view lightConfigName;
};

inline constexpr std::string_view kPowerControlFile = "XML/CustomControlXML/MpDevicePower.ui";

// Rows: 0 mouse, 1 keyboard, 2 mouse pad, 3 headset.
inline constexpr std::array<DeviceEntryRow, 4> kDeviceEntryTable = {{
    {"XML/CustomControlXML/DeviceOption.ui", "tab_header_device", "device_power_switch", "mouse", 1,
     0x0000, 0x0000, 2, 0, 0},
    {"XML/CustomControlXML/DeviceOption.ui", "tab_header_device", "device_power_switch", "keyboard",
     0, 0x3A5C, 0x7031, 1, 0, 0},
    {"XML/CustomControlXML/DeviceOption.ui", "tab_header_device", "device_power_switch", "MousePad",
     2, 0x0000, 0x0000, 3, 0, 0},
    {"XML/CustomControlXML/DeviceOption.ui", "tab_header_device", "device_power_switch", "HD", 3,
     0x0C76, 0x1630, 7, 0, 0},
}};

inline constexpr std::array<DevicePageRow, 4> kDevicePageTable = {{
    {15, 11, true, "XML/DeviceXml/mousedevice.ui", "orbek_light"},
    {170, 170, false, "XML/DeviceXml/keyboarddevice.ui", "orbek_light"},
    {15, 0, false, "XML/DeviceXml/mousepaddevice.ui", "orbek_light"},
    {13, 0, false, "XML/DeviceXml/hs6533device.ui", "orbek_light"},
}};

// The first entry row with these values, else the first row of that kind and role that carries
// no identity; -1 when none.
int FindDeviceEntryRow(uint16_t vendorId, uint16_t productId, uint16_t kindCode, uint16_t role);

}  // namespace qx::devices
