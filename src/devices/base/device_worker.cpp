#include "devices/base/device_worker.h"

#include <pthread.h>

#include <chrono>

namespace qx::devices {

DeviceWorker::DeviceWorker(std::string name) : name_(std::move(name)) {}

DeviceWorker::~DeviceWorker() { Stop(); }

bool DeviceWorker::Post(Job job) {
    std::lock_guard lock(mutex_);
    if (stopping_) return false;
    jobs_.push_back(std::move(job));
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Loop(); });
        threadId_ = thread_.get_id();
    }
    // A borrowed run hands the queue on when it ends.
    if (!borrowed_) jobReady_.notify_one();
    return true;
}

bool DeviceWorker::RunIfIdle(const Job& job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || running_ || borrowed_ || !jobs_.empty()) return false;
        borrowed_ = true;
    }
    job();
    std::lock_guard lock(mutex_);
    borrowed_ = false;
    if (!jobs_.empty()) jobReady_.notify_one();
    idle_.notify_all();
    return true;
}

void DeviceWorker::DropPending() {
    std::lock_guard lock(mutex_);
    jobs_.clear();
    idle_.notify_all();
}

void DeviceWorker::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
        jobReady_.notify_all();
        idle_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

size_t DeviceWorker::Backlog() const {
    std::lock_guard lock(mutex_);
    return jobs_.size() + (running_ ? 1 : 0) + (borrowed_ ? 1 : 0);
}

bool DeviceWorker::WaitIdle(int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return jobs_.empty() && !running_ && !borrowed_; });
}

void DeviceWorker::Loop() {
    // Thread names are limited to 15 characters.
    pthread_setname_np(pthread_self(), name_.substr(0, 15).c_str());
    std::unique_lock lock(mutex_);
    for (;;) {
        jobReady_.wait(lock, [this] { return stopping_ || (!jobs_.empty() && !borrowed_); });
        if (stopping_) break;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        job();
        lock.lock();
        running_ = false;
        idle_.notify_all();
    }
    running_ = false;
    idle_.notify_all();
}

}  // namespace qx::devices
