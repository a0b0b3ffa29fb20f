// The one thread that talks to a device. Every exchange with it (first contact, presence and power
// queries, refreshes after notifications, the switch between cable and receiver, every write the
// panels ask for, frame streaming) runs here, one job after the other in the order posted, so the
// UI thread never waits on a device that is slow or silent. A frame may also be sent by the light
// thread itself while the worker has nothing to do (RunIfIdle): still one exchange at a time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qx::devices {

class DeviceWorker {
  public:
    using Job = std::function<void()>;

    // `name` names the thread (seen in debuggers and in the idle measurements).
    explicit DeviceWorker(std::string name);
    ~DeviceWorker();  // Stop()
    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

    // Queues a job; the thread starts with the first one. False once the worker was stopped.
    bool Post(Job job);
    // Runs `job` on the calling thread, now, when no job is queued or running: the worker starts
    // nothing until it has ended, so exchanges stay one after the other. False, with nothing run,
    // when the worker is busy or stopped. Spares the wake-up of the worker for a short exchange
    // made often (a streamed frame).
    bool RunIfIdle(const Job& job);
    // Drops the jobs not started yet; the running one goes on (its owner cuts its exchange
    // short first when it must not wait for it).
    void DropPending();
    // Drops the pending jobs and joins the thread after the running job. Posting afterwards is
    // refused.
    void Stop();

    bool OnWorkerThread() const { return std::this_thread::get_id() == threadId_; }
    // Jobs queued or running.
    size_t Backlog() const;
    // Waits until every job posted so far has run; false after `timeoutMs` (tests and exit).
    bool WaitIdle(int timeoutMs) const;

  private:
    void Loop();

    std::string name_;
    mutable std::mutex mutex_;
    // The thread waits on `jobReady_`; WaitIdle on `idle_`. Apart, so that a job run by
    // RunIfIdle does not wake the resting thread when it ends.
    std::condition_variable jobReady_;
    mutable std::condition_variable idle_;
    std::deque<Job> jobs_;
    bool running_ = false;
    // A job runs on another thread through RunIfIdle.
    bool borrowed_ = false;
    bool stopping_ = false;
    std::thread thread_;
    std::thread::id threadId_;
};

}  // namespace qx::devices
