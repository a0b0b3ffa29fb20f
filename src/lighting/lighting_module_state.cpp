#include "lighting/lighting_module_state.h"

namespace qx::lighting {

void LightingModuleState::Reset() {
    std::lock_guard lock(mutex);
    staggeredPhase = {};
    overlay = OverlayCounters{};
    playerPasses = 0;
    beatAccumulator = 0;
    sync = SyncCounters{};
}

LightingModuleState& LightingModule() {
    static LightingModuleState state;
    return state;
}

}  // namespace qx::lighting
