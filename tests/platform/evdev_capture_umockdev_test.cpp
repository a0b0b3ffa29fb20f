// The evdev capture on emulated input nodes: umockdev answers the evdev ioctls from a small
// capability description and the test writes the kernel's input events to the device side.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <umockdev.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/input_capture.h"

namespace qx::platform {
namespace {

using namespace std::chrono_literals;

struct Capabilities {
    std::string name;
    std::vector<int> keys;
    bool wheel = false;
};

class EmulatedInput {
  public:
    EmulatedInput() : testbed_(umockdev_testbed_new()) {
        pump_ = std::thread([this] {
            while (!stop_) {
                g_main_context_iteration(nullptr, FALSE);
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    ~EmulatedInput() {
        stop_ = true;
        pump_.join();
        for (auto* handler : handlers_) g_object_unref(handler);
        g_object_unref(testbed_);
    }

    // Adds /dev/input/event<number> with the capabilities; its device side for writing events.
    int Add(int number, Capabilities caps) {
        const std::string node = "event" + std::to_string(number);
        const std::string syspath =
            "/devices/virtual/input/input" + std::to_string(number) + "/" + node;
        const std::string tree = "P: " + syspath + "\nN: input/" + node +
                                 "\nE: SUBSYSTEM=input\nE: DEVNAME=/dev/input/" + node +
                                 "\nA: dev=13:" + std::to_string(64 + number) + "\n";
        GError* error = nullptr;
        EXPECT_TRUE(umockdev_testbed_add_from_string(testbed_, tree.c_str(), &error));
        caps_.push_back(std::make_unique<Handler>(Handler{std::move(caps), this}));
        auto* handler = umockdev_ioctl_base_new();
        g_signal_connect(handler, "handle-ioctl", G_CALLBACK(OnIoctl), caps_.back().get());
        handlers_.push_back(handler);
        const std::string dev = "/dev/input/" + node;
        EXPECT_TRUE(umockdev_testbed_attach_ioctl(testbed_, dev.c_str(), handler, &error));
        syspaths_.push_back("/sys" + syspath);
        devFds_.push_back(umockdev_testbed_get_dev_fd(testbed_, dev.c_str()));
        return devFds_.back();
    }

    // An unplug: the node is gone and the kernel hangs up on whoever had it open.
    void Remove(size_t index) {
        umockdev_testbed_remove_device(testbed_, syspaths_[index].c_str());
        ::close(devFds_[index]);
    }

    static void Send(int fd, std::vector<input_event> events) {
        input_event sync{};
        sync.type = EV_SYN;
        sync.code = SYN_REPORT;
        events.push_back(sync);
        const auto size = static_cast<ssize_t>(events.size() * sizeof(input_event));
        ASSERT_EQ(::write(fd, events.data(), static_cast<size_t>(size)), size);
    }

    bool SawRequest(unsigned long request) {
        std::lock_guard lock(mutex_);
        return requests_.count(request) > 0;
    }

  private:
    struct Handler {
        Capabilities caps;
        EmulatedInput* owner;
    };

    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
        const auto* handler = static_cast<Handler*>(data);
        const unsigned long request = umockdev_ioctl_client_get_request(client);
        {
            std::lock_guard lock(handler->owner->mutex_);
            handler->owner->requests_.insert(request);
        }
        const unsigned nr = _IOC_NR(request), size = _IOC_SIZE(request);
        if (_IOC_TYPE(request) != 'E' || !(_IOC_DIR(request) & _IOC_READ)) {
            umockdev_ioctl_client_complete(client, request == EVIOCGRAB ? 0 : -1,
                                           request == EVIOCGRAB ? 0 : ENOTTY);
            return TRUE;
        }
        std::vector<guint8> out(size, 0);
        long result = 0;
        const auto set = [&](int bit) {
            if (static_cast<unsigned>(bit) / 8 < size)
                out[bit / 8] |= static_cast<guint8>(1 << (bit % 8));
        };
        if (nr == 0x01) {
            const int version = EV_VERSION;
            std::memcpy(out.data(), &version, sizeof version);
        } else if (nr == 0x06) {
            std::strncpy(reinterpret_cast<char*>(out.data()), handler->caps.name.c_str(), size - 1);
            result = static_cast<long>(handler->caps.name.size() + 1);
        } else if (nr == 0x07 || nr == 0x08) {
            umockdev_ioctl_client_complete(client, -1, ENOENT);
            return TRUE;
        } else if (nr == 0x20) {
            set(EV_SYN);
            set(EV_KEY);
            if (handler->caps.wheel) set(EV_REL);
            result = size;
        } else if (nr == 0x20 + EV_KEY) {
            for (int key : handler->caps.keys) set(key);
            result = size;
        } else if (nr == 0x20 + EV_REL) {
            if (handler->caps.wheel) set(REL_WHEEL);
            result = size;
        } else if (nr >= 0x20 && nr < 0x40) {
            result = size;
        }
        GError* error = nullptr;
        UMockdevIoctlData* arg =
            umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, &error);
        if (!arg) {
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        umockdev_ioctl_data_update(arg, 0, out.data(), static_cast<gint>(size));
        umockdev_ioctl_client_complete(client, result, 0);
        return TRUE;
    }

    UMockdevTestbed* testbed_;
    std::vector<UMockdevIoctlBase*> handlers_;
    std::vector<std::unique_ptr<Handler>> caps_;
    std::vector<std::string> syspaths_;
    std::vector<int> devFds_;
    std::atomic<bool> stop_{false};
    std::thread pump_;
    std::mutex mutex_;
    std::set<unsigned long> requests_;
};

input_event Event(uint16_t type, uint16_t code, int32_t value) {
    input_event ev{};
    ev.type = type;
    ev.code = code;
    ev.value = value;
    return ev;
}

// What the sink got, in order, waited for.
class Received {
  public:
    InputCapture::Sink Sink() {
        return [this](const CapturedInput& input) {
            std::lock_guard lock(mutex_);
            inputs_.push_back(input);
            changed_.notify_all();
        };
    }
    InputCapture::Ended Ended() {
        return [this](CaptureEnd end) {
            std::lock_guard lock(mutex_);
            ended_ = end;
            changed_.notify_all();
        };
    }
    std::vector<CapturedInput> WaitFor(size_t count, std::chrono::milliseconds timeout = 3s) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return inputs_.size() >= count; });
        return inputs_;
    }
    std::optional<CaptureEnd> WaitEnd() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 3s, [&] { return ended_.has_value(); });
        return ended_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<CapturedInput> inputs_;
    std::optional<CaptureEnd> ended_;
};

TEST(EvdevCapture, KeysAndButtonsArriveAsScanCodesAndMouseMessagesWithoutAGrab) {
    EmulatedInput input;
    const int keyboard =
        input.Add(3, {"Test keyboard", {KEY_A, KEY_ENTER, KEY_RIGHTCTRL, KEY_KPENTER}});
    const int mouse =
        input.Add(4, {"Test mouse", {BTN_LEFT, BTN_RIGHT, BTN_SIDE, BTN_EXTRA}, true});
    input.Add(5, {"Power button", {KEY_POWER}});  // neither keyboard nor mouse
    Received received;
    auto capture = MakeEvdevCapture();
    const CaptureStart start = capture->Start(received.Sink(), received.Ended());
    ASSERT_EQ(start.status, CaptureStart::Status::Started) << start.message;
    EXPECT_EQ(start.devices, 2);

    EmulatedInput::Send(keyboard, {Event(EV_KEY, KEY_A, 1)});
    EmulatedInput::Send(keyboard, {Event(EV_KEY, KEY_A, 2)});  // auto-repeat
    EmulatedInput::Send(keyboard, {Event(EV_KEY, KEY_A, 0), Event(EV_KEY, KEY_RIGHTCTRL, 1),
                                   Event(EV_KEY, KEY_F24, 1), Event(EV_KEY, KEY_KPENTER, 0)});
    ASSERT_EQ(received.WaitFor(4).size(), 4u);
    EmulatedInput::Send(
        mouse, {Event(EV_KEY, BTN_LEFT, 1), Event(EV_REL, REL_X, 5), Event(EV_REL, REL_WHEEL, -1),
                Event(EV_KEY, BTN_SIDE, 1), Event(EV_KEY, BTN_EXTRA, 0)});
    const auto got = received.WaitFor(8);
    ASSERT_EQ(got.size(), 8u);
    const struct {
        CapturedInput::Kind kind;
        int scanOrMessage;
        bool extendedOrBack;
        bool down;
    } expected[] = {
        {CapturedInput::Kind::Key, 0x1E, false, true},
        {CapturedInput::Kind::Key, 0x1E, false, false},
        {CapturedInput::Kind::Key, 0x1D, true, true},
        {CapturedInput::Kind::Key, 0x1C, true, false},
        {CapturedInput::Kind::Mouse, kLeftDown, false, false},
        {CapturedInput::Kind::Mouse, kWheel, false, false},
        {CapturedInput::Kind::Mouse, kExtraDown, true, false},
        {CapturedInput::Kind::Mouse, kExtraUp, false, false},
    };
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].kind, expected[i].kind) << i;
        if (got[i].kind == CapturedInput::Kind::Key) {
            EXPECT_EQ(got[i].scanCode, expected[i].scanOrMessage) << i;
            EXPECT_EQ(got[i].extended, expected[i].extendedOrBack) << i;
            EXPECT_EQ(got[i].down, expected[i].down) << i;
        } else {
            EXPECT_EQ(got[i].message, expected[i].scanOrMessage) << i;
        }
    }
    EXPECT_EQ(got[6].extraButton, 1);  // side button: back
    EXPECT_EQ(got[7].extraButton, 2);  // extra button: forward
    EXPECT_FALSE(input.SawRequest(EVIOCGRAB));

    capture->Stop();
    EXPECT_FALSE(capture->Running());
    EmulatedInput::Send(keyboard, {Event(EV_KEY, KEY_ENTER, 1)});
    EXPECT_EQ(received.WaitFor(9, 100ms).size(), 8u);  // nothing after Stop
}

TEST(EvdevCapture, EndsWhenTheLastDeviceGoesAway) {
    EmulatedInput input;
    input.Add(6, {"Test keyboard", {KEY_A}});
    Received received;
    auto capture = MakeEvdevCapture();
    ASSERT_EQ(capture->Start(received.Sink(), received.Ended()).status,
              CaptureStart::Status::Started);
    input.Remove(0);
    EXPECT_EQ(received.WaitEnd(), CaptureEnd::DevicesGone);
    EXPECT_FALSE(capture->Running());
}

TEST(EvdevCapture, NoReadableDeviceSaysWhyAndNamesTheFix) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("qx-evdev-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    EXPECT_EQ(MakeEvdevCapture(folder.string())->Start({}, {}).status,
              CaptureStart::Status::NoDevices);

    // A node this user may not open. Root opens anything, so the check runs as nobody.
    const auto node = folder / "event0";
    { std::ofstream(node) << ""; }
    ::chmod(node.c_str(), 0600);
    ::chmod(folder.c_str(), 0755);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) _exit(3);
        const CaptureStart start = MakeEvdevCapture(folder.string())->Start({}, {});
        const bool namesFix = start.message.find("\"input\" group") != std::string::npos &&
                              start.message.find("inside this window") != std::string::npos;
        _exit(start.status == CaptureStart::Status::NoPermission && namesFix ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace qx::platform
