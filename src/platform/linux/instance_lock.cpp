// The instance lock as an flock(2) on a file: the kernel drops it when the process ends.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/instance_lock.h"

namespace qx::platform {
namespace {

bool IsFolder(const char* path) {
    struct stat st {};
    return path != nullptr && *path != '\0' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

class FileInstanceLock final : public InstanceLock {
  public:
    explicit FileInstanceLock(std::string path) : path_(std::move(path)) {}
    ~FileInstanceLock() override {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    FileInstanceLock(const FileInstanceLock&) = delete;
    FileInstanceLock& operator=(const FileInstanceLock&) = delete;

    bool TryAcquire() override {
        if (fd_ >= 0) return true;
        otherRuns_ = false;
        const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            error_ = "can't open " + path_ + ": " + std::strerror(errno);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int code = errno;
            otherRuns_ = code == EWOULDBLOCK;
            error_ = otherRuns_ ? "another instance runs" : std::strerror(code);
            ::close(fd);
            return false;
        }
        // The holder's process id, for people looking at the file; the lock itself is what counts.
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) == 0) {
            [[maybe_unused]] const ssize_t written = ::write(fd, pid.data(), pid.size());
        }
        fd_ = fd;
        error_.clear();
        return true;
    }

    bool Held() const override { return fd_ >= 0; }
    bool OtherInstanceRuns() const override { return otherRuns_; }
    const std::string& Error() const override { return error_; }

  private:
    const std::string path_;
    std::string error_;
    bool otherRuns_ = false;
    int fd_ = -1;
};

}  // namespace

std::string InstanceLockPath(std::string_view identity) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsFolder(runtime)) return std::string(runtime) + "/" + std::string(identity) + ".lock";
    // The shared temporary folder: the user id keeps two users' programs apart.
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = IsFolder(tmp) ? std::string(tmp) : std::string("/tmp");
    return folder + "/" + std::string(identity) + "-" + std::to_string(::getuid()) + ".lock";
}

std::unique_ptr<InstanceLock> MakeInstanceLock(const std::string& path) {
    return std::make_unique<FileInstanceLock>(path);
}

}  // namespace qx::platform
