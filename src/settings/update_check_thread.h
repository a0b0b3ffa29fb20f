// The settings window's update check on a worker thread: the questions to the update service run
// there, each answer and the end of the pass are handed to the UI thread (the object's thread) as
// signals, so no widget is touched off the UI thread.
#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "settings/update_catalogue.h"
#include "settings/update_check.h"
#include "settings/update_service.h"

namespace qx::settings {

class UpdateCheckThread : public QObject {
    Q_OBJECT
  public:
    explicit UpdateCheckThread(QObject* parent = nullptr);
    // Stops a check that still runs and waits for it.
    ~UpdateCheckThread() override;

    // Starts one pass over the targets (a pass still running is stopped first).
    void Start(std::vector<UpdateTarget> targets, UpdateService service,
               std::filesystem::path checkDatePath);
    // Asks the pass to end (a question in flight is cut short) and waits for the thread.
    void Stop();
    bool Running() const { return running_; }

  signals:
    // On the UI thread, in row order.
    void RowReady(int row, const qx::UpdateResult& result);
    void Finished(const qx::UpdateCheckOutcome& outcome);

  private:
    std::jthread thread_;
    bool running_ = false;
};

}  // namespace qx::settings
