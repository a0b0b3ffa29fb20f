// The main window's worker threads: 20 numbered places (0 discovery, 8 lighting sync), each
// started at most once and stopped in order at exit. Nothing is forcibly terminated: every worker
// is told to stop (its exit event cuts its waits short) and is then joined.
#pragma once

#include <array>
#include <functional>

namespace qx::app {

class WorkerTable {
  public:
    static constexpr int kSize = 20;
    static constexpr int kDiscovery = 0;
    static constexpr int kLightSync = 8;
    // How long each worker gets before the time-out line is written (it is still waited for).
    static constexpr int kStopWaitMs = 1000;

    // `stop` signals the worker's exit event and joins it; it runs on a helper thread while
    // the caller of StopAll keeps its own events moving (a worker may wait for the UI thread).
    using StopFunction = std::function<void()>;

    WorkerTable() = default;
    ~WorkerTable();  // stops what still runs (without pumping)
    WorkerTable(const WorkerTable&) = delete;
    WorkerTable& operator=(const WorkerTable&) = delete;

    // Runs `start` and remembers `stop`. False for a bad index or a place already in use.
    bool Start(int index, const std::function<void()>& start, StopFunction stop);
    bool Started(int index) const;

    // Stops every started worker in index order. `pump` is called repeatedly while waiting (the
    // UI thread handles the messages a worker may be blocked on).
    void StopAll(const std::function<void()>& pump = {});

  private:
    std::array<StopFunction, kSize> stops_;
};

}  // namespace qx::app
