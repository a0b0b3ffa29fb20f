// Identifiers read from files ("Guid", "profileUUID") become file names. One that could leave
// its folder is refused wherever it is used, so a crafted file cannot make the program read,
// overwrite or delete files elsewhere.
#pragma once

#include <string_view>

namespace qx {

// True for a non-empty name without path separators or control characters that is neither
// "." nor "..".
bool IsSafeFileStem(std::string_view name);

}  // namespace qx
