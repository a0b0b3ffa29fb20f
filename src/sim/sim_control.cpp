#include "sim/sim_control.h"

#include <algorithm>
#include <array>
#include <climits>

namespace qx::sim {
namespace {

using Error = ControlResult::Error;

constexpr std::array<std::pair<Region, std::string_view>, kRegionCount> kRegionNames = {{
    {Region::Identity, "identity"},
    {Region::Config, "config"},
    {Region::KeyTable, "keytable"},
    {Region::KeyBytes, "keybytes"},
    {Region::KeyMask, "keymask"},
    {Region::Frame, "frame"},
    {Region::Macros, "macros"},
    {Region::Recoil, "recoil"},
    {Region::Status, "status"},
}};

constexpr std::string_view kFaultNames =
    "silent, status-ff, status-fe, stray-reply, unplug-after, none";

ControlResult Fail(Error error, std::string text) { return ControlResult{error, std::move(text)}; }

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string Joined(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::string_view name : names) {
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text;
}

// The firmware behind a device name, or the error that says why there is none.
ControlResult Find(const SimBus& bus, std::string_view device,
                   std::shared_ptr<PacketFirmware>& firmware) {
    const auto& names = SimDeviceNames();
    if (std::find(names.begin(), names.end(), device) == names.end()) {
        return Fail(Error::UnknownDevice,
                    "unknown device " + Quoted(device) + " (devices: " + Joined(names) + ")");
    }
    firmware = bus.CommandFirmware(device);
    if (!firmware) return Fail(Error::Refused, Quoted(device) + " has never been plugged");
    return {};
}

}  // namespace

const std::vector<std::string_view>& SimDeviceNames() {
    static const std::vector<std::string_view> names = {
        "keyboard", "keyboard-receiver", "headset", "mouse", "mouse-receiver",
        "pad",      "pad-receiver"};
    return names;
}

std::string_view RegionName(Region region) {
    for (const auto& [r, name] : kRegionNames) {
        if (r == region) return name;
    }
    return {};
}

std::optional<Region> RegionFromName(std::string_view name) {
    for (const auto& [region, n] : kRegionNames) {
        if (n == name) return region;
    }
    return std::nullopt;
}

ControlResult ReadDeviceMemory(const SimBus& bus, std::string_view device, std::string_view region,
                               uint32_t offset, uint32_t length, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::shared_ptr<PacketFirmware> firmware;
    if (ControlResult found = Find(bus, device, firmware); !found.Ok()) return found;
    const std::optional<Region> which = RegionFromName(region);
    if (!which || firmware->RegionSize(*which) == 0) {
        std::vector<std::string_view> present;
        for (const auto& [r, name] : kRegionNames) {
            if (firmware->RegionSize(r) > 0) present.push_back(name);
        }
        return Fail(Error::UnknownRegion,
                    (which ? Quoted(device) + " has no region " : "unknown region ") +
                        Quoted(region) + " (" + std::string(device) + " has: " + Joined(present) +
                        ")");
    }
    const size_t size = firmware->RegionSize(*which);
    const size_t end =
        size_t{offset} + (length == 0 ? size - std::min<size_t>(offset, size) : size_t{length});
    if (offset >= size || end > size) {
        return Fail(Error::BadArgument, "offset " + std::to_string(offset) + " length " +
                                            std::to_string(length) + " is past the end of " +
                                            std::string(region) + " (" + std::to_string(size) +
                                            " bytes)");
    }
    bytes = firmware->ReadMemory(*which, offset, end - offset);
    return {};
}

ControlResult DeviceRequestsJson(const SimBus& bus, std::string_view device, std::string& json) {
    std::shared_ptr<PacketFirmware> firmware;
    if (ControlResult found = Find(bus, device, firmware); !found.Ok()) return found;
    json = RequestLogJson(device, bus.Requests(device));
    return {};
}

ControlResult ClearDeviceRequests(SimBus& bus, std::string_view device) {
    std::shared_ptr<PacketFirmware> firmware;
    if (ControlResult found = Find(bus, device, firmware); !found.Ok()) return found;
    bus.ClearRequests(device);
    return {};
}

ControlResult SendDeviceNotification(const SimBus& bus, std::string_view device, uint16_t code) {
    std::shared_ptr<PacketFirmware> firmware;
    if (ControlResult found = Find(bus, device, firmware); !found.Ok()) return found;
    if (!bus.IsPlugged(device)) return Fail(Error::Refused, Quoted(device) + " is not plugged");
    firmware->SendNotification(code);
    return {};
}

ControlResult SetDeviceFault(const SimBus& bus, std::string_view device, std::string_view fault,
                             uint32_t count) {
    std::shared_ptr<PacketFirmware> firmware;
    if (ControlResult found = Find(bus, device, firmware); !found.Ok()) return found;
    const int n = static_cast<int>(std::min<uint32_t>(count, INT_MAX));
    // 0 means "until cleared" for the faults that count packets (FaultPlan's -1).
    const int packets = n == 0 ? -1 : n;
    Fault armed;
    if (fault == "none") {
        firmware->ClearFaults();
        return {};
    } else if (fault == "silent") {
        armed = Fault{FaultKind::Silence, 0, 0, 0, packets};
    } else if (fault == "status-ff") {
        armed = Fault{FaultKind::Status, 0xFF, 0, 0, packets};
    } else if (fault == "status-fe") {
        armed = Fault{FaultKind::Status, 0xFE, 0, 0, packets};
    } else if (fault == "stray-reply") {
        armed = Fault{FaultKind::StrayReply, 0, 0, 0, packets};
    } else if (fault == "unplug-after") {
        armed = Fault{FaultKind::Unplug, 0, 0, n, 1};
    } else {
        return Fail(Error::UnknownFault, "unknown fault " + Quoted(fault) +
                                             " (faults: " + std::string(kFaultNames) + ")");
    }
    firmware->ClearFaults();
    firmware->InjectFault(armed);
    return {};
}

ControlResult SetDevicePower(const SimBus& bus, std::string_view device, uint32_t percent,
                             bool charging) {
    std::shared_ptr<PacketFirmware> firmware;
    if (ControlResult found = Find(bus, device, firmware); !found.Ok()) return found;
    if (percent > 100) {
        return Fail(Error::BadArgument,
                    "power level " + std::to_string(percent) + " is not a percentage (0-100)");
    }
    if (firmware->RegionSize(Region::Status) < 2)
        return Fail(Error::Refused, Quoted(device) + " has no power record");
    std::vector<uint8_t> record = firmware->ReadMemory(Region::Status, 0, 6);
    record[0] = static_cast<uint8_t>(percent);
    record[1] = charging ? 1 : 2;
    firmware->SetPowerRecord(record);
    return {};
}

}  // namespace qx::sim
