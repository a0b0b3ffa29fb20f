// What the user is told when a change did not reach the keyboard or its profile, in the user's
// language.
#pragma once

#include <QString>

#include "core/result_codes.h"
#include "devices/base/user_message.h"

namespace qx::devices {

enum class WriteError { ProfileNotSaved, NotOnCable };

QString WriteErrorText(Result result);
QString WriteErrorText(WriteError error);

}  // namespace qx::devices
