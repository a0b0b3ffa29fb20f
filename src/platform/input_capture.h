// System-wide input capture for macro recording and key learning. A capture reads the machine's
// keyboards and mice only while a session runs, never grabs them (every key and click still
// reaches the program it was meant for) and ends on Stop, when the devices go away or when the
// caller's time-out runs out.
//
// Keys are named by their PC set-1 make code and extended flag; mouse events by the window
// message numbers the macro tables use (513/514 left, 516/517 right, 519/520 middle, 522 wheel,
// 523/524 extra button with `extraButton` 1 back or 2 forward).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qx::platform {

struct CapturedInput {
    enum class Kind { Key, Mouse };
    Kind kind = Kind::Key;
    // Kind::Key
    uint8_t scanCode = 0;
    bool extended = false;
    bool down = false;
    // Kind::Mouse
    int message = 0;
    int extraButton = 0;  // 1 back, 2 forward (messages 523/524)
    // Monotonic time of the event (the steady clock's epoch).
    std::chrono::milliseconds time{0};
};

inline constexpr int kMouseMove = 512;
inline constexpr int kLeftDown = 513;
inline constexpr int kLeftUp = 514;
inline constexpr int kRightDown = 516;
inline constexpr int kRightUp = 517;
inline constexpr int kMiddleDown = 519;
inline constexpr int kMiddleUp = 520;
inline constexpr int kWheel = 522;
inline constexpr int kExtraDown = 523;
inline constexpr int kExtraUp = 524;

enum class CaptureEnd { Stopped, DevicesGone };

struct CaptureStart {
    enum class Status {
        Started,       // at least one keyboard or mouse is being read
        NoPermission,  // input devices exist but none may be read by this user
        NoDevices,     // no keyboard or mouse found
    };
    Status status = Status::NoDevices;
    // For the user when not started: what is wrong and how to fix it.
    std::string message;
    int devices = 0;
};

class InputCapture {
  public:
    // Called on the capture's own thread, one event at a time.
    using Sink = std::function<void(const CapturedInput&)>;
    // Called once on the capture's thread when the last device went away.
    using Ended = std::function<void(CaptureEnd)>;

    virtual ~InputCapture() = default;
    // Opens the input devices and starts reading them; a running capture is stopped first.
    virtual CaptureStart Start(Sink sink, Ended ended) = 0;
    // Stops reading and closes the devices; no sink call follows its return.
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
};

// The evdev capture over the event nodes of `inputFolder` (/dev/input/event*).
std::unique_ptr<InputCapture> MakeEvdevCapture(std::string inputFolder = "/dev/input");

// What the user is told when the input devices may not be read (names the group and udev fix).
std::string InputPermissionHint();

}  // namespace qx::platform
