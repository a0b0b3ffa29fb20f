#include "ctl/simulation.h"

#include <memory>
#include <vector>

#include "platform/hid_backend.h"
#include "sim/sim_bus.h"

namespace qx::ctl {
namespace {

std::unique_ptr<sim::SimBus> g_bus;
std::vector<SupportedDeviceRow> g_rows;

}  // namespace

SimulationScope::SimulationScope(sim::SimulationMode mode)
    : active_(mode != sim::SimulationMode::Off) {
    if (!active_) return;
    g_bus = std::make_unique<sim::SimBus>();
    for (const std::string& device : sim::DevicesPluggedAtStart(mode)) g_bus->Plug(device);
    if (mode == sim::SimulationMode::All) g_rows = sim::WithSimulatorIdentities(kSupportedDevices);
}

SimulationScope::~SimulationScope() {
    if (!active_) return;
    g_bus.reset();
    g_rows.clear();
}

HidBackend& Backend() {
    if (g_bus) return *g_bus;
    return HidrawBackend();
}

std::span<const SupportedDeviceRow> SupportedRows() {
    if (!g_rows.empty()) return g_rows;
    return kSupportedDevices;
}

}  // namespace qx::ctl
