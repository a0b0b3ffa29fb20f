// Kept so that older includes still build: the user and program folders live in the platform
// layer.
#pragma once

#include "platform/user_folders.h"

namespace qx {

using platform::DefaultDataFolder;
using platform::DefaultProfilePath;
using platform::kApplicationIdentity;
using platform::ProgramDataFolder;
using platform::UserDeviceFolder;
using platform::UserFolder;

}  // namespace qx
