#include "devices/slot_table.h"

#include "hid/hid_paths.h"

namespace qx {
namespace {

bool SameAddress(const SupportedDeviceRow& row, const ProbeRecord& probe) {
    return row.vendorId == probe.vendorId && row.productId == probe.productId &&
           row.collectionNumber == probe.collectionNumber &&
           row.interfaceNumber == probe.interfaceNumber;
}

bool SameIdentity(const SupportedDeviceRow& row, const ProbeRecord& probe) {
    return SameAddress(row, probe) && row.usagePage == probe.usagePage && row.usage == probe.usage;
}

}  // namespace

ProbeRecord ProbeFromPath(const std::string& path) {
    ProbeRecord probe;
    probe.vendorId = PathVendorId(path);
    probe.productId = PathProductId(path);
    probe.interfaceNumber = PathInterfaceNumber(path);
    probe.collectionNumber = PathCollectionNumber(path);
    probe.path = path;
    return probe;
}

SlotTable::SlotTable(std::span<const SupportedDeviceRow> rows) : rows_(rows.begin(), rows.end()) {
    slots_.reserve(rows_.size());
    for (const SupportedDeviceRow& row : rows_) {
        DeviceSlot slot;
        slot.index = static_cast<int>(slots_.size());
        slot.row = row;
        slots_.push_back(slot);
    }
}

DeviceSlot SlotTable::Slot(size_t index) const {
    std::lock_guard lock(mutex_);
    return index < slots_.size() ? slots_[index] : DeviceSlot{};
}

bool SlotTable::AllFilled() const {
    std::lock_guard lock(mutex_);
    for (const DeviceSlot& slot : slots_) {
        if (slot.Free()) return false;
    }
    return true;
}

bool SlotTable::PreMatch(const ProbeRecord& probe) const {
    std::lock_guard lock(mutex_);
    bool rowMatches = false;
    for (const SupportedDeviceRow& row : rows_) {
        if (SameAddress(row, probe)) {
            rowMatches = true;
            break;
        }
    }
    if (!rowMatches) return false;
    for (const DeviceSlot& slot : slots_) {
        if (slot.Free() && SameAddress(slot.row, probe)) return true;
    }
    return false;
}

bool SlotTable::Claim(ProbeRecord& probe, int& index) {
    std::lock_guard lock(mutex_);
    const SupportedDeviceRow* match = nullptr;
    for (const SupportedDeviceRow& row : rows_) {
        if (SameIdentity(row, probe)) {
            match = &row;
            break;
        }
    }
    if (match == nullptr) return false;
    probe.kind = match->kind;
    probe.role = match->role;
    for (size_t i = 0; i < slots_.size(); ++i) {
        DeviceSlot& slot = slots_[i];
        if (slot.Free() && SameIdentity(slot.row, probe) && slot.row.kind == probe.kind &&
            slot.row.role == probe.role) {
            slot.connected = true;
            slot.path = probe.path;
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void SlotTable::Release(size_t index) {
    std::lock_guard lock(mutex_);
    if (index >= slots_.size()) return;
    slots_[index].connected = false;
    slots_[index].path.clear();
}

std::vector<std::pair<size_t, std::string>> SlotTable::ConnectedSlots() const {
    std::lock_guard lock(mutex_);
    std::vector<std::pair<size_t, std::string>> connected;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].Connected()) connected.emplace_back(i, slots_[i].path);
    }
    return connected;
}

}  // namespace qx
