#include "sim/fault_plan.h"

namespace qx::sim {

FaultAction FaultPlan::Next(uint8_t command) {
    FaultAction action;
    for (auto it = faults_.begin(); it != faults_.end();) {
        Fault& fault = *it;
        if (fault.command != 0 && fault.command != command) {
            ++it;
            continue;
        }
        if (fault.skip > 0) {
            --fault.skip;
            ++it;
            continue;
        }
        switch (fault.kind) {
            case FaultKind::Silence:
                action.silent = true;
                break;
            case FaultKind::Status:
                action.overrideStatus = true;
                action.status = fault.status;
                break;
            case FaultKind::StrayReply:
                action.stray = true;
                break;
            case FaultKind::Unplug:
                action.unplug = true;
                break;
        }
        const bool spent =
            fault.kind == FaultKind::Unplug || (fault.count > 0 && --fault.count == 0);
        it = spent ? faults_.erase(it) : it + 1;
    }
    return action;
}

}  // namespace qx::sim
