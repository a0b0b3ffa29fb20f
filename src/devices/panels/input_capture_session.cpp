#include "devices/panels/input_capture_session.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include "core/diagnostics.h"

namespace qx::devices {

using platform::CapturedInput;

namespace {

std::chrono::milliseconds Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace

InputCaptureSession::InputCaptureSession(QObject* parent)
    : QObject(parent), system_(platform::MakeEvdevCapture()) {
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, [this] { Finish(EndReason::TimedOut); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (running_ && state != Qt::ApplicationActive) Finish(EndReason::FocusLost);
            });
}

InputCaptureSession::~InputCaptureSession() {
    if (system_) system_->Stop();
    if (running_) qApp->removeEventFilter(this);
}

void InputCaptureSession::SetSystemCapture(std::unique_ptr<platform::InputCapture> capture) {
    Stop();
    system_ = std::move(capture);
}

QString InputCaptureSession::StartRecording(QWidget* window) { return Start(window, false); }
QString InputCaptureSession::StartSingleKey(QWidget* window) { return Start(window, true); }

QString InputCaptureSession::Start(QWidget* window, bool singleKey) {
    if (running_) {
        if (system_) system_->Stop();
        qApp->removeEventFilter(this);
    }
    ++generation_;
    window_ = window;
    singleKey_ = singleKey;
    running_ = true;
    systemWide_ = false;
    qApp->installEventFilter(this);
    idle_.start(idleTimeoutMs_);
    if (!system_) return {};
    const quint64 generation = generation_;
    const platform::CaptureStart start = system_->Start(
        [this, generation](const CapturedInput& input) {
            QMetaObject::invokeMethod(this, [this, generation, input] {
                if (generation == generation_ && systemWide_) Deliver(input);
            });
        },
        [this, generation](platform::CaptureEnd) {
            QMetaObject::invokeMethod(this, [this, generation] {
                if (generation == generation_) Finish(EndReason::DevicesGone);
            });
        });
    systemWide_ = start.status == platform::CaptureStart::Status::Started;
    DebugLine(systemWide_ ? "input capture: system-wide and in the window"
                          : "input capture: in the window only (" + start.message + ")");
    return systemWide_ ? QString() : QString::fromStdString(start.message);
}

void InputCaptureSession::Stop() {
    if (!running_) return;
    running_ = false;
    ++generation_;
    idle_.stop();
    if (system_) system_->Stop();
    qApp->removeEventFilter(this);
}

void InputCaptureSession::Finish(EndReason reason) {
    if (!running_) return;
    Stop();
    emit Ended(reason);
}

void InputCaptureSession::Deliver(const CapturedInput& input) {
    if (!running_) return;
    idle_.start(idleTimeoutMs_);
    if (singleKey_) {
        if (input.kind != CapturedInput::Kind::Key || !input.down) return;
        const macros::ScanKey key{input.scanCode, input.extended};
        Finish(EndReason::KeyCaptured);
        emit KeyCaptured(key);
        return;
    }
    emit Input(input);
}

CapturedInput InputCaptureSession::FromQtEvent(QEvent* event) {
    CapturedInput input;
    input.time = Now();
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            input.kind = CapturedInput::Kind::Key;
            input.down = event->type() == QEvent::KeyPress;
            // X11 and Wayland (xkb) key codes are the kernel's plus 8.
            const quint32 native = key->nativeScanCode();
            if (native < 8) return CapturedInput{CapturedInput::Kind::Key, 0, false, false};
            if (const auto scan = macros::ScanKeyFromLinuxKey(native - 8)) {
                input.scanCode = scan->scanCode;
                input.extended = scan->extended;
            }
            return input;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            const bool down = event->type() == QEvent::MouseButtonPress;
            input.kind = CapturedInput::Kind::Mouse;
            switch (static_cast<QMouseEvent*>(event)->button()) {
                case Qt::LeftButton:
                    input.message = down ? platform::kLeftDown : platform::kLeftUp;
                    break;
                case Qt::RightButton:
                    input.message = down ? platform::kRightDown : platform::kRightUp;
                    break;
                case Qt::MiddleButton:
                    input.message = down ? platform::kMiddleDown : platform::kMiddleUp;
                    break;
                case Qt::BackButton:
                    input.message = down ? platform::kExtraDown : platform::kExtraUp;
                    input.extraButton = 1;
                    break;
                case Qt::ForwardButton:
                    input.message = down ? platform::kExtraDown : platform::kExtraUp;
                    input.extraButton = 2;
                    break;
                default:
                    break;
            }
            return input;
        }
        case QEvent::Wheel:
            input.kind = CapturedInput::Kind::Mouse;
            input.message = platform::kWheel;
            return input;
        default:
            return CapturedInput{CapturedInput::Kind::Mouse, 0, false, false};
    }
}

bool InputCaptureSession::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease;
    if (!running_ || (!key && !mouse) || !watched->isWidgetType()) return false;
    // Qt hands one mouse event to each widget up the chain; only the one for the window's
    // widgets themselves counts, once.
    auto* widget = static_cast<QWidget*>(watched);
    if (window_ && widget->window() != window_->window()) return false;
    if (key && static_cast<QKeyEvent*>(event)->isAutoRepeat()) return key;
    if (!systemWide_) {
        // A click travels up the widget chain as one event; it is taken once.
        const auto* input = static_cast<QInputEvent*>(event);
        const std::tuple<int, quint64, int> identity{
            type, input->timestamp(),
            mouse ? static_cast<int>(static_cast<QMouseEvent*>(event)->button()) : 0};
        if (!mouse || identity != lastMouse_) {
            if (mouse) lastMouse_ = identity;
            const CapturedInput captured = FromQtEvent(event);
            if (mouse || captured.scanCode != 0) Deliver(captured);
        }
    }
    // Keys typed while recording belong to the macro, not to the window's fields; clicks go on
    // (the stop button must work).
    return key;
}

}  // namespace qx::devices
