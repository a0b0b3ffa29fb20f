// How a program starts on the simulated bus: which devices are plugged at start, and the
// supported-device table that gives the simulated receiver, mouse and pad their slots.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "devices/supported_devices.h"

namespace qx::sim {

enum class SimulationMode {
    Off,    // the machine's own HID devices
    Basic,  // --simulate: a keyboard and a headset
    All,    // --simulate=all: a keyboard, a mouse, a pad and a headset
};

// The mode a "--simulate" option asks for: "--simulate" or "--simulate=all"; nullopt for any
// other text (also "--simulate=" with another value).
std::optional<SimulationMode> SimulationModeFromOption(std::string_view option);

// The mode the QX580_HID environment value asks for: "sim" or "sim-all"; Off for anything else.
SimulationMode SimulationModeFromEnvironment(const char* value);

// The device names plugged at start, in plug order (none for Off).
std::vector<std::string> DevicesPluggedAtStart(SimulationMode mode);

// A copy of `rows` in which every row of the keyboard through its receiver, the mouse (on its
// cable and through its receiver) and the mouse pad gets the vendor and product id of the
// simulated device whose node carries that row's interface, collection, usage page and usage
// in that role; other rows (and rows that do not fit a simulated device) are copied unchanged.
std::vector<SupportedDeviceRow> WithSimulatorIdentities(std::span<const SupportedDeviceRow> rows);

}  // namespace qx::sim
