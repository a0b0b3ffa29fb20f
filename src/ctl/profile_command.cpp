#include <ostream>

#include "ctl/commands.h"

namespace qx::ctl {

// Not built yet: the profile commands come with their area.
int RunProfileCommand(Context& context, Args) {
    context.err << "qx580ctl: the profile command is not available in this build\n";
    return kExitFailure;
}

}  // namespace qx::ctl
