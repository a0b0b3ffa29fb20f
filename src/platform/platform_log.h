// Diagnostic lines of the platform layer. The layer sits below the program's own diagnostics, so
// the program connects the two at start (SetPlatformLogSink(&DebugLine)); until then the lines
// are dropped.
#pragma once

#include <string_view>

namespace qx::platform {

using LogSink = void (*)(std::string_view line);
void SetPlatformLogSink(LogSink sink);  // nullptr drops the lines again
void PlatformLog(std::string_view line);

}  // namespace qx::platform
