#include "app/tool_query.h"

#include <vector>

#include "devices/base/device_families.h"

namespace qx::app {
namespace {

constexpr int kValueCount = kToolQueryAnswerSize / 4;

void PutValue(QByteArray& data, int index, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int b = 0; b < 4; ++b) data[index * 4 + b] = static_cast<char>((bits >> (8 * b)) & 0xFF);
}

}  // namespace

std::span<const ToolQueryRow> DeviceEntryRowsForTools() {
    static const std::vector<ToolQueryRow> rows = [] {
        std::vector<ToolQueryRow> made;
        for (const devices::DeviceFamilyRow& family : devices::DeviceFamilies()) {
            made.push_back(
                {family.vendorId, family.productId, static_cast<uint16_t>(family.entryKind)});
        }
        return made;
    }();
    return rows;
}

QByteArray BuildToolQueryAnswer(std::span<const ToolQueryRow> rows) {
    QByteArray data(kToolQueryAnswerSize, '\0');
    PutValue(data, 0, 2);
    PutValue(data, 1, 3);
    PutValue(data, 2, 0);
    PutValue(data, 3, 2);
    const int maxRows = (kValueCount - 5) / 3;
    const int count = rows.size() > size_t(maxRows) ? maxRows : int(rows.size());
    PutValue(data, 4, count);
    for (int i = 0; i < count; ++i) {
        PutValue(data, 5 + 3 * i, rows[size_t(i)].vendorId);
        PutValue(data, 6 + 3 * i, rows[size_t(i)].productId);
        PutValue(data, 7 + 3 * i, rows[size_t(i)].kind);
    }
    return data;
}

}  // namespace qx::app
