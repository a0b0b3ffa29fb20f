// Hand-written HID report descriptors of the simulated devices, in standard short items, so that
// the host's own descriptor parser meets what real hardware would present.
//
// Interface 1 of the keyboard, mouse and pad (and of their receivers) holds four top-level
// collections; the host finds the notification collection at position 3 and the command
// collection at position 4:
//   1  device-specific (see each function), report id 0x01
//   2  device-specific, report id 0x02
//   3  consumer page 0x000C usage 0x01, report id 0x03: input, one 16-bit notification code
//   4  vendor page 0xFF1C usage 0x92, report id 0x04: 63-byte input and output (64 with the id)
// The headset's interface 3 is a single consumer collection (0x000C, 0x01) carrying report ids
// 0x01 (notification input), 0x04 (command input and output) and 0xFF (17-byte LED output).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qx::sim {

inline constexpr uint8_t kNotificationReportId = 0x03;
inline constexpr uint8_t kHeadsetNotificationReportId = 0x01;
inline constexpr uint8_t kHeadsetLedReportId = 0xFF;
inline constexpr size_t kHeadsetLedReportSize = 17;  // report id included

// Interface 0 of the keyboard: the boot keyboard (no report ids; 8-byte input, 1-byte LED output).
std::vector<uint8_t> BootKeyboardDescriptor();

// Interface 0 of the mouse: the boot mouse (no report ids; 3 buttons + 2 padding, x, y, wheel).
std::vector<uint8_t> BootMouseDescriptor();

// Keyboard interface 1: 1 = system control (power, sleep, wake), 2 = n-key-rollover keyboard.
std::vector<uint8_t> KeyboardVendorInterfaceDescriptor();

// Mouse interface 1: 1 = keyboard (keys a button can be assigned to), 2 = system control.
std::vector<uint8_t> MouseVendorInterfaceDescriptor();

// Pad interface 1: 1 = system control, 2 = vendor page 0xFF00 with an 8-byte feature report.
std::vector<uint8_t> PadVendorInterfaceDescriptor();

// Headset interface 3.
std::vector<uint8_t> HeadsetDescriptor();

}  // namespace qx::sim
