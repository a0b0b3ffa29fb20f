// SIGINT and SIGTERM through the self-pipe: the handler only writes a byte, a socket notifier
// of the event loop reads it and calls back.
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "platform/termination_signals.h"

namespace qx::platform {
namespace {

int g_pipe[2] = {-1, -1};

void NoteSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

class SignalPipe final : public TerminationSignals {
  public:
    explicit SignalPipe(std::function<void()> onRequest) : onRequest_(std::move(onRequest)) {
        if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
            char buffer[16];
            while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
            }
            if (onRequest_) onRequest_();
        });
        struct sigaction action {};
        action.sa_handler = NoteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
    }
    ~SignalPipe() override {
        if (!notifier_) return;
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        notifier_.reset();
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    bool Active() const override { return notifier_ != nullptr; }

  private:
    std::function<void()> onRequest_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::unique_ptr<TerminationSignals> WatchTerminationSignals(std::function<void()> onRequest) {
    return std::make_unique<SignalPipe>(std::move(onRequest));
}

}  // namespace qx::platform
