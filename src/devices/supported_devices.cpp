#include "devices/supported_devices.h"

namespace qx {

const std::array<SupportedDeviceRow, kSupportedDeviceCount> kSupportedDevices = {{
    {0x3A5C, 0x7031, 1, 4, 1, 0x00, 0, 0xFF1C, 0x92, 1, 2},
    {0x3A5C, 0x7031, 1, 3, 1, 0xFF, 0, 0x000C, 0x01, 1, 3},
    {0x0000, 0x0000, 1, 4, 9, 0x00, 0, 0xFF1C, 0x92, 1, 0},
    {0x0000, 0x0000, 1, 3, 9, 0xFF, 0, 0x000C, 0x01, 1, 1},
    {0x0000, 0x0000, 1, 4, 2, 0x00, 0, 0xFF1C, 0x92, 1, 6},
    {0x0000, 0x0000, 1, 3, 2, 0xFF, 0, 0x000C, 0x01, 1, 7},
    {0x0000, 0x0000, 1, 4, 6, 0x00, 0, 0xFF1C, 0x92, 1, 4},
    {0x0000, 0x0000, 1, 3, 6, 0xFF, 0, 0x000C, 0x01, 1, 5},
    {0x0000, 0x0000, 1, 4, 3, 0x00, 0, 0xFF1C, 0x92, 0, 0},
    {0x0000, 0x0000, 1, 3, 3, 0xFF, 0, 0x000C, 0x01, 0, 0},
    {0x0C76, 0x1630, 3, 0, 7, 0x00, 0, 0x000C, 0x01, 0, 0},
}};

int FindSupportedRow(std::span<const SupportedDeviceRow> rows, uint16_t vendorId,
                     uint16_t productId, DeviceKind kind, InterfaceRole role) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const SupportedDeviceRow& row = rows[i];
        if (row.vendorId == vendorId && row.productId == productId &&
            row.kind == static_cast<uint16_t>(kind) && row.role == static_cast<uint16_t>(role)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace qx
