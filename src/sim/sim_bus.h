// The simulated HID bus: a HidBackend whose nodes belong to virtual devices that tests (and the
// program's simulation mode) plug and unplug while other threads read and write.
//
// Devices by name, with the firmware each gets:
//   "keyboard"           KeyboardFirmware  0x3A5C:0x7031  nodes: interfaces 0 and 1
//   "headset"            HeadsetFirmware   0x0C76:0x1630  node: interface 3
//   "mouse"              MouseFirmware     0x3A5C:0x7041  nodes: interfaces 0 and 1
//   "pad"                PadFirmware       0x3A5C:0x7051  node: interface 1
//   "keyboard-receiver"  ReceiverFirmware  0x3A5C:0x7032  (a keyboard behind it)
//   "mouse-receiver"     ReceiverFirmware  0x3A5C:0x7042  (a mouse behind it)
//   "pad-receiver"       ReceiverFirmware  0x3A5C:0x7052  (a pad behind it)
// The mouse, the pad and the receivers have no identity in the supported-device table: their
// product ids are made up, and a test may plug any device under other ids.
//
// Node paths are "sim:<device>:<n>", n counting every node the bus ever created, so a replugged
// device gets new paths, as a replugged USB device gets new hidraw nodes. A device keeps its
// firmware (and so its memory) across unplug and replug unless a test plugs a new firmware or
// plugs it with its factory memory (PlugFactoryNew), as real hardware that lost its settings.
//
// Input reports behave as with hidraw: every open of a node for reading has its own queue and
// sees every report the node produces from its open on; a queue holds at most 64 reports and
// drops newer ones while full. A read blocked on a node that is unplugged returns Failed at
// once (reports already queued are still delivered first); writes to it fail. Output reports go
// to the firmware synchronously, so a reply is queued before WriteReport returns.
//
// The bus keeps, per device name, a log of the command packets (64-byte reports with id 0x04)
// written to the device since its last plug, with the reply it gave, and the threads that
// wrote any report to its nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/hid_backend.h"
#include "sim/headset_firmware.h"
#include "sim/keyboard_firmware.h"
#include "sim/mouse_firmware.h"
#include "sim/pad_firmware.h"
#include "sim/receiver_firmware.h"
#include "sim/request_log.h"
#include "sim/sim_firmware.h"

namespace qx::sim {

class SimBus : public HidBackend {
  public:
    static constexpr uint16_t kKeyboardReceiverProductId = 0x7032;
    static constexpr uint16_t kMouseReceiverProductId = 0x7042;
    static constexpr uint16_t kPadReceiverProductId = 0x7052;
    static constexpr size_t kDefaultInputQueueCapacity = 64;
    // Entries a device's request log keeps; older ones are dropped (and counted).
    static constexpr size_t kRequestLogLimit = 10000;

    // Told of every output report written to a node, on the writing thread, before the device
    // gets it. It must not call back into the bus.
    using WriteObserver = std::function<void(std::string_view device, std::thread::id writer)>;

    SimBus();
    ~SimBus() override;  // unplugs everything; connections still open then fail from then on
    SimBus(const SimBus&) = delete;
    SimBus& operator=(const SimBus&) = delete;

    // Plugs a device by name (its kept firmware, or a new one). False when the name is unknown
    // or the device is plugged already.
    bool Plug(std::string_view device);
    // The same under other USB ids (for this plug only).
    bool Plug(std::string_view device, uint16_t vendorId, uint16_t productId);
    // Plugs this firmware under any name without ':' (it replaces a kept firmware of that name).
    bool Plug(std::string_view device, std::shared_ptr<SimFirmware> firmware);
    // Plugs a known device name with a new firmware of its kind: factory memory, no armed
    // faults, full power (for a receiver, also the device behind it). False as Plug.
    bool PlugFactoryNew(std::string_view device);
    bool Unplug(std::string_view device);
    bool IsPlugged(std::string_view device) const;
    std::vector<std::string> PluggedDevices() const;

    // Switches the device behind a plugged receiver on or off. False when the device is not a
    // plugged receiver.
    bool SetReceiverOnline(std::string_view device, bool online);

    // The firmware of a device that is or was plugged (nullptr when none).
    std::shared_ptr<SimFirmware> Firmware(std::string_view device) const;
    // The firmware as T; for a receiver also the device behind it
    // (FirmwareAs<KeyboardFirmware>("keyboard-receiver")).
    template <class T>
    std::shared_ptr<T> FirmwareAs(std::string_view device) const {
        std::shared_ptr<SimFirmware> firmware = Firmware(device);
        if (auto direct = std::dynamic_pointer_cast<T>(firmware)) return direct;
        if (auto receiver = std::dynamic_pointer_cast<ReceiverFirmware>(firmware)) {
            return std::dynamic_pointer_cast<T>(receiver->Device());
        }
        return nullptr;
    }
    std::shared_ptr<KeyboardFirmware> Keyboard() const {
        return FirmwareAs<KeyboardFirmware>("keyboard");
    }
    std::shared_ptr<HeadsetFirmware> Headset() const {
        return FirmwareAs<HeadsetFirmware>("headset");
    }
    std::shared_ptr<MouseFirmware> Mouse() const { return FirmwareAs<MouseFirmware>("mouse"); }
    std::shared_ptr<PadFirmware> Pad() const { return FirmwareAs<PadFirmware>("pad"); }
    // The firmware that carries out a device's commands (behind its receiver for a receiver).
    std::shared_ptr<PacketFirmware> CommandFirmware(std::string_view device) const {
        return FirmwareAs<PacketFirmware>(device);
    }

    // The command packets written to the device since its last plug (the last plug's when it is
    // unplugged; empty when it never was plugged).
    RequestLog Requests(std::string_view device) const;
    // Empties that log; false when the device never was plugged.
    bool ClearRequests(std::string_view device);

    // Every thread that wrote a report to one of the device's nodes since the bus was made, in
    // order of its first write.
    std::vector<std::thread::id> WriteThreads(std::string_view device) const;
    // Replaces the observer (an empty function removes it).
    void SetWriteObserver(WriteObserver observer);

    // Paths of the plugged device's nodes, in the firmware's node order; empty when unplugged.
    std::vector<std::string> NodePaths(std::string_view device) const;
    // Path of its node with that interface number ("" when none).
    std::string NodePath(std::string_view device, int interfaceNumber) const;

    // Queue length of connections opened from now on.
    void SetInputQueueCapacity(size_t reports);

    // HidBackend
    bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) override;
    bool DescribeNode(const std::string& nodePath, HidNodeInfo& info) override;
    std::unique_ptr<HidNodeConnection> OpenNode(const std::string& nodePath, bool read, bool write,
                                                std::string& error) override;
    bool NodePresent(const std::string& nodePath) override;
    // Woken by every plug, unplug (a firmware's own included) and receiver on/off switch.
    std::unique_ptr<HidChangeWatch> WatchChanges() override;

    struct Core;  // shared with the connections, which may outlive a plug

  private:
    bool PlugFirmware(std::string_view device, std::shared_ptr<SimFirmware> firmware,
                      bool overrideIds, uint16_t vendorId, uint16_t productId);

    std::shared_ptr<Core> core_;
};

// A firmware of the kind a device name stands for (nullptr for an unknown name).
std::shared_ptr<SimFirmware> MakeFirmwareFor(std::string_view device);

}  // namespace qx::sim
