// The single-instance rule: a lock held for the life of the running program, released by the
// system when the process ends (a crash leaves no stale lock).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace qx::platform {

class InstanceLock {
  public:
    virtual ~InstanceLock() = default;  // releases the lock when held

    // True when this object now holds the lock (or held it already). False when another
    // instance holds it (OtherInstanceRuns()) or the lock can't be taken at all (Error()).
    virtual bool TryAcquire() = 0;
    virtual bool Held() const = 0;
    virtual bool OtherInstanceRuns() const = 0;
    virtual const std::string& Error() const = 0;
};

// Where the lock of a program with this identity lives for the current user. On Linux:
// $XDG_RUNTIME_DIR / "<identity>.lock"; without a runtime folder, "<identity>-<uid>.lock" in the
// temporary folder.
std::string InstanceLockPath(std::string_view identity);

std::unique_ptr<InstanceLock> MakeInstanceLock(const std::string& path);

}  // namespace qx::platform
