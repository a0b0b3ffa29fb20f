#include "ctl/simulation.h"

#include <memory>

#include "platform/hid_backend.h"
#include "sim/sim_bus.h"

namespace qx::ctl {
namespace {

std::unique_ptr<sim::SimBus> g_bus;

}  // namespace

SimulationScope::SimulationScope(bool simulate) : active_(simulate) {
    if (!active_) return;
    g_bus = std::make_unique<sim::SimBus>();
    g_bus->Plug("keyboard");
    g_bus->Plug("headset");
    SetActiveHidBackend(g_bus.get());
}

SimulationScope::~SimulationScope() {
    if (!active_) return;
    SetActiveHidBackend(nullptr);
    g_bus.reset();
}

}  // namespace qx::ctl
