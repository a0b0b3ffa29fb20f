#include "sim/sim_bus_state.h"

#include <algorithm>

namespace qx::sim {

void DeviceTrace::Restart() {
    std::lock_guard lock(mutex);
    requests.clear();
    dropped = 0;
    nextIndex = 0;
    pluggedAt = std::chrono::steady_clock::now();
}

void DeviceTrace::AddRequest(LoggedRequest request) {
    std::lock_guard lock(mutex);
    request.index = nextIndex++;
    request.timeMs = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - pluggedAt)
                                               .count());
    if (requests.size() >= SimBus::kRequestLogLimit) {
        requests.pop_front();
        ++dropped;
    }
    requests.push_back(std::move(request));
}

void DeviceTrace::AddWriter(std::thread::id writer) {
    std::lock_guard lock(mutex);
    if (std::find(writers.begin(), writers.end(), writer) == writers.end())
        writers.push_back(writer);
}

ReplyCapture*& CurrentReplyCapture() {
    thread_local ReplyCapture* capture = nullptr;
    return capture;
}

bool NodeState::AddReader(const std::shared_ptr<InputQueue>& queue) {
    std::lock_guard lock(mutex);
    if (!present) return false;
    readers.push_back(queue);
    return true;
}

void NodeState::RemoveReader(const InputQueue* queue) {
    std::lock_guard lock(mutex);
    std::erase_if(readers, [queue](const std::weak_ptr<InputQueue>& reader) {
        const std::shared_ptr<InputQueue> alive = reader.lock();
        return !alive || alive.get() == queue;
    });
}

bool NodeState::Present() {
    std::lock_guard lock(mutex);
    return present;
}

void NodeState::Deliver(std::span<const uint8_t> report) {
    std::lock_guard lock(mutex);
    if (!present) return;
    for (const std::weak_ptr<InputQueue>& reader : readers) {
        const std::shared_ptr<InputQueue> queue = reader.lock();
        if (!queue) continue;
        {
            std::lock_guard queueLock(queue->mutex);
            if (queue->reports.size() >= queue->capacity)
                continue;  // full: dropped, as hidraw does
            queue->reports.emplace_back(report.begin(), report.end());
        }
        queue->changed.notify_all();
    }
}

void NodeState::Detach() {
    std::lock_guard lock(mutex);
    present = false;
    for (const std::weak_ptr<InputQueue>& reader : readers) {
        const std::shared_ptr<InputQueue> queue = reader.lock();
        if (!queue) continue;
        {
            std::lock_guard queueLock(queue->mutex);
            queue->gone = true;
        }
        queue->changed.notify_all();
    }
    readers.clear();
}

HidNodeInfo NodeState::Info() const {
    HidNodeInfo info;
    info.nodePath = path;
    info.vendorId = vendorId;
    info.productId = productId;
    info.version = version;
    info.interfaceNumber = interfaceNumber;
    info.reportDescriptor = descriptor;
    return info;
}

void Router::Deliver(int interfaceNumber, std::span<const uint8_t> report) {
    std::shared_ptr<DeviceState> device;
    {
        std::lock_guard lock(mutex);
        device = target.lock();
    }
    if (!device) return;
    ReplyCapture* capture = CurrentReplyCapture();
    if (capture != nullptr && capture->device == device.get() &&
        capture->interfaceNumber == interfaceNumber && report.size() == kPacketSize &&
        report[0] == kCommandReportId) {
        Packet& reply = capture->replies.emplace_back();
        std::copy(report.begin(), report.end(), reply.begin());
    }
    for (const std::shared_ptr<NodeState>& node : device->nodes) {
        if (node->interfaceNumber == interfaceNumber) node->Deliver(report);
    }
}

void Router::RequestUnplug() {
    std::lock_guard lock(mutex);
    if (const std::shared_ptr<DeviceState> device = target.lock()) device->unplugRequested = true;
}

std::shared_ptr<DeviceState> SimBus::Core::FindDevice(std::string_view name) const {
    for (const std::shared_ptr<DeviceState>& device : plugged) {
        if (device->name == name) return device;
    }
    return nullptr;
}

std::shared_ptr<NodeState> SimBus::Core::FindNode(std::string_view path) const {
    for (const std::shared_ptr<DeviceState>& device : plugged) {
        for (const std::shared_ptr<NodeState>& node : device->nodes) {
            if (node->path == path) return node;
        }
    }
    return nullptr;
}

void SimBus::Core::Remove(const std::shared_ptr<DeviceState>& device) {
    std::lock_guard lock(mutex);
    const auto it = std::find(plugged.begin(), plugged.end(), device);
    if (it == plugged.end()) return;
    plugged.erase(it);
    const auto entry = kept.find(device->name);
    if (entry != kept.end() && entry->second.router) {
        Router& router = *entry->second.router;
        std::lock_guard routerLock(router.mutex);
        if (router.target.lock() == device) router.target.reset();
    }
    for (const std::shared_ptr<NodeState>& node : device->nodes) node->Detach();
    changes.Notify();
}

}  // namespace qx::sim
