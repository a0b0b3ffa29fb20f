// Readable test failure messages for the update service's enums.
#pragma once

#include <ostream>

#include "settings/update_check.h"
#include "settings/update_result.h"

namespace qx {

inline void PrintTo(UpdateError error, std::ostream* out) { *out << UpdateErrorName(error); }

inline void PrintTo(UpdateCheckStatus status, std::ostream* out) {
    *out << "status " << static_cast<int>(status);
}

}  // namespace qx
