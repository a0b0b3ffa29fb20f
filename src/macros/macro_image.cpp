#include "macros/macro_image.h"

namespace qx {
namespace {

void PutWord(std::vector<uint8_t>& image, size_t offset, size_t value) {
    image[offset] = static_cast<uint8_t>(value);
    image[offset + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

size_t MacroImageLength(const std::vector<MacroRecord>& records) {
    size_t length = 16 + 6 * records.size();
    for (const MacroRecord& record : records) length += 4 * record.size();
    return length;
}

std::optional<std::vector<uint8_t>> BuildMacroImage(const std::vector<MacroRecord>& records) {
    const size_t length = MacroImageLength(records);
    if (length > kMaxMacroImageLength) return std::nullopt;
    std::vector<uint8_t> image(length, 0);
    image[0] = 0xAA;
    image[1] = 0x55;
    PutWord(image, 2, length);
    PutWord(image, 4, records.size());
    size_t offset = 16 + 2 * records.size();
    for (size_t i = 0; i < records.size(); ++i) {
        PutWord(image, 16 + 2 * i, offset);
        PutWord(image, offset, records[i].size());
        offset += 4;
        for (const DeviceMacroEvent& event : records[i]) {
            for (size_t b = 0; b < 4; ++b) image[offset + b] = event[b];
            offset += 4;
        }
    }
    return image;
}

int OversizeResult(size_t totalLength, size_t capacity) {
    if (totalLength <= capacity) return 0;
    return static_cast<int>((totalLength - capacity) >> 2) + 1;
}

}  // namespace qx
