// What each sub-command of qx580ctl takes: its usage lines (shown on a usage error) and, for
// "qx580ctl COMMAND --help", the same with examples.
#pragma once

#include <iosfwd>
#include <string_view>

namespace qx::ctl {

// The usage lines of `command`; nullptr for a command without an entry here (a command that
// answers --help itself).
const char* CommandUsage(std::string_view command);

// Writes the usage lines and examples of `command` to `out`; false when it has no entry here.
bool WriteCommandHelp(std::ostream& out, std::string_view command);

}  // namespace qx::ctl
