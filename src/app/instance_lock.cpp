#include "app/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/paths.h"

namespace qx::app {

QString InstanceLock::DefaultPath() {
    QString folder = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
    return QDir(folder).filePath(
        QString::fromUtf8(kApplicationIdentity.data(), qsizetype(kApplicationIdentity.size())) +
        QStringLiteral(".lock"));
}

InstanceLock::InstanceLock(QString path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

bool InstanceLock::TryAcquire() {
    if (fd_ >= 0) return true;
    const QByteArray path = QFile::encodeName(path_);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = QStringLiteral("can't open %1: %2")
                     .arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error_ = errno == EWOULDBLOCK ? QStringLiteral("another instance runs")
                                      : QString::fromLocal8Bit(std::strerror(errno));
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

}  // namespace qx::app
