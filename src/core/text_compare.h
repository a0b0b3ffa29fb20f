// Name comparisons that ignore letter case, as profile, macro and equaliser names are compared.
#pragma once

#include <string_view>

namespace qx {

// Equal when the texts differ only in the case of ASCII letters; other bytes (UTF-8 sequences
// included) must match exactly.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace qx
