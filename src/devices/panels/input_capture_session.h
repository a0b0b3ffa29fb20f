// One capture of keyboard and mouse input for the window: events inside the program's window
// always, and system-wide through evdev while the session runs (never grabbing anything). The
// session ends on Stop, when the window loses focus, when the input devices go away, after a
// time without input, and (single-key mode) after the first key.
//
// Single-key capture for the key assignment:
//   session->StartSingleKey(window);            // then
//   connect(session, &InputCaptureSession::KeyCaptured, ...)  // one ScanKey, then Ended
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <tuple>

#include "macros/linux_key_codes.h"
#include "platform/input_capture.h"

class QWidget;

namespace qx::devices {

class InputCaptureSession : public QObject {
    Q_OBJECT
  public:
    enum class EndReason { Stopped, FocusLost, DevicesGone, TimedOut, KeyCaptured };

    explicit InputCaptureSession(QObject* parent = nullptr);
    ~InputCaptureSession() override;

    // The system-wide source (tests give an emulated one); none leaves in-window capture only.
    void SetSystemCapture(std::unique_ptr<platform::InputCapture> capture);
    void SetIdleTimeout(int milliseconds) { idleTimeoutMs_ = milliseconds; }

    // Starts a recording capture; a running one is stopped first (without Ended). The text of
    // the system-wide start (empty when it runs) says why only the window is captured.
    QString StartRecording(QWidget* window);
    QString StartSingleKey(QWidget* window);
    void Stop();
    bool Running() const { return running_; }
    // True while system-wide capture delivers the input (in-window events are then ignored so
    // that nothing arrives twice).
    bool SystemWide() const { return systemWide_; }

    static platform::CapturedInput FromQtEvent(QEvent* event);

  signals:
    void Input(const qx::platform::CapturedInput& input);
    void KeyCaptured(qx::macros::ScanKey key);
    void Ended(qx::devices::InputCaptureSession::EndReason reason);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString Start(QWidget* window, bool singleKey);
    void Deliver(const platform::CapturedInput& input);
    void Finish(EndReason reason);

    std::unique_ptr<platform::InputCapture> system_;
    QPointer<QWidget> window_;
    QTimer idle_;
    int idleTimeoutMs_ = 120000;
    bool running_ = false;
    bool singleKey_ = false;
    bool systemWide_ = false;
    quint64 generation_ = 0;
    std::tuple<int, quint64, int> lastMouse_{};  // drops events queued by an earlier session
};

}  // namespace qx::devices
