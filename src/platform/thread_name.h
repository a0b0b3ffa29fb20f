// Names the calling thread as tools that list a process's threads show it (top -H, /proc's
// comm). At most 15 characters are kept.
#pragma once

namespace qx::platform {

void NameThisThread(const char* name);

}  // namespace qx::platform
