#include <ostream>

#include "ctl/commands.h"

namespace qx::ctl {

int RunHidCommand(Context& context, Args) {
    context.err << "qx580ctl: the hid command is not available in this build\n";
    return kExitFailure;
}

int RunDeviceCommand(Context& context, Args) {
    context.err << "qx580ctl: the device command is not available in this build\n";
    return kExitFailure;
}

}  // namespace qx::ctl
