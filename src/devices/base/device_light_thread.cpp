// The device's light thread and what it hands on: changed frames to the picture (through the
// frame timer of the device's list entry) and, where the device takes them, to the device on
// the device's worker.
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "devices/base/device_option_ui.h"
#include "devices/base/led_button.h"
#include "devices/base/led_picture.h"
#include "devices/base/orvane_usb_device.h"

namespace qx::devices {

namespace {

using Clock = std::chrono::steady_clock;
using lighting::LightThread;

// After this long without a change of the frame or of the effect state the effect stands still
// and the thread rests until something wakes it. Longer than the slowest blink (8 x 200 ms)
// and the slowest step, so that an effect that changes only now and then is not taken for one
// that never does.
constexpr auto kStillAfter = std::chrono::milliseconds(2500);
// The pause of the stream after a frame the device did not take.
constexpr auto kStreamBackOff = std::chrono::milliseconds(200);

// Follows the page's visibility: a page is shown when it is the current page of a shown (and not
// minimised) window.
class PictureWatch final : public QObject {
  public:
    PictureWatch(QWidget* page, std::function<void(bool)> changed)
        : QObject(page), changed_(std::move(changed)) {
        page->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // A minimised window's page stays "visible" but gets a hide event: it is not seen.
        if (event->type() == QEvent::Show) changed_(true);
        if (event->type() == QEvent::Hide) changed_(false);
        return false;
    }

  private:
    std::function<void(bool)> changed_;
};

}  // namespace

struct COrvaneUSBDevice::LightThreadState {
    LightThread thread;
    std::atomic<bool> pictureShown{false};
    QPointer<QObject> watch;  // UI thread
    // The widget that draws the picture's LEDs (UI thread).
    QPointer<CLedPictureUI> picture;

    // The thread's own view of what it drew last (light thread only).
    lighting::LightFrame lastFrame{};
    lighting::EffectState lastState{};
    Clock::time_point lastChange{};
    // Set by a wake-up: something the effect draws from changed.
    std::atomic<bool> input{false};

    // The frame waiting for the worker; a newer one replaces it.
    mutable std::mutex streamMutex;
    std::array<uint8_t, DeviceLink::kMaxBlockSize> pending{};
    size_t pendingLength = 0;
    bool hasPending = false;
    bool jobQueued = false;
    Clock::time_point backOffUntil{};
    StreamCounts counts;
};

std::shared_ptr<COrvaneUSBDevice::LightThreadState> COrvaneUSBDevice::MakeLightThreadState() {
    return std::make_shared<LightThreadState>();
}

// --- start and stop

void COrvaneUSBDevice::StartLightThread() {
    // The end of first contact: a lighting change made while it ran comes last.
    if (Worker().OnWorkerThread()) {
        ApplyHeldLightChange();
    } else {
        Post([this] { ApplyHeldLightChange(); });
    }
    LightThreadState& s = *lightThread_;
    // The old thread ends before its view of the frame starts again.
    s.thread.Stop();
    s.lastFrame = lighting::LightFrame{};
    s.lastState = lighting::EffectState{};
    s.lastChange = Clock::now();
    if (lighting_) lighting_->SetInputHook([this] { WakeLightThread(); });
    const char* name = "light";
    std::string exitLine = "灯光线程设定退出";
    switch (kind_) {
        case DeviceKind::KeyboardWired:
        case DeviceKind::KeyboardWireless:
            name = "kb-light";
            exitLine = "KB灯光线程设定退出";
            break;
        case DeviceKind::MouseWired:
        case DeviceKind::MouseWireless:
            name = "ms-light";
            break;
        case DeviceKind::MousePad:
            name = "mp-light";
            break;
        case DeviceKind::Headset:
            name = "hs-light";
            break;
    }
    s.thread.Start([this] { return LightPass(); }, name, exitLine);
    OnUiThread([this] { WatchPicture(); });
}

void COrvaneUSBDevice::StopLightThread() {
    lightThread_->thread.Stop();
    cableThread_.SetParked(false);
    if (lighting_) lighting_->SetInputHook({});
}

void COrvaneUSBDevice::WakeLightThread() {
    if (!lightThread_) return;
    lightThread_->input.store(true);
    lightThread_->thread.Wake();
}

bool COrvaneUSBDevice::LightThreadRunning() const { return lightThread_->thread.Running(); }

uint64_t COrvaneUSBDevice::LightPasses() const { return lightThread_->thread.Passes(); }

bool COrvaneUSBDevice::PictureShown() const { return lightThread_->pictureShown.load(); }

COrvaneUSBDevice::StreamCounts COrvaneUSBDevice::StreamStatistics() const {
    std::lock_guard lock(lightThread_->streamMutex);
    return lightThread_->counts;
}

void COrvaneUSBDevice::WatchPicture() {
    LightThreadState& s = *lightThread_;
    FollowLedPicture();
    if (s.watch || !page_) return;
    s.pictureShown.store(page_->isVisible());
    if (page_->isVisible()) WakeLightThread();
    // The page may outlive the device by a moment (the window goes after its devices).
    QPointer<COrvaneUSBDevice> self(this);
    s.watch = new PictureWatch(page_, [this, self](bool shown) {
        if (!self) return;
        lightThread_->pictureShown.store(shown);
        if (!shown) return;
        // Back on screen: the picture catches up with the frame, and the thread, resting while
        // nobody saw the frame, goes on.
        WakeLightThread();
        if (entry_) entry_->StartFrameTimer();
    });
}

// --- the passes

LightThread::Next COrvaneUSBDevice::LightPass() {
    const LightThread::Next next = StepLighting();
    if (next != LightThread::Next::Tick) {
        // A thread that rests streams nothing: notifications are waited for again.
        cableThread_.SetParked(false);
    } else {
        // While frames stream the notification thread is parked: its notifications are taken
        // here, on a pass made anyway, in place of a wake-up of their own.
        cableThread_.Look();
    }
    return next;
}

LightThread::Next COrvaneUSBDevice::StepLighting() {
    LightThreadState& s = *lightThread_;
    lighting::LightingEngine* engine = lighting_.get();
    // Restarted on every open: until then nothing is drawn.
    if (engine == nullptr || !commandLink_.IsOpen()) return LightThread::Next::Rest;
    // The synchronised lighting draws this device's frame meanwhile.
    if (synchronisedLighting_.load()) return LightThread::Next::Rest;
    const auto now = Clock::now();
    // Something the effect draws from changed: it gets its time to show it.
    if (s.input.exchange(false)) s.lastChange = now;
    const bool streams = StreamsFrames(engine->Settings().effectId);
    if (!streams) cableThread_.SetParked(false);
    if (!streams) {
        std::lock_guard lock(s.streamMutex);
        s.hasPending = false;
        // A frame that nobody sees is not worth computing.
        if (!s.pictureShown.load()) return LightThread::Next::Rest;
    }
    // The mouse and the pad give way to an exchange running on their channel.
    const bool keyboard =
        kind_ == DeviceKind::KeyboardWired || kind_ == DeviceKind::KeyboardWireless;
    if (!keyboard && commandLink_.Busy()) return LightThread::Next::Tick;

    engine->Pass();
    lighting::LightFrame frame;
    engine->ReadFrame(frame);
    bool playsList = false;
    bool stateChanged = false;
    engine->WithState([&](lighting::LightingEngine& e) {
        playsList = e.StepThreshold() < 0;
        // The state is plain bytes: compared and kept as such.
        stateChanged = std::memcmp(&s.lastState, &e.State(), sizeof(lighting::EffectState)) != 0;
        if (stateChanged) std::memcpy(&s.lastState, &e.State(), sizeof(lighting::EffectState));
    });
    const bool frameChanged = !(frame == s.lastFrame);
    if (frameChanged) {
        s.lastFrame = frame;
        NoteFrameWritten();
        if (streams) OfferStreamFrame(frame);
    }
    if (frameChanged || stateChanged) s.lastChange = now;

    bool waiting = false;
    bool post = false;
    {
        std::lock_guard lock(s.streamMutex);
        waiting = s.hasPending;
        if (s.hasPending && !s.jobQueued && now >= s.backOffUntil) {
            s.jobQueued = true;
            post = true;
        }
    }
    if (post) QueueStreamJob();
    // The effect-list player moves on by the time of its entries, not by what it drew.
    const bool timed = playsList && engine->TimedEffectCount() > 0;
    if (!waiting && !timed && now - s.lastChange >= kStillAfter) return LightThread::Next::Rest;
    return LightThread::Next::Tick;
}

// --- streaming

bool COrvaneUSBDevice::StreamsFrames(int) const { return HostStreaming() && !receiver_.load(); }

size_t COrvaneUSBDevice::BuildStreamFrame(
    const lighting::LightFrame& frame, std::array<uint8_t, DeviceLink::kMaxBlockSize>& out) const {
    const size_t count = std::min<size_t>(static_cast<size_t>(std::max(frame.size, 0)),
                                          DeviceLink::kMaxBlockSize / 3);
    for (size_t i = 0; i < count; ++i) {
        const lighting::Rgb shown = lighting::ShownColour(frame.leds[i]);
        out[3 * i] = shown.red;
        out[3 * i + 1] = shown.green;
        out[3 * i + 2] = shown.blue;
    }
    return 3 * count;
}

Result COrvaneUSBDevice::StreamFrame(const uint8_t* data, size_t length) {
    return commandLink_.CmdStreamFrame(data, length);
}

void COrvaneUSBDevice::OfferStreamFrame(const lighting::LightFrame& frame) {
    std::array<uint8_t, DeviceLink::kMaxBlockSize> bytes{};
    const size_t length = BuildStreamFrame(frame, bytes);
    if (length == 0) return;
    LightThreadState& s = *lightThread_;
    std::lock_guard lock(s.streamMutex);
    // Only the newest frame is worth sending: one that waits is replaced, never queued.
    if (s.hasPending) ++s.counts.dropped;
    s.pending = bytes;
    s.pendingLength = length;
    s.hasPending = true;
}

void COrvaneUSBDevice::QueueStreamJob() {
    // With the worker idle the frame goes now, from the light thread: it sends on a pass it makes
    // anyway, and the worker is not woken for every frame. Behind other jobs it waits its turn.
    if (worker_.RunIfIdle([this] { RunStreamJob(); })) return;
    if (Post([this] { RunStreamJob(); })) return;
    std::lock_guard lock(lightThread_->streamMutex);
    lightThread_->jobQueued = false;
}

void COrvaneUSBDevice::RunStreamJob() {
    LightThreadState& s = *lightThread_;
    std::array<uint8_t, DeviceLink::kMaxBlockSize> bytes{};
    size_t length = 0;
    {
        std::lock_guard lock(s.streamMutex);
        // Another job waits behind this one (a configuration write): the frame steps aside and
        // the light thread offers the newest one again once the queue is clear.
        if (!s.hasPending || worker_.Backlog() > 1) {
            s.jobQueued = false;
            return;
        }
        bytes = s.pending;
        length = s.pendingLength;
        s.hasPending = false;
    }
    const Result result = StreamFrame(bytes.data(), length);
    std::lock_guard lock(s.streamMutex);
    s.jobQueued = false;
    if (result == kResultSuccess) {
        ++s.counts.sent;
        // Each frame is several packets, each answered on the node the notifications come
        // from: while frames stream, the cable's notification thread looks now and then.
        cableThread_.SetParked(true);
        return;
    }
    ++s.counts.failed;
    // The device needs a moment; the stream waits without holding up anybody, and the frame
    // goes again unless a newer one came meanwhile.
    s.backOffUntil = Clock::now() + kStreamBackOff;
    if (!s.hasPending) {
        s.pending = bytes;
        s.pendingLength = length;
        s.hasPending = true;
    }
}

// --- painting

void COrvaneUSBDevice::FollowLedPicture() {
    LightThreadState& s = *lightThread_;
    if (!selectPanel_) return;
    if (!s.picture || s.picture->parentWidget() != selectPanel_) {
        delete s.picture.data();
        const bool anyLed = std::any_of(ledButtons_.begin(), ledButtons_.end(),
                                        [](const QPointer<QWidget>& b) { return !b.isNull(); });
        if (!anyLed) return;
        s.picture = new CLedPictureUI(selectPanel_, ledButtons_);
        return;
    }
    s.picture->Follow();
}

CLedPictureUI* COrvaneUSBDevice::LedPicture() const { return lightThread_->picture.data(); }

void COrvaneUSBDevice::PaintFrame(const lighting::LightFrame& frame) {
    for (size_t i = 0; i < ledButtons_.size() && i < static_cast<size_t>(frame.size); ++i) {
        if (!ledButtons_[i]) continue;
        const lighting::LedRecord& led = frame.leds[i];
        PaintLedButton(ledButtons_[i],
                       static_cast<uint32_t>(led.red | led.green << 8 | led.blue << 16), led.level);
    }
    FollowLedPicture();
}

}  // namespace qx::devices
