// System-wide capture through the kernel's evdev nodes. The nodes are opened read-only and are
// never grabbed (EVIOCGRAB), so every key and click still reaches the desktop: the capture only
// listens. Reading needs permission on /dev/input/event*, normally the "input" group.
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "core/diagnostics.h"
#include "macros/linux_key_codes.h"
#include "platform/input_capture.h"
#include "platform/thread_name.h"

namespace qx::platform {
namespace {

struct Node {
    int fd = -1;
    libevdev* dev = nullptr;
    std::string path;
};

void Close(Node& node) {
    if (node.dev) libevdev_free(node.dev);
    if (node.fd >= 0) ::close(node.fd);
    node = {};
}

// The mouse message of a button; 0 for buttons the macros do not know.
int ButtonMessage(unsigned code, bool down, int& extraButton) {
    extraButton = 0;
    switch (code) {
        case BTN_LEFT:
            return down ? kLeftDown : kLeftUp;
        case BTN_RIGHT:
            return down ? kRightDown : kRightUp;
        case BTN_MIDDLE:
            return down ? kMiddleDown : kMiddleUp;
        case BTN_SIDE:
        case BTN_BACK:
            extraButton = 1;
            return down ? kExtraDown : kExtraUp;
        case BTN_EXTRA:
        case BTN_FORWARD:
            extraButton = 2;
            return down ? kExtraDown : kExtraUp;
        default:
            return 0;
    }
}

class EvdevCapture final : public InputCapture {
  public:
    explicit EvdevCapture(std::string folder) : folder_(std::move(folder)) {}
    ~EvdevCapture() override { Stop(); }

    CaptureStart Start(Sink sink, Ended ended) override {
        Stop();
        CaptureStart start;
        int refused = 0;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("event", 0) != 0) continue;
            Node node;
            node.path = entry.path().string();
            node.fd = ::open(node.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (node.fd < 0) {
                if (errno == EACCES || errno == EPERM) ++refused;
                continue;
            }
            if (libevdev_new_from_fd(node.fd, &node.dev) != 0 || !IsKeyboardOrMouse(node.dev)) {
                Close(node);
                continue;
            }
            DebugLine("input capture: reading " + node.path + " (" +
                      (libevdev_get_name(node.dev) ? libevdev_get_name(node.dev) : "") + ")");
            nodes_.push_back(node);
        }
        start.devices = static_cast<int>(nodes_.size());
        if (nodes_.empty()) {
            start.status =
                refused > 0 ? CaptureStart::Status::NoPermission : CaptureStart::Status::NoDevices;
            start.message = refused > 0 ? InputPermissionHint()
                                        : "No keyboard or mouse was found in " + folder_ + ".";
            return start;
        }
        wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        sink_ = std::move(sink);
        ended_ = std::move(ended);
        running_ = true;
        thread_ = std::thread([this] { Run(); });
        start.status = CaptureStart::Status::Started;
        return start;
    }

    void Stop() override {
        if (thread_.joinable()) {
            const uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
            thread_.join();
        }
        for (Node& node : nodes_) Close(node);
        nodes_.clear();
        if (wake_ >= 0) ::close(wake_);
        wake_ = -1;
        running_ = false;
    }

    bool Running() const override { return running_; }

  private:
    static bool IsKeyboardOrMouse(const libevdev* dev) {
        if (!libevdev_has_event_type(dev, EV_KEY)) return false;
        return libevdev_has_event_code(dev, EV_KEY, KEY_A) ||
               libevdev_has_event_code(dev, EV_KEY, KEY_ENTER) ||
               libevdev_has_event_code(dev, EV_KEY, BTN_LEFT);
    }

    void Run() {
        NameThisThread("qx-input");
        std::vector<pollfd> fds;
        while (true) {
            fds.clear();
            fds.push_back({wake_, POLLIN, 0});
            for (const Node& node : nodes_) fds.push_back({node.fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (fds[0].revents) return;  // stopped
            // Nodes in the order they were opened, so that what one device sent in one poll
            // keeps its order; nodes that went away are closed after the pass.
            std::vector<size_t> gone;
            for (size_t i = 1; i < fds.size(); ++i) {
                Node& node = nodes_[i - 1];
                if ((fds[i].revents & POLLIN) && !Drain(node))
                    gone.push_back(i - 1);
                else if (fds[i].revents & (POLLHUP | POLLERR | POLLNVAL))
                    gone.push_back(i - 1);
            }
            for (auto it = gone.rbegin(); it != gone.rend(); ++it) {
                DebugLine("input capture: " + nodes_[*it].path + " went away");
                Close(nodes_[*it]);
                nodes_.erase(nodes_.begin() + static_cast<long>(*it));
            }
            if (nodes_.empty()) {
                running_ = false;
                if (ended_) ended_(CaptureEnd::DevicesGone);
                return;
            }
        }
    }

    // Reads what the node has; false when the node is gone.
    bool Drain(Node& node) {
        unsigned flag = LIBEVDEV_READ_FLAG_NORMAL;
        while (true) {
            input_event ev{};
            const int rc = libevdev_next_event(node.dev, flag, &ev);
            if (rc == -EAGAIN) {
                if (flag == LIBEVDEV_READ_FLAG_SYNC) {
                    flag = LIBEVDEV_READ_FLAG_NORMAL;
                    continue;
                }
                return true;
            }
            if (rc == LIBEVDEV_READ_STATUS_SYNC) {
                // Events were lost; what was pressed meanwhile is not replayed as input.
                flag = LIBEVDEV_READ_FLAG_SYNC;
                continue;
            }
            if (rc < 0) return false;
            if (flag == LIBEVDEV_READ_FLAG_NORMAL) Deliver(ev);
        }
    }

    void Deliver(const input_event& ev) {
        CapturedInput input;
        input.time = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        if (ev.type == EV_KEY) {
            if (ev.value == 2) return;  // auto-repeat
            const bool down = ev.value == 1;
            if (const auto scan = macros::ScanKeyFromLinuxKey(ev.code)) {
                input.kind = CapturedInput::Kind::Key;
                input.scanCode = scan->scanCode;
                input.extended = scan->extended;
                input.down = down;
            } else if (const int message = ButtonMessage(ev.code, down, input.extraButton)) {
                input.kind = CapturedInput::Kind::Mouse;
                input.message = message;
            } else {
                return;
            }
        } else if (ev.type == EV_REL && ev.code == REL_WHEEL && ev.value != 0) {
            input.kind = CapturedInput::Kind::Mouse;
            input.message = kWheel;
        } else {
            return;
        }
        if (sink_) sink_(input);
    }

    std::string folder_;
    std::vector<Node> nodes_;
    int wake_ = -1;
    std::thread thread_;
    Sink sink_;
    Ended ended_;
    std::atomic<bool> running_{false};
};

}  // namespace

std::unique_ptr<InputCapture> MakeEvdevCapture(std::string inputFolder) {
    return std::make_unique<EvdevCapture>(std::move(inputFolder));
}

std::string InputPermissionHint() {
    return "This user may not read the keyboards and mice (/dev/input/event*), so keys typed in "
           "other windows cannot be recorded; recording inside this window still works. To record "
           "system-wide, add the user to the \"input\" group (sudo usermod -aG input $USER) and "
           "log in again.";
}

}  // namespace qx::platform
