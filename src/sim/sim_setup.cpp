#include "sim/sim_setup.h"

#include <cstring>

#include "sim/sim_bus.h"

namespace qx::sim {
namespace {

// Interface 1 of the keyboard, mouse and pad (and of their receivers) presents the notification
// collection third and the command collection fourth (sim_descriptors.h).
constexpr uint16_t kVendorInterface = 1;

struct Collection {
    InterfaceRole role;
    uint16_t number;
    uint16_t usagePage;
    uint16_t usage;
};
constexpr Collection kCollections[] = {
    {InterfaceRole::Command, 4, 0xFF1C, 0x92},
    {InterfaceRole::Notification, 3, 0x000C, 0x01},
};

struct Identity {
    DeviceKind kind;
    uint16_t vendorId;
    uint16_t productId;
};
constexpr Identity kIdentities[] = {
    {DeviceKind::KeyboardWireless, KeyboardFirmware::kVendorId, SimBus::kKeyboardReceiverProductId},
    {DeviceKind::MouseWired, MouseFirmware::kVendorId, MouseFirmware::kProductId},
    {DeviceKind::MouseWireless, MouseFirmware::kVendorId, SimBus::kMouseReceiverProductId},
    {DeviceKind::MousePad, PadFirmware::kVendorId, PadFirmware::kProductId},
};

}  // namespace

std::optional<SimulationMode> SimulationModeFromOption(std::string_view option) {
    if (option == "--simulate") return SimulationMode::Basic;
    if (option == "--simulate=all") return SimulationMode::All;
    return std::nullopt;
}

SimulationMode SimulationModeFromEnvironment(const char* value) {
    if (value == nullptr) return SimulationMode::Off;
    if (std::strcmp(value, "sim") == 0) return SimulationMode::Basic;
    if (std::strcmp(value, "sim-all") == 0) return SimulationMode::All;
    return SimulationMode::Off;
}

std::vector<std::string> DevicesPluggedAtStart(SimulationMode mode) {
    switch (mode) {
        case SimulationMode::Off:
            return {};
        case SimulationMode::Basic:
            return {"keyboard", "headset"};
        case SimulationMode::All:
            return {"keyboard", "mouse", "pad", "headset"};
    }
    return {};
}

std::vector<SupportedDeviceRow> WithSimulatorIdentities(std::span<const SupportedDeviceRow> rows) {
    std::vector<SupportedDeviceRow> result(rows.begin(), rows.end());
    for (SupportedDeviceRow& row : result) {
        for (const Identity& identity : kIdentities) {
            if (row.kind != identity.kind) continue;
            for (const Collection& collection : kCollections) {
                if (row.role == collection.role && row.interfaceNumber == kVendorInterface &&
                    row.collectionNumber == collection.number &&
                    row.usagePage == collection.usagePage && row.usage == collection.usage) {
                    row.vendorId = identity.vendorId;
                    row.productId = identity.productId;
                }
            }
        }
    }
    return result;
}

}  // namespace qx::sim
