// The answer to an outside tool's query for the device entry table: 1024 bytes, 256 signed
// 32-bit little-endian values.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

namespace qx::app {

inline constexpr uint32_t kToolQueryDataKind = 5;
inline constexpr int kToolQueryAnswerSize = 1024;

struct ToolQueryRow {
    int vendorId = 0;
    int productId = 0;
    int kind = 0;
};

// The device entry rows the answer lists (mouse, keyboard, mouse pad, headset).
std::span<const ToolQueryRow> DeviceEntryRowsForTools();

// Values 0..3 = 2, 3, 0, 2; value 4 = row count; value 5 + 3i, 6 + 3i, 7 + 3i = vendor, product
// and kind of row i; every other value 0. Rows that would not fit are left out.
QByteArray BuildToolQueryAnswer(std::span<const ToolQueryRow> rows);

}  // namespace qx::app
