#include "platform/hid_backend.h"

#include "platform/hid_change_notice.h"

namespace qx {
std::unique_ptr<HidChangeWatch> HidBackend::WatchChanges() {
    return MakeTimerChangeWatch(kDefaultRescanIntervalMs);
}

}  // namespace qx
