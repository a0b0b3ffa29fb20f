#include <ostream>

#include "ctl/commands.h"

namespace qx::ctl {

// Not built yet: the simulator commands come with the program's bus service.
int RunSimCommand(Context& context, Args) {
    context.err << "qx580ctl: the sim command is not available in this build\n";
    return kExitFailure;
}

}  // namespace qx::ctl
