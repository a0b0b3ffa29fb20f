// Inside the simulated bus: its nodes with their readers' input queues, its plugged devices, the
// router that carries a firmware's reports to the nodes of its current plug, and each device's
// trace (its request log and the threads that wrote to it).
//
// Lock order: firmware → Core::mutex → Router::mutex → NodeState::mutex → InputQueue::mutex;
// DeviceTrace::mutex and Core::observerMutex are taken alone.
// A firmware asks to be unplugged through the router, which only raises a flag; the writing
// connection carries the unplug out once the firmware has returned.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/hid_change_notice.h"
#include "sim/sim_bus.h"
#include "sim/sim_firmware.h"
#include "sim/sim_packet.h"

namespace qx::sim {

// The input queue of one open connection, and its cancel signal.
struct InputQueue {
    explicit InputQueue(size_t limit) : capacity(limit) {}

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<uint8_t>> reports;
    const size_t capacity;
    bool cancel = false;  // auto-reset: consumed by the next wait
    bool gone = false;    // the node was unplugged
};

struct NodeState {
    std::string path;
    int interfaceNumber = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    std::vector<uint8_t> descriptor;

    std::mutex mutex;
    bool present = true;
    std::vector<std::weak_ptr<InputQueue>> readers;

    bool AddReader(const std::shared_ptr<InputQueue>& queue);
    void RemoveReader(const InputQueue* queue);
    bool Present();
    void Deliver(std::span<const uint8_t> report);
    void Detach();  // unplugged: wakes every reader
    HidNodeInfo Info() const;
};

// What the bus saw of one device name: the command packets of its current (or last) plug and
// every thread that ever wrote a report to one of its nodes. Kept across unplug; the request
// log starts afresh at each plug.
struct DeviceTrace {
    std::mutex mutex;
    std::deque<LoggedRequest> requests;
    uint64_t dropped = 0;    // oldest entries given up to the size limit since the plug
    uint64_t nextIndex = 0;  // index of the next request since the plug
    std::chrono::steady_clock::time_point pluggedAt = std::chrono::steady_clock::now();
    std::vector<std::thread::id> writers;  // distinct, in order of their first write

    void Restart();  // a new plug
    void AddRequest(LoggedRequest request);
    void AddWriter(std::thread::id writer);
};

// Command replies a firmware emits on the writing thread while one output report is handled;
// Router::Deliver adds to the capture of the current thread when it is for that device.
struct ReplyCapture {
    const void* device = nullptr;  // the DeviceState
    int interfaceNumber = 0;
    std::vector<Packet> replies;
};
ReplyCapture*& CurrentReplyCapture();

struct DeviceState {
    std::string name;
    std::shared_ptr<SimFirmware> firmware;
    std::shared_ptr<DeviceTrace> trace;
    bool viaReceiver = false;
    std::vector<std::shared_ptr<NodeState>> nodes;
    std::mutex firmwareMutex;  // one output report at a time reaches the firmware
    std::atomic<bool> unplugRequested{false};
};

// Set once per firmware object as its report sink and unplug handler; points at the device
// state of the firmware's current plug.
struct Router {
    std::mutex mutex;
    std::weak_ptr<DeviceState> target;

    void Deliver(int interfaceNumber, std::span<const uint8_t> report);
    void RequestUnplug();
};

struct SimBus::Core {
    struct Kept {
        std::shared_ptr<SimFirmware> firmware;
        std::shared_ptr<Router> router;
        std::shared_ptr<DeviceTrace> trace = std::make_shared<DeviceTrace>();
    };

    mutable std::mutex mutex;
    std::vector<std::shared_ptr<DeviceState>> plugged;  // in plug order
    std::map<std::string, Kept, std::less<>> kept;
    uint64_t nodesCreated = 0;
    size_t queueCapacity = SimBus::kDefaultInputQueueCapacity;
    HidChangeNotice changes;  // told of every plug and unplug (its locks come after ours)

    std::mutex observerMutex;
    SimBus::WriteObserver writeObserver;

    // Under the lock.
    std::shared_ptr<DeviceState> FindDevice(std::string_view name) const;
    std::shared_ptr<NodeState> FindNode(std::string_view path) const;

    // Takes the device off the bus if it is still on it. Not under the lock.
    void Remove(const std::shared_ptr<DeviceState>& device);
};

}  // namespace qx::sim
