#include "platform/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <string>
#include <system_error>

namespace qx::platform {
namespace {

// Temporary names: "." + target name + ".tmp-" + writer's process id + "-" + counter.
constexpr std::string_view kTempMarker = ".tmp-";

std::atomic<unsigned> g_tempCounter{0};

bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a failure here does not undo the write, so it is ignored.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::filesystem::path TempPathFor(const std::filesystem::path& path) {
    return path.parent_path() /
           ("." + path.filename().string() + std::string(kTempMarker) + std::to_string(::getpid()) +
            "-" + std::to_string(g_tempCounter.fetch_add(1)));
}

// Writes bytes into a new temporary file beside path, flushed to disk. The temporary's path, or
// an empty one (errno set, nothing left behind) on failure.
std::filesystem::path WriteTemporary(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temp = TempPathFor(path);
    // A file that exists keeps its permission bits; a new one gets the usual 0666 & ~umask.
    mode_t mode = 0666;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return {};
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int saved = errno;
    const bool closed = ::close(fd) == 0;
    if (written && !closed) saved = errno;
    if (!written || !closed) {
        ::unlink(temp.c_str());
        errno = saved;
        return {};
    }
    return temp;
}

// The process id inside a temporary's name, or 0 when the name is not one of ours.
pid_t WriterOf(const std::string& name) {
    if (name.size() < 2 || name[0] != '.') return 0;
    const size_t marker = name.rfind(kTempMarker);
    if (marker == std::string::npos || marker < 2) return 0;
    const char* first = name.data() + marker + kTempMarker.size();
    const char* last = name.data() + name.size();
    long pid = 0;
    const auto [dash, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || dash == last || *dash != '-' || pid <= 0) return 0;
    unsigned counter = 0;
    const auto [end, counterError] = std::from_chars(dash + 1, last, counter);
    if (counterError != std::errc() || end != last) return 0;
    return static_cast<pid_t>(pid);
}

bool ProcessRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    if (path.filename().empty()) {
        errno = EINVAL;
        return false;
    }
    const std::filesystem::path temp = WriteTemporary(path, bytes);
    if (temp.empty()) return false;
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    }
    SyncFolder(path.parent_path());
    return true;
}

bool CreateFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    if (path.filename().empty()) {
        errno = EINVAL;
        return false;
    }
    const std::filesystem::path temp = WriteTemporary(path, bytes);
    if (temp.empty()) return false;
    // A hard link fails when the name exists, where a rename would replace it.
    const bool linked = ::link(temp.c_str(), path.c_str()) == 0;
    const int saved = errno;
    ::unlink(temp.c_str());
    if (!linked) {
        errno = saved;
        return false;
    }
    SyncFolder(path.parent_path());
    return true;
}

bool CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to) {
    const std::optional<std::string> content = ReadWholeFile(from);
    if (!content) return false;
    return WriteFileAtomically(to, *content);
}

int RemoveStaleTemporaries(const std::filesystem::path& folder) {
    int removed = 0;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return 0;
    for (const std::filesystem::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        const pid_t writer = WriterOf(name);
        if (writer == 0 || !entry.is_regular_file(error)) continue;
        // This process's own writes and those of running processes are in progress.
        if (writer == ::getpid() || ProcessRuns(writer)) continue;
        if (std::filesystem::remove(entry.path(), error)) ++removed;
    }
    return removed;
}

}  // namespace qx::platform
