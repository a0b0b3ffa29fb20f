#include "sim/sim_connection.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace qx::sim {

SimConnection::SimConnection(std::shared_ptr<SimBus::Core> core,
                             std::shared_ptr<DeviceState> device, std::shared_ptr<NodeState> node,
                             std::shared_ptr<InputQueue> queue, bool read, bool write)
    : core_(std::move(core)),
      device_(std::move(device)),
      node_(std::move(node)),
      queue_(std::move(queue)),
      read_(read),
      write_(write) {}

SimConnection::~SimConnection() {
    if (read_) node_->RemoveReader(queue_.get());
}

HidIoStatus SimConnection::ReadReport(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs) {
    bytesRead = 0;
    std::unique_lock lock(queue_->mutex);
    // A pending cancel is consumed before anything else, as a wait on (cancel, read) sees the
    // cancel event first.
    const auto ready = [this] {
        return queue_->cancel || !queue_->reports.empty() || queue_->gone || !read_;
    };
    if (timeoutMs < 0) {
        queue_->changed.wait(lock, ready);
    } else if (timeoutMs == 0) {
        // A look, as a poll with no time-out is: a wait with an expired deadline still sleeps.
        if (!ready()) return HidIoStatus::TimedOut;
    } else if (!queue_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return HidIoStatus::TimedOut;
    }
    if (queue_->cancel) {
        queue_->cancel = false;
        return HidIoStatus::Cancelled;
    }
    if (!read_ || queue_->reports.empty()) return HidIoStatus::Failed;
    const std::vector<uint8_t>& report = queue_->reports.front();
    bytesRead = std::min(buffer.size(), report.size());
    std::copy_n(report.begin(), bytesRead, buffer.begin());
    queue_->reports.pop_front();
    return HidIoStatus::Ok;
}

HidIoStatus SimConnection::WriteReport(std::span<const uint8_t> report, int) {
    const std::thread::id writer = std::this_thread::get_id();
    device_->trace->AddWriter(writer);
    {
        SimBus::WriteObserver observer;
        {
            std::lock_guard lock(core_->observerMutex);
            observer = core_->writeObserver;
        }
        if (observer) observer(device_->name, writer);
    }
    {
        std::lock_guard lock(queue_->mutex);
        if (queue_->cancel) {
            queue_->cancel = false;
            return HidIoStatus::Cancelled;
        }
    }
    if (!write_ || report.empty() || !node_->Present()) return HidIoStatus::Failed;
    const bool commandPacket = report.size() == kPacketSize && report[0] == kCommandReportId;
    ReplyCapture capture{device_.get(), node_->interfaceNumber, {}};
    {
        std::lock_guard lock(device_->firmwareMutex);
        if (commandPacket) CurrentReplyCapture() = &capture;
        device_->firmware->OnOutputReport(node_->interfaceNumber, report);
        CurrentReplyCapture() = nullptr;
    }
    const bool unplug = device_->unplugRequested.exchange(false);
    if (commandPacket) {
        LoggedRequest entry;
        entry.link = device_->viaReceiver ? Link::Receiver : Link::Cable;
        entry.interfaceNumber = node_->interfaceNumber;
        std::copy(report.begin(), report.end(), entry.request.begin());
        entry.writer = writer;
        if (!capture.replies.empty()) {
            entry.reply = capture.replies.back();
            entry.strayReplies = capture.replies.size() - 1;
        }
        entry.unplugged = unplug;
        device_->trace->AddRequest(std::move(entry));
    }
    if (unplug) core_->Remove(device_);
    return HidIoStatus::Ok;
}

void SimConnection::Cancel() {
    {
        std::lock_guard lock(queue_->mutex);
        queue_->cancel = true;
    }
    queue_->changed.notify_all();
}

}  // namespace qx::sim
