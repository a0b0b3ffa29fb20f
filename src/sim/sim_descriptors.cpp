#include "sim/sim_descriptors.h"

#include <initializer_list>

namespace qx::sim {
namespace {

void Append(std::vector<uint8_t>& out, std::initializer_list<uint8_t> items) {
    out.insert(out.end(), items.begin(), items.end());
}

// Collection 3 of interface 1 (and the first report of the headset): the notification codes
// (0x0401 sync, 0x05kk/0x06kk key events, 0x10xy/0x11xy profile changes) arrive as one 16-bit
// array usage.
void AppendNotificationItems(std::vector<uint8_t>& out, uint8_t reportId) {
    Append(out, {
                    0x85, reportId,    // Report ID
                    0x15, 0x00,        // Logical Minimum 0
                    0x26, 0xFF, 0x1F,  // Logical Maximum 0x1FFF
                    0x19, 0x00,        // Usage Minimum 0
                    0x2A, 0xFF, 0x1F,  // Usage Maximum 0x1FFF
                    0x75, 0x10,        // Report Size 16
                    0x95, 0x01,        // Report Count 1
                    0x81, 0x00,        // Input (Data, Array, Absolute)
                });
}

void AppendNotificationCollection(std::vector<uint8_t>& out) {
    Append(out, {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01});  // Consumer, Consumer Control, Application
    AppendNotificationItems(out, kNotificationReportId);
    Append(out, {0xC0});
}

// 63 data bytes each way behind report id 0x04.
void AppendCommandItems(std::vector<uint8_t>& out) {
    Append(out, {
                    0x85, 0x04,        // Report ID 4
                    0x06, 0x1C, 0xFF,  // Usage Page 0xFF1C
                    0x09, 0x01,        // Usage 1
                    0x15, 0x00,        // Logical Minimum 0
                    0x26, 0xFF, 0x00,  // Logical Maximum 255
                    0x75, 0x08,        // Report Size 8
                    0x95, 0x3F,        // Report Count 63
                    0x81, 0x02,        // Input (Data, Variable, Absolute)
                    0x09, 0x02,        // Usage 2
                    0x95, 0x3F,        // Report Count 63
                    0x91, 0x02,        // Output (Data, Variable, Absolute)
                });
}

void AppendCommandCollection(std::vector<uint8_t>& out) {
    Append(out, {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01});  // Vendor 0xFF1C, usage 0x92
    AppendCommandItems(out);
    Append(out, {0xC0});
}

void AppendSystemControlCollection(std::vector<uint8_t>& out, uint8_t reportId) {
    Append(out, {
                    0x05, 0x01,                  // Generic Desktop
                    0x09, 0x80,                  // System Control
                    0xA1, 0x01,                  // Application
                    0x85, reportId,              // Report ID
                    0x19, 0x81,                  // Usage Minimum: System Power Down
                    0x29, 0x83,                  // Usage Maximum: System Wake Up
                    0x15, 0x00,     0x25, 0x01,  // Logical 0..1
                    0x75, 0x01,     0x95, 0x03,  // 3 bits
                    0x81, 0x02,                  // Input (Data, Variable, Absolute)
                    0x95, 0x05,                  // 5 bits padding
                    0x81, 0x01,                  // Input (Constant)
                    0xC0,
                });
}

}  // namespace

std::vector<uint8_t> BootKeyboardDescriptor() {
    return {
        0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard, Application
        0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,  // Keyboard page, modifiers E0..E7
        0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,  // Input: 8 modifier bits
        0x95, 0x01, 0x75, 0x08, 0x81, 0x01,                          // Input: reserved byte
        0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02,  // Output: 5 LEDs
        0x95, 0x01, 0x75, 0x03, 0x91, 0x01,                                      // Output: padding
        0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x05, 0x07, 0x19,
        0x00, 0x2A, 0xFF, 0x00, 0x81, 0x00,  // Input: 6 key codes (array)
        0xC0,
    };
}

std::vector<uint8_t> BootMouseDescriptor() {
    return {
        0x05,
        0x01,
        0x09,
        0x02,
        0xA1,
        0x01,  // Generic Desktop, Mouse, Application
        0x09,
        0x01,
        0xA1,
        0x00,  // Pointer, Physical
        0x05,
        0x09,
        0x19,
        0x01,
        0x29,
        0x05,  // Buttons 1..5
        0x15,
        0x00,
        0x25,
        0x01,
        0x95,
        0x05,
        0x75,
        0x01,
        0x81,
        0x02,
        0x95,
        0x01,
        0x75,
        0x03,
        0x81,
        0x01,  // padding
        0x05,
        0x01,
        0x09,
        0x30,
        0x09,
        0x31,
        0x09,
        0x38,  // X, Y, Wheel
        0x15,
        0x81,
        0x25,
        0x7F,
        0x75,
        0x08,
        0x95,
        0x03,
        0x81,
        0x06,  // Input (Data, Variable,
               // Relative)
        0xC0,
        0xC0,
    };
}

std::vector<uint8_t> KeyboardVendorInterfaceDescriptor() {
    std::vector<uint8_t> out;
    AppendSystemControlCollection(out, 0x01);
    Append(out, {
                    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard
                    0x85, 0x02,                          // Report ID 2
                    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,  // modifiers
                    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95,
                    0x08, 0x81, 0x02, 0x19, 0x00, 0x29, 0x77,  // usages 0x00..0x77 as a bitmap
                    0x95, 0x78,                                // 120 bits
                    0x81, 0x02, 0xC0,
                });
    AppendNotificationCollection(out);
    AppendCommandCollection(out);
    return out;
}

std::vector<uint8_t> MouseVendorInterfaceDescriptor() {
    std::vector<uint8_t> out;
    Append(out, {
                    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard
                    0x85, 0x01,                          // Report ID 1
                    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95,
                    0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x06, 0x75, 0x08,
                    0x15, 0x00, 0x26, 0xFF, 0x00, 0x19, 0x00, 0x2A, 0xFF, 0x00, 0x81, 0x00, 0xC0,
                });
    AppendSystemControlCollection(out, 0x02);
    AppendNotificationCollection(out);
    AppendCommandCollection(out);
    return out;
}

std::vector<uint8_t> PadVendorInterfaceDescriptor() {
    std::vector<uint8_t> out;
    AppendSystemControlCollection(out, 0x01);
    Append(out, {
                    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,  // Vendor 0xFF00, usage 1
                    0x85, 0x02,                                // Report ID 2
                    0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
                    0x75, 0x08, 0x95, 0x08, 0xB1, 0x02,  // Feature (Data, Variable, Absolute)
                    0xC0,
                });
    AppendNotificationCollection(out);
    AppendCommandCollection(out);
    return out;
}

std::vector<uint8_t> HeadsetDescriptor() {
    std::vector<uint8_t> out;
    Append(out, {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01});  // Consumer, Consumer Control
    AppendNotificationItems(out, kHeadsetNotificationReportId);
    AppendCommandItems(out);
    Append(out, {
                    0x85,
                    kHeadsetLedReportId,  // Report ID 0xFF
                    0x09,
                    0x03,  // Usage 3 (vendor page still in force)
                    0x75,
                    0x08,
                    0x95,
                    0x10,  // 16 bytes
                    0x91,
                    0x02,  // Output (Data, Variable, Absolute)
                    0xC0,
                });
    return out;
}

}  // namespace qx::sim
