// The one way diagnostic lines leave the program: standard error, when QX580_DEBUG=1.
#pragma once

#include <string_view>

namespace qx {

// True when QX580_DEBUG is set to 1 (read once).
bool DebugEnabled();

// Writes one line (a newline is added unless the text ends with one). Lines from different
// threads never interleave.
void DebugLine(std::string_view text);

// Redirects diagnostic lines to a callback (tests); nullptr restores standard error.
using DebugSink = void (*)(std::string_view line, void* context);
void SetDebugSink(DebugSink sink, void* context);

}  // namespace qx
