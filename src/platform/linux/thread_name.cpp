#include <pthread.h>

#include <string>

#include "platform/thread_name.h"

namespace qx::platform {

void NameThisThread(const char* name) {
    if (name == nullptr) return;
    const std::string cut = std::string(name).substr(0, 15);  // the kernel's limit
    ::pthread_setname_np(::pthread_self(), cut.c_str());
}

}  // namespace qx::platform
