#include "settings/update_check_thread.h"

#include <QMetaObject>
#include <QPointer>

#include "platform/thread_name.h"

namespace qx::settings {

UpdateCheckThread::UpdateCheckThread(QObject* parent) : QObject(parent) {}

UpdateCheckThread::~UpdateCheckThread() { Stop(); }

void UpdateCheckThread::Start(std::vector<UpdateTarget> targets, UpdateService service,
                              std::filesystem::path checkDatePath) {
    Stop();
    running_ = true;
    thread_ = std::jthread([this, targets = std::move(targets), service = std::move(service),
                            checkDatePath = std::move(checkDatePath)](std::stop_token stop) {
        platform::NameThisThread("update check");
        // Every hand-over is queued to this object's (the UI) thread; the destructor waits for the
        // thread before the object goes, so no hand-over outlives it.
        UpdateCheckOutcome outcome = RunUpdateCheck(
            targets, service, checkDatePath,
            [this, stop](std::size_t row, const UpdateResult& result) {
                if (stop.stop_requested()) return;
                QMetaObject::invokeMethod(
                    this,
                    [this, row, result, stop] {
                        // A pass stopped meanwhile hands nothing more over.
                        if (!stop.stop_requested()) emit RowReady(int(row), result);
                    },
                    Qt::QueuedConnection);
            },
            stop);
        if (stop.stop_requested()) return;
        QMetaObject::invokeMethod(
            this,
            [this, stop, outcome = std::move(outcome)] {
                if (stop.stop_requested()) return;
                running_ = false;
                emit Finished(outcome);
            },
            Qt::QueuedConnection);
    });
}

void UpdateCheckThread::Stop() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    running_ = false;
}

}  // namespace qx::settings
