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
    changed_.notify_all();
    return true;
}

void DeviceWorker::DropPending() {
    std::lock_guard lock(mutex_);
    jobs_.clear();
    changed_.notify_all();
}

void DeviceWorker::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

size_t DeviceWorker::Backlog() const {
    std::lock_guard lock(mutex_);
    return jobs_.size() + (running_ ? 1 : 0);
}

bool DeviceWorker::WaitIdle(int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return jobs_.empty() && !running_; });
}

void DeviceWorker::Loop() {
    // Thread names are limited to 15 characters.
    pthread_setname_np(pthread_self(), name_.substr(0, 15).c_str());
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) break;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        job();
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
    running_ = false;
    changed_.notify_all();
}

}  // namespace qx::devices
