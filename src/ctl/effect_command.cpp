#include <ostream>

#include "ctl/commands.h"

namespace qx::ctl {

// Not built yet: the effect commands come with their area.
int RunEffectCommand(Context& context, Args) {
    context.err << "qx580ctl: the effect command is not available in this build\n";
    return kExitFailure;
}

}  // namespace qx::ctl
