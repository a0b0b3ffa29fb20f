// The single-instance rule: a lock file in the user's runtime folder, held for the life of the
// running program. The kernel drops the lock when the process ends, so a crash leaves no stale
// lock.
#pragma once

#include <QString>

namespace qx::app {

class InstanceLock {
  public:
    // The lock file: $XDG_RUNTIME_DIR / "MIRVEL QX-580 Device.lock"; without a runtime folder,
    // "MIRVEL QX-580 Device-<uid>.lock" in the temporary folder.
    static QString DefaultPath();

    explicit InstanceLock(QString path = DefaultPath());
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this object now holds the lock; false when another instance holds it or the
    // file can't be opened (Error() tells which).
    bool TryAcquire();
    bool Held() const { return fd_ >= 0; }
    QString Error() const { return error_; }

  private:
    QString path_;
    QString error_;
    int fd_ = -1;
};

}  // namespace qx::app
