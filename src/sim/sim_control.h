// The simulated devices as the outside sees them (the program's Simulator bus interface and
// qx580ctl sim): devices, memory regions and faults by name, every mistake a clear error text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/packet_firmware.h"
#include "sim/sim_bus.h"

namespace qx::sim {

// The device names the bus knows ("keyboard", "keyboard-receiver", "headset", ...).
const std::vector<std::string_view>& SimDeviceNames();

// Region names: "identity", "config", "keytable", "keybytes", "keymask", "frame", "macros",
// "recoil", "status".
std::string_view RegionName(Region region);
std::optional<Region> RegionFromName(std::string_view name);

struct ControlResult {
    enum class Error { None, UnknownDevice, UnknownRegion, UnknownFault, Refused, BadArgument };
    Error error = Error::None;
    std::string text;  // what went wrong, for the user

    bool Ok() const { return error == Error::None; }
};

// `length` bytes of a region from `offset`; length 0 reads to the region's end. Errors: unknown
// device, a device never plugged, a region the device lacks (the text names those it has), and
// an offset or length past the region's end.
ControlResult ReadDeviceMemory(const SimBus& bus, std::string_view device, std::string_view region,
                               uint32_t offset, uint32_t length, std::vector<uint8_t>& bytes);

// The device's request log as JSON (RequestLogJson), and its clearing.
ControlResult DeviceRequestsJson(const SimBus& bus, std::string_view device, std::string& json);
ControlResult ClearDeviceRequests(SimBus& bus, std::string_view device);

// The device sends this code on its notification collection (through its receiver only while
// the device is on).
ControlResult SendDeviceNotification(const SimBus& bus, std::string_view device, uint16_t code);

// Replaces the device's armed faults: "silent", "status-ff", "status-fe" and "stray-reply" act
// on the next `count` command packets (0: on every packet until cleared); "unplug-after"
// answers `count` more packets and leaves the bus on the next; "none" clears.
ControlResult SetDeviceFault(const SimBus& bus, std::string_view device, std::string_view fault,
                             uint32_t count);

// The power record's level (0-100) and charge state (1 charging, 2 on battery).
ControlResult SetDevicePower(const SimBus& bus, std::string_view device, uint32_t percent,
                             bool charging);

}  // namespace qx::sim
