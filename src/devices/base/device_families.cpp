#include "devices/base/device_families.h"

#include <algorithm>

#include "devices/headset/orvane_hs6533_device.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "devices/pad/orvane_mouse_pad_device.h"

namespace qx::devices {

namespace {

template <class T>
std::unique_ptr<COrvaneUSBDevice> Make(HidBackend& backend) {
    return std::make_unique<T>(backend);
}

constexpr std::string_view kEntryFile = "XML/CustomControlXML/DeviceOption.ui";

const std::array<DeviceFamilyRow, 4> kFamilies = {{
    {.family = DeviceFamily::Mouse,
     .folderName = "mouse",
     .kinds = {DeviceKind::MouseWired, DeviceKind::MouseWireless},
     .entryFile = kEntryFile,
     .optionGroup = "tab_header_device",
     .powerLayout = "device_power_switch",
     .iconVariant = 0,
     .vendorId = 0,
     .productId = 0,
     .entryKind = DeviceKind::MouseWired,
     .modelIndex = 1,
     .pageFile = "XML/DeviceXml/mousedevice.ui",
     .pageClass = "OrvaneMouseDevice",
     .ledCount = 15,
     .keyCount = 11,
     .battery = true,
     .lightConfigName = "orbek_light",
     .placeholder = true,
     .handlerClass = "COrvaneMouseDevice",
     .create = Make<COrvaneMouseDevice>},
    {.family = DeviceFamily::Keyboard,
     .folderName = "keyboard",
     .kinds = {DeviceKind::KeyboardWired, DeviceKind::KeyboardWireless},
     .entryFile = kEntryFile,
     .optionGroup = "tab_header_device",
     .powerLayout = "device_power_switch",
     .iconVariant = 0,
     .vendorId = 0x3A5C,
     .productId = 0x7031,
     .entryKind = DeviceKind::KeyboardWired,
     .modelIndex = 0,
     .pageFile = "XML/DeviceXml/keyboarddevice.ui",
     .pageClass = "OrvaneKeyboardDevice",
     .ledCount = 170,
     .keyCount = 170,
     .battery = false,
     .lightConfigName = "orbek_light",
     .placeholder = true,
     .handlerClass = "COrvaneKeyboardDevice",
     .create = Make<COrvaneKeyboardDevice>},
    {.family = DeviceFamily::MousePad,
     .folderName = "MousePad",
     .kinds = {DeviceKind::MousePad, DeviceKind::MousePad},
     .entryFile = kEntryFile,
     .optionGroup = "tab_header_device",
     .powerLayout = "device_power_switch",
     .iconVariant = 0,
     .vendorId = 0,
     .productId = 0,
     .entryKind = DeviceKind::MousePad,
     .modelIndex = 2,
     .pageFile = "XML/DeviceXml/mousepaddevice.ui",
     .pageClass = "OrvaneMousePadDevice",
     .ledCount = 15,
     .keyCount = 0,
     .battery = false,
     .lightConfigName = "orbek_light",
     .placeholder = false,
     .handlerClass = "COrvaneMousePadDevice",
     .create = Make<COrvaneMousePadDevice>},
    {.family = DeviceFamily::Headset,
     .folderName = "HD",
     .kinds = {DeviceKind::Headset, DeviceKind::Headset},
     .entryFile = kEntryFile,
     .optionGroup = "tab_header_device",
     .powerLayout = "device_power_switch",
     .iconVariant = 0,
     .vendorId = 0x0C76,
     .productId = 0x1630,
     .entryKind = DeviceKind::Headset,
     .modelIndex = 3,
     .pageFile = "XML/DeviceXml/hs6533device.ui",
     .pageClass = "OrvaneHS6533Device",
     .ledCount = 13,
     .keyCount = 0,
     .battery = false,
     .lightConfigName = "orbek_light",
     .placeholder = false,
     .handlerClass = "COrvaneHS6533Device",
     .create = Make<COrvaneHS6533Device>},
}};

bool ServesKind(const DeviceFamilyRow& row, DeviceKind kind) {
    return std::find(row.kinds.begin(), row.kinds.end(), kind) != row.kinds.end();
}

}  // namespace

std::span<const DeviceFamilyRow> DeviceFamilies() { return kFamilies; }

DeviceFamily FamilyOfKind(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::KeyboardWired:
        case DeviceKind::KeyboardWireless:
            return DeviceFamily::Keyboard;
        case DeviceKind::MouseWired:
        case DeviceKind::MouseWireless:
            return DeviceFamily::Mouse;
        case DeviceKind::MousePad:
            return DeviceFamily::MousePad;
        case DeviceKind::Headset:
            return DeviceFamily::Headset;
    }
    return DeviceFamily::Keyboard;
}

const DeviceFamilyRow& FamilyRow(DeviceFamily family) {
    return kFamilies[static_cast<size_t>(family)];
}

const DeviceFamilyRow* FindFamilyRow(std::span<const DeviceFamilyRow> rows, uint16_t vendorId,
                                     uint16_t productId, DeviceKind kind) {
    for (const DeviceFamilyRow& row : rows) {
        if (ServesKind(row, kind) && row.vendorId == vendorId && row.productId == productId)
            return &row;
    }
    // A row without identity stands for every device of its kinds: a slot table that gives the
    // family an identity still finds its entry.
    for (const DeviceFamilyRow& row : rows) {
        if (ServesKind(row, kind) && row.vendorId == 0 && row.productId == 0) return &row;
    }
    return nullptr;
}

}  // namespace qx::devices
