// Installs the simulated HID bus for the life of a command: a keyboard and a headset plugged in
// (--simulate), or a keyboard, a mouse, a pad and a headset (--simulate=all), whose rows of the
// supported-device table then carry the simulated identities.
#pragma once

#include <span>

#include "devices/supported_devices.h"
#include "platform/hid_backend.h"
#include "sim/sim_setup.h"

namespace qx::ctl {

class SimulationScope {
  public:
    explicit SimulationScope(sim::SimulationMode mode);
    ~SimulationScope();
    SimulationScope(const SimulationScope&) = delete;
    SimulationScope& operator=(const SimulationScope&) = delete;

  private:
    bool active_ = false;
};

// The supported-device table for the commands' slot tables: the simulated identities filled in
// under --simulate=all, the plain table otherwise.
std::span<const SupportedDeviceRow> SupportedRows();
// The HID backend of this run: the simulated bus while a simulation is active, else hidraw.
HidBackend& Backend();

}  // namespace qx::ctl
