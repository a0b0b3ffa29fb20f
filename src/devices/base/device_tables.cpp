#include "devices/base/device_tables.h"

namespace qx::devices {

int FindDeviceEntryRow(uint16_t vendorId, uint16_t productId, uint16_t kindCode, uint16_t role) {
    for (size_t i = 0; i < kDeviceEntryTable.size(); ++i) {
        const DeviceEntryRow& row = kDeviceEntryTable[i];
        if (row.vendorId == vendorId && row.productId == productId && row.kindCode == kindCode &&
            row.role == role) {
            return static_cast<int>(i);
        }
    }
    // A row without identity stands for every device of its kind: a slot table that gives the
    // family an identity still finds its entry.
    for (size_t i = 0; i < kDeviceEntryTable.size(); ++i) {
        const DeviceEntryRow& row = kDeviceEntryTable[i];
        if (row.vendorId == 0 && row.productId == 0 && row.kindCode == kindCode && row.role == role)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace qx::devices
