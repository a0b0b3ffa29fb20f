#include "sim/sim_bus.h"

#include <algorithm>

#include "sim/sim_bus_state.h"
#include "sim/sim_connection.h"
#include "sim/sim_device_base.h"

namespace qx::sim {

std::shared_ptr<SimFirmware> MakeFirmwareFor(std::string_view device) {
    if (device == "keyboard") return std::make_shared<KeyboardFirmware>();
    if (device == "headset") return std::make_shared<HeadsetFirmware>();
    if (device == "mouse") return std::make_shared<MouseFirmware>();
    if (device == "pad") return std::make_shared<PadFirmware>();
    if (device == "keyboard-receiver") {
        return std::make_shared<ReceiverFirmware>(std::make_shared<KeyboardFirmware>(),
                                                  KeyboardFirmware::kVendorId,
                                                  SimBus::kKeyboardReceiverProductId);
    }
    if (device == "mouse-receiver") {
        return std::make_shared<ReceiverFirmware>(std::make_shared<MouseFirmware>(),
                                                  MouseFirmware::kVendorId,
                                                  SimBus::kMouseReceiverProductId);
    }
    if (device == "pad-receiver") {
        return std::make_shared<ReceiverFirmware>(
            std::make_shared<PadFirmware>(), PadFirmware::kVendorId, SimBus::kPadReceiverProductId);
    }
    return nullptr;
}

SimBus::SimBus() : core_(std::make_shared<Core>()) {}

SimBus::~SimBus() {
    for (const std::string& device : PluggedDevices()) Unplug(device);
}

bool SimBus::Plug(std::string_view device) {
    std::shared_ptr<SimFirmware> firmware = Firmware(device);
    if (!firmware) firmware = MakeFirmwareFor(device);
    return firmware && PlugFirmware(device, std::move(firmware), false, 0, 0);
}

bool SimBus::Plug(std::string_view device, uint16_t vendorId, uint16_t productId) {
    std::shared_ptr<SimFirmware> firmware = Firmware(device);
    if (!firmware) firmware = MakeFirmwareFor(device);
    return firmware && PlugFirmware(device, std::move(firmware), true, vendorId, productId);
}

bool SimBus::Plug(std::string_view device, std::shared_ptr<SimFirmware> firmware) {
    return firmware && PlugFirmware(device, std::move(firmware), false, 0, 0);
}

bool SimBus::PlugFactoryNew(std::string_view device) {
    if (IsPlugged(device)) return false;
    std::shared_ptr<SimFirmware> firmware = MakeFirmwareFor(device);
    return firmware && PlugFirmware(device, std::move(firmware), false, 0, 0);
}

bool SimBus::PlugFirmware(std::string_view device, std::shared_ptr<SimFirmware> firmware,
                          bool overrideIds, uint16_t vendorId, uint16_t productId) {
    if (device.empty() || device.find(':') != std::string_view::npos) return false;
    const std::vector<SimNodeSpec> specs = firmware->Nodes();
    const auto* base = dynamic_cast<const SimDeviceBase*>(firmware.get());
    const uint16_t version = base != nullptr ? base->Version() : 0;
    if (!overrideIds) {
        vendorId = firmware->VendorId();
        productId = firmware->ProductId();
    }

    std::lock_guard lock(core_->mutex);
    if (core_->FindDevice(device)) return false;
    Core::Kept& kept = core_->kept[std::string(device)];
    if (kept.firmware != firmware || !kept.router) {
        // A firmware gets its sink and unplug handler once: they route to whichever plug is
        // current, so the firmware is never rewired while another thread may use it.
        kept.firmware = firmware;
        kept.router = std::make_shared<Router>();
        std::shared_ptr<Router> router = kept.router;
        firmware->SetReportSink([router](int interfaceNumber, std::span<const uint8_t> report) {
            router->Deliver(interfaceNumber, report);
        });
        if (auto* withUnplug = dynamic_cast<SimDeviceBase*>(firmware.get())) {
            withUnplug->SetUnplugHandler([router] { router->RequestUnplug(); });
        }
    }

    auto state = std::make_shared<DeviceState>();
    state->name = std::string(device);
    state->firmware = firmware;
    state->viaReceiver = dynamic_cast<const ReceiverFirmware*>(firmware.get()) != nullptr;
    state->trace = kept.trace;
    state->trace->Restart();
    for (const SimNodeSpec& nodeSpec : specs) {
        auto node = std::make_shared<NodeState>();
        node->path = "sim:" + state->name + ":" + std::to_string(core_->nodesCreated++);
        node->interfaceNumber = nodeSpec.interfaceNumber;
        node->vendorId = vendorId;
        node->productId = productId;
        node->version = version;
        node->descriptor = nodeSpec.reportDescriptor;
        state->nodes.push_back(std::move(node));
    }
    {
        std::lock_guard routerLock(kept.router->mutex);
        kept.router->target = state;
    }
    core_->plugged.push_back(std::move(state));
    core_->changes.Notify();
    return true;
}

bool SimBus::Unplug(std::string_view device) {
    std::shared_ptr<DeviceState> state;
    {
        std::lock_guard lock(core_->mutex);
        state = core_->FindDevice(device);
    }
    if (!state) return false;
    core_->Remove(state);
    return true;
}

bool SimBus::IsPlugged(std::string_view device) const {
    std::lock_guard lock(core_->mutex);
    return core_->FindDevice(device) != nullptr;
}

std::vector<std::string> SimBus::PluggedDevices() const {
    std::lock_guard lock(core_->mutex);
    std::vector<std::string> names;
    for (const std::shared_ptr<DeviceState>& device : core_->plugged) names.push_back(device->name);
    return names;
}

bool SimBus::SetReceiverOnline(std::string_view device, bool online) {
    std::shared_ptr<DeviceState> state;
    {
        std::lock_guard lock(core_->mutex);
        state = core_->FindDevice(device);
    }
    if (!state) return false;
    auto receiver = std::dynamic_pointer_cast<ReceiverFirmware>(state->firmware);
    if (!receiver) return false;
    receiver->SetDeviceOnline(online);
    core_->changes.Notify();
    return true;
}

std::shared_ptr<SimFirmware> SimBus::Firmware(std::string_view device) const {
    std::lock_guard lock(core_->mutex);
    const auto it = core_->kept.find(device);
    return it == core_->kept.end() ? nullptr : it->second.firmware;
}

RequestLog SimBus::Requests(std::string_view device) const {
    std::shared_ptr<DeviceTrace> trace;
    RequestLog log;
    {
        std::lock_guard lock(core_->mutex);
        const auto it = core_->kept.find(device);
        if (it == core_->kept.end()) return log;
        trace = it->second.trace;
        log.plugged = core_->FindDevice(device) != nullptr;
    }
    std::lock_guard lock(trace->mutex);
    log.requests.assign(trace->requests.begin(), trace->requests.end());
    log.dropped = trace->dropped;
    return log;
}

bool SimBus::ClearRequests(std::string_view device) {
    std::shared_ptr<DeviceTrace> trace;
    {
        std::lock_guard lock(core_->mutex);
        const auto it = core_->kept.find(device);
        if (it == core_->kept.end()) return false;
        trace = it->second.trace;
    }
    std::lock_guard lock(trace->mutex);
    trace->requests.clear();
    trace->dropped = 0;
    return true;
}

std::vector<std::thread::id> SimBus::WriteThreads(std::string_view device) const {
    std::shared_ptr<DeviceTrace> trace;
    {
        std::lock_guard lock(core_->mutex);
        const auto it = core_->kept.find(device);
        if (it == core_->kept.end()) return {};
        trace = it->second.trace;
    }
    std::lock_guard lock(trace->mutex);
    return trace->writers;
}

void SimBus::SetWriteObserver(WriteObserver observer) {
    std::lock_guard lock(core_->observerMutex);
    core_->writeObserver = std::move(observer);
}

std::vector<std::string> SimBus::NodePaths(std::string_view device) const {
    std::lock_guard lock(core_->mutex);
    std::vector<std::string> paths;
    if (const std::shared_ptr<DeviceState> state = core_->FindDevice(device)) {
        for (const std::shared_ptr<NodeState>& node : state->nodes) paths.push_back(node->path);
    }
    return paths;
}

std::string SimBus::NodePath(std::string_view device, int interfaceNumber) const {
    std::lock_guard lock(core_->mutex);
    if (const std::shared_ptr<DeviceState> state = core_->FindDevice(device)) {
        for (const std::shared_ptr<NodeState>& node : state->nodes) {
            if (node->interfaceNumber == interfaceNumber) return node->path;
        }
    }
    return {};
}

void SimBus::SetInputQueueCapacity(size_t reports) {
    std::lock_guard lock(core_->mutex);
    core_->queueCapacity = std::max<size_t>(reports, 1);
}

bool SimBus::EnumerateNodes(std::vector<HidNodeInfo>& nodes) {
    nodes.clear();
    std::lock_guard lock(core_->mutex);
    for (const std::shared_ptr<DeviceState>& device : core_->plugged) {
        for (const std::shared_ptr<NodeState>& node : device->nodes) nodes.push_back(node->Info());
    }
    return true;
}

bool SimBus::DescribeNode(const std::string& nodePath, HidNodeInfo& info) {
    std::lock_guard lock(core_->mutex);
    const std::shared_ptr<NodeState> node = core_->FindNode(nodePath);
    if (!node) return false;
    info = node->Info();
    return true;
}

std::unique_ptr<HidNodeConnection> SimBus::OpenNode(const std::string& nodePath, bool read,
                                                    bool write, std::string& error) {
    std::shared_ptr<DeviceState> device;
    std::shared_ptr<NodeState> node;
    size_t capacity = 0;
    {
        std::lock_guard lock(core_->mutex);
        for (const std::shared_ptr<DeviceState>& candidate : core_->plugged) {
            for (const std::shared_ptr<NodeState>& n : candidate->nodes) {
                if (n->path == nodePath) {
                    device = candidate;
                    node = n;
                }
            }
        }
        capacity = core_->queueCapacity;
    }
    auto queue = std::make_shared<InputQueue>(capacity);
    if (!node || (read && !node->AddReader(queue))) {
        error = "no such simulated HID node: " + nodePath;
        return nullptr;
    }
    return std::make_unique<SimConnection>(core_, std::move(device), std::move(node),
                                           std::move(queue), read, write);
}

bool SimBus::NodePresent(const std::string& nodePath) {
    std::lock_guard lock(core_->mutex);
    return core_->FindNode(nodePath) != nullptr;
}

std::unique_ptr<HidChangeWatch> SimBus::WatchChanges() { return core_->changes.Watch(); }

}  // namespace qx::sim
