// SIGINT and SIGTERM (Ctrl+C, the session ending) end the program the orderly way, as the tray
// menu's exit does: the signal is only noted in its handler and acted on in the event loop.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace qx::app {

class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;  // restores the default handlers
    bool Active() const { return notifier_ != nullptr; }

  private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace qx::app
