#include "ctl/simulation.h"

namespace qx::ctl {

// The simulated bus is installed here once it exists; until then --simulate changes nothing.
SimulationScope::SimulationScope(bool simulate) : active_(simulate) {}

SimulationScope::~SimulationScope() = default;

}  // namespace qx::ctl
