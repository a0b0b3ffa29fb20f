// The hidraw backend: nodes listed with libudev, reports moved through /dev/hidrawN.
//
// Listing is cheap when nothing changes: the backend keeps a udev monitor on the "hidraw"
// subsystem and answers from the last listing while the monitor has reported nothing. Any
// event, a monitor error (a lost event included) or a listing older than kRescanAfter triggers a
// full scan, so a machine whose monitor stays silent (no udev daemon) still sees changes within
// that bound.
//
// Change watches (for discovery) each keep a monitor of their own and sleep on its socket, so
// that a plug or unplug wakes them at once and nothing else does. Where no udev daemon runs, the
// kernel's events may not reach this process (containers), so there a watch also wakes every
// kDefaultRescanIntervalMs.
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "platform/hid_backend.h"
#include "platform/platform_log.h"

namespace qx {
namespace {

constexpr auto kRescanAfter = std::chrono::seconds(2);
constexpr size_t kMaxDescriptorBytes = 65536;
constexpr const char* kRulePath = "data/udev/70-qx580.rules";

std::optional<unsigned long> ParseHex(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.empty() || text.size() > 16) return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned long>(digit);
    }
    return value;
}

// "0003:00003A5C:00007031" (HID_ID) or "0003:3A5C:7031.0001" (the hid device's name).
bool ParseHidId(std::string_view text, uint16_t& vendor, uint16_t& product) {
    const size_t first = text.find(':');
    if (first == std::string_view::npos) return false;
    const size_t second = text.find(':', first + 1);
    if (second == std::string_view::npos) return false;
    std::string_view productText = text.substr(second + 1);
    productText = productText.substr(0, productText.find('.'));
    const auto v = ParseHex(text.substr(first + 1, second - first - 1));
    const auto p = ParseHex(productText);
    if (!v || !p) return false;
    vendor = static_cast<uint16_t>(*v & 0xFFFF);
    product = static_cast<uint16_t>(*p & 0xFFFF);
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes.clear();
    uint8_t chunk[4096];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<size_t>(n) > kMaxDescriptorBytes) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    ::close(fd);
    return ok;
}

// The kernel's copy of the descriptor, for a node whose sysfs lacks report_descriptor.
bool DescriptorFromIoctl(const char* devnode, std::vector<uint8_t>& bytes) {
    const int fd = ::open(devnode, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int size = 0;
    hidraw_report_descriptor descriptor{};
    bool ok =
        ::ioctl(fd, HIDIOCGRDESCSIZE, &size) == 0 && size > 0 && size <= HID_MAX_DESCRIPTOR_SIZE;
    if (ok) {
        descriptor.size = static_cast<uint32_t>(size);
        ok = ::ioctl(fd, HIDIOCGRDESC, &descriptor) == 0;
    }
    ::close(fd);
    if (ok) bytes.assign(descriptor.value, descriptor.value + descriptor.size);
    return ok;
}

// Where /sys/class/hidraw/<name> points: it names the hid device with its instance number,
// which changes on every replug, so it tells a new device from the old one on the same node.
std::string SysfsIdentity(const std::string& nodePath) {
    const size_t slash = nodePath.rfind('/');
    const std::string name = nodePath.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty()) return {};
    const std::string link = "/sys/class/hidraw/" + name;
    char target[512];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) return {};
    return std::string(target, static_cast<size_t>(n));
}

std::string PermissionText(const std::string& nodePath) {
    return "no permission to open " + nodePath +
           ": this user may not use the HID node. Install the udev rule " + kRulePath +
           " (sudo cp data/udev/70-qx580.rules /etc/udev/rules.d/ && sudo udevadm control "
           "--reload && sudo udevadm trigger), then unplug and replug the device";
}

class HidrawConnection final : public HidNodeConnection {
  public:
    HidrawConnection(int fd, int cancelFd) : fd_(fd), cancelFd_(cancelFd) {}
    ~HidrawConnection() override {
        ::close(fd_);
        ::close(cancelFd_);
    }
    HidrawConnection(const HidrawConnection&) = delete;
    HidrawConnection& operator=(const HidrawConnection&) = delete;

    HidIoStatus ReadReport(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs) override {
        bytesRead = 0;
        return Transfer(POLLIN, timeoutMs, [&]() -> std::optional<HidIoStatus> {
            const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
            if (n > 0) {
                bytesRead = static_cast<size_t>(n);
                return HidIoStatus::Ok;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return std::nullopt;
            return HidIoStatus::Failed;  // end of file or EIO/ENODEV: the device is gone
        });
    }

    HidIoStatus WriteReport(std::span<const uint8_t> report, int timeoutMs) override {
        if (report.empty()) return HidIoStatus::Failed;
        return Transfer(POLLOUT, timeoutMs, [&]() -> std::optional<HidIoStatus> {
            const ssize_t n = ::write(fd_, report.data(), report.size());
            if (n == static_cast<ssize_t>(report.size())) return HidIoStatus::Ok;
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return std::nullopt;
            return HidIoStatus::Failed;
        });
    }

    void Cancel() override {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(cancelFd_, &one, sizeof one);
    }

  private:
    // Waits for the node to be ready (or the cancel signal, or the time-out), then tries the
    // transfer; a transfer that would block waits again within the same time-out.
    template <typename Attempt>
    HidIoStatus Transfer(short events, int timeoutMs, Attempt attempt) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            int wait = -1;
            if (timeoutMs >= 0) {
                // Rounded up: poll must not wake before the deadline.
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
            }
            pollfd fds[2] = {{cancelFd_, POLLIN, 0}, {fd_, events, 0}};
            const int ready = ::poll(fds, 2, wait);
            if (ready < 0) {
                if (errno == EINTR) continue;
                return HidIoStatus::Failed;
            }
            if ((fds[0].revents & POLLIN) != 0) {
                uint64_t count = 0;  // reading clears the signal: auto reset
                [[maybe_unused]] const ssize_t n = ::read(cancelFd_, &count, sizeof count);
                return HidIoStatus::Cancelled;
            }
            if (ready == 0) {
                if (timeoutMs >= 0 && Clock::now() >= deadline) return HidIoStatus::TimedOut;
                continue;
            }
            const short revents = fds[1].revents;
            if ((revents & events) != 0) {
                if (const auto status = attempt()) return *status;
                continue;
            }
            if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return HidIoStatus::Failed;
        }
    }

    const int fd_;
    const int cancelFd_;
};

bool UdevDaemonRuns() {
    struct stat st {};
    return ::stat("/run/udev/control", &st) == 0;
}

// A monitor on the "hidraw" subsystem: "udev" events (sent once the daemon has set up the node)
// where the daemon runs, the kernel's own otherwise. nullptr when it can't be set up.
udev_monitor* NewHidrawMonitor(udev* context) {
    if (context == nullptr) return nullptr;
    udev_monitor* monitor =
        udev_monitor_new_from_netlink(context, UdevDaemonRuns() ? "udev" : "kernel");
    if (monitor != nullptr &&
        (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
         udev_monitor_enable_receiving(monitor) < 0)) {
        udev_monitor_unref(monitor);
        monitor = nullptr;
    }
    return monitor;
}

// Reads what the monitor has queued. True when there was anything (or the socket reported an
// error, a lost event included): a scan too many costs little.
bool DrainMonitor(udev_monitor* monitor) {
    bool changed = false;
    for (int drained = 0; drained < 4096; ++drained) {
        pollfd fd{udev_monitor_get_fd(monitor), POLLIN, 0};
        const int ready = ::poll(&fd, 1, 0);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        changed = true;
        if ((fd.revents & POLLIN) == 0) break;  // error on the socket: scan anyway
        if (udev_device* device = udev_monitor_receive_device(monitor)) {
            udev_device_unref(device);
        }
    }
    return changed;
}

class HidrawChangeWatch final : public HidChangeWatch {
  public:
    HidrawChangeWatch()
        : udev_(udev_new()),
          monitor_(NewHidrawMonitor(udev_)),
          wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        if (monitor_ == nullptr || !UdevDaemonRuns())
            rescanIntervalMs_ = HidBackend::kDefaultRescanIntervalMs;
    }
    ~HidrawChangeWatch() override {
        if (wakeFd_ >= 0) ::close(wakeFd_);
        if (monitor_ != nullptr) udev_monitor_unref(monitor_);
        if (udev_ != nullptr) udev_unref(udev_);
    }
    HidrawChangeWatch(const HidrawChangeWatch&) = delete;
    HidrawChangeWatch& operator=(const HidrawChangeWatch&) = delete;

    Wake Wait(int timeoutMs) override {
        using Clock = std::chrono::steady_clock;
        const bool rescanFirst =
            rescanIntervalMs_ > 0 && (timeoutMs < 0 || rescanIntervalMs_ < timeoutMs);
        const int limit = rescanFirst ? rescanIntervalMs_ : timeoutMs;
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(limit, 0));
        for (;;) {
            int wait = -1;
            if (limit >= 0) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
            }
            pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                             {monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1, POLLIN, 0}};
            const int ready = ::poll(fds, 2, wait);
            if (ready < 0) {
                if (errno == EINTR) continue;
                return Wake::Changed;  // can't wait: let the caller look again
            }
            if ((fds[0].revents & POLLIN) != 0) {
                uint64_t count = 0;  // reading clears the signal: auto reset
                [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
                return Wake::Interrupted;
            }
            if (fds[1].revents != 0 && DrainMonitor(monitor_)) return Wake::Changed;
            if (ready == 0 || fds[1].revents == 0) {
                if (limit >= 0 && Clock::now() >= deadline) {
                    return rescanFirst ? Wake::Changed : Wake::TimedOut;
                }
            }
        }
    }

    void Interrupt() override {
        const uint64_t one = 1;
        if (wakeFd_ >= 0) [[maybe_unused]]
            const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }

  private:
    udev* udev_;
    udev_monitor* monitor_;
    const int wakeFd_;
    int rescanIntervalMs_ = -1;
};

class Hidraw final : public HidBackend {
  public:
    Hidraw() : udev_(udev_new()), monitor_(NewHidrawMonitor(udev_)) {}
    ~Hidraw() override {
        if (monitor_ != nullptr) udev_monitor_unref(monitor_);
        if (udev_ != nullptr) udev_unref(udev_);
    }
    Hidraw(const Hidraw&) = delete;
    Hidraw& operator=(const Hidraw&) = delete;

    bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) override {
        std::lock_guard lock(mutex_);
        if (!Refresh()) return false;
        nodes.clear();
        nodes.reserve(listing_.size());
        for (const Entry& entry : listing_) nodes.push_back(entry.info);
        return true;
    }

    bool DescribeNode(const std::string& nodePath, HidNodeInfo& info) override {
        std::lock_guard lock(mutex_);
        if (!Refresh()) return false;
        for (const Entry& entry : listing_) {
            if (entry.info.nodePath == nodePath) {
                info = entry.info;
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<HidNodeConnection> OpenNode(const std::string& nodePath, bool read, bool write,
                                                std::string& error) override {
        int access = O_RDONLY;
        if (write) access = read ? O_RDWR : O_WRONLY;
        const int fd = ::open(nodePath.c_str(), access | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            const int code = errno;
            if (code == EACCES || code == EPERM) {
                error = PermissionText(nodePath);
            } else {
                error = "cannot open " + nodePath + ": " + std::strerror(code);
            }
            platform::PlatformLog("hidraw: " + error);
            return nullptr;
        }
        const int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (cancelFd < 0) {
            error = std::string("cannot create the cancel signal: ") + std::strerror(errno);
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<HidrawConnection>(fd, cancelFd);
    }

    std::unique_ptr<HidChangeWatch> WatchChanges() override {
        return std::make_unique<HidrawChangeWatch>();
    }

    bool NodePresent(const std::string& nodePath) override {
        struct stat st {};
        if (::stat(nodePath.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
        std::string known;
        {
            std::lock_guard lock(mutex_);
            const auto it = identities_.find(nodePath);
            if (it == identities_.end()) return true;  // never listed: the node is all we know
            known = it->second;
        }
        return SysfsIdentity(nodePath) == known;
    }

  private:
    struct Entry {
        HidNodeInfo info;
    };

    // True when the monitor reported anything since the last call (or cannot be trusted).
    bool MonitorSawChanges() { return monitor_ == nullptr || DrainMonitor(monitor_); }

    bool Refresh() {
        if (udev_ == nullptr) return false;
        const auto now = std::chrono::steady_clock::now();
        const bool changed = MonitorSawChanges();
        if (haveListing_ && !changed && now - scannedAt_ < kRescanAfter) return true;
        std::vector<Entry> entries;
        if (!Scan(entries)) return false;
        listing_ = std::move(entries);
        identities_.clear();
        for (const Entry& entry : listing_) {
            identities_[entry.info.nodePath] = SysfsIdentity(entry.info.nodePath);
        }
        scannedAt_ = now;
        haveListing_ = true;
        return true;
    }

    bool Scan(std::vector<Entry>& entries) {
        udev_enumerate* enumerate = udev_enumerate_new(udev_);
        if (enumerate == nullptr) return false;
        if (udev_enumerate_add_match_subsystem(enumerate, "hidraw") < 0 ||
            udev_enumerate_scan_devices(enumerate) < 0) {
            udev_enumerate_unref(enumerate);
            return false;
        }
        udev_list_entry* item = nullptr;
        udev_list_entry_foreach(item, udev_enumerate_get_list_entry(enumerate)) {
            udev_device* device =
                udev_device_new_from_syspath(udev_, udev_list_entry_get_name(item));
            if (device == nullptr) continue;  // vanished between listing and lookup
            Entry entry;
            if (Describe(device, entry.info)) entries.push_back(std::move(entry));
            udev_device_unref(device);
        }
        udev_enumerate_unref(enumerate);
        return true;
    }

    static bool Describe(udev_device* device, HidNodeInfo& info) {
        const char* devnode = udev_device_get_devnode(device);
        if (devnode == nullptr) return false;
        info.nodePath = devnode;
        udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
        if (hid != nullptr) {
            const char* hidId = udev_device_get_property_value(hid, "HID_ID");
            if (hidId == nullptr || !ParseHidId(hidId, info.vendorId, info.productId)) {
                if (const char* name = udev_device_get_sysname(hid)) {
                    ParseHidId(name, info.vendorId, info.productId);
                }
            }
            const std::string descriptorPath =
                std::string(udev_device_get_syspath(hid)) + "/report_descriptor";
            if (!ReadWholeFile(descriptorPath, info.reportDescriptor)) {
                info.reportDescriptor.clear();
            }
        }
        if (info.reportDescriptor.empty() && !DescriptorFromIoctl(devnode, info.reportDescriptor)) {
            info.reportDescriptor.clear();
        }
        if (udev_device* intf =
                udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_interface")) {
            if (const char* number = udev_device_get_sysattr_value(intf, "bInterfaceNumber")) {
                if (const auto value = ParseHex(number))
                    info.interfaceNumber = static_cast<int>(*value);
            }
        }
        if (udev_device* usb =
                udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device")) {
            if (const char* bcd = udev_device_get_sysattr_value(usb, "bcdDevice")) {
                if (const auto value = ParseHex(bcd)) info.version = static_cast<uint16_t>(*value);
            }
        }
        return true;
    }

    std::mutex mutex_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::vector<Entry> listing_;
    std::unordered_map<std::string, std::string> identities_;  // node path -> sysfs identity
    std::chrono::steady_clock::time_point scannedAt_{};
    bool haveListing_ = false;
};

}  // namespace

HidBackend& HidrawBackend() {
    static Hidraw backend;
    return backend;
}

}  // namespace qx
