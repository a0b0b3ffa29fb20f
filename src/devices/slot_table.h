// The slot table: one slot per supported-device row, each free or holding the path of the
// interface that fills it. Discovery claims slots; the owner of the devices may clear one.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "devices/supported_devices.h"

namespace qx {

struct DeviceSlot {
    int index = -1;  // the slot's index, which is its row's index in the table
    SupportedDeviceRow row{};
    bool connected = false;
    std::string path;  // empty when free

    bool Connected() const { return connected; }
    bool Free() const { return !connected && path.empty(); }
};

// What discovery knows of a candidate interface.
struct ProbeRecord {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    DeviceKind kind = DeviceKind::KeyboardWired;
    InterfaceRole role = InterfaceRole::Command;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::string path;
};

// Identity fields of a probe taken from its path alone.
ProbeRecord ProbeFromPath(const std::string& path);

class SlotTable {
  public:
    explicit SlotTable(std::span<const SupportedDeviceRow> rows = kSupportedDevices);

    size_t size() const { return slots_.size(); }
    std::span<const SupportedDeviceRow> Rows() const { return rows_; }
    DeviceSlot Slot(size_t index) const;

    bool AllFilled() const;
    // Some row has the probe's vendor, product, collection and interface, and a free slot too.
    bool PreMatch(const ProbeRecord& probe) const;
    // Takes the first free slot of the first row matching all six identity values.
    bool Claim(ProbeRecord& probe, int& index);
    // Frees a slot (its interface is gone, or the owner dropped the device).
    void Release(size_t index);
    // Indices of the connected slots with their paths.
    std::vector<std::pair<size_t, std::string>> ConnectedSlots() const;

  private:
    std::vector<SupportedDeviceRow> rows_;
    mutable std::mutex mutex_;
    std::vector<DeviceSlot> slots_;
};

}  // namespace qx
