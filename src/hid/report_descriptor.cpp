#include "hid/report_descriptor.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <utility>

namespace qx {
namespace {

// Limits that keep a hostile descriptor from costing more than its own size suggests.
constexpr size_t kMaxCollectionDepth = 32;
constexpr size_t kMaxGlobalStack = 16;
constexpr size_t kMaxLocalUsages = 4096;
// A report, id byte included, must fit the 16-bit report lengths.
constexpr uint64_t kMaxReportBits = (uint64_t{0xFFFF} - 1) * 8;

enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2, kReserved = 3 };

enum MainTag : uint8_t {
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
    kUsagePage = 0x0,
    kLogicalMin = 0x1,
    kLogicalMax = 0x2,
    kPhysicalMin = 0x3,
    kPhysicalMax = 0x4,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};

enum LocalTag : uint8_t { kUsage = 0x0, kUsageMin = 0x1, kUsageMax = 0x2 };

struct GlobalState {
    uint16_t usagePage = 0;
    uint32_t logicalMinRaw = 0;
    uint32_t logicalMaxRaw = 0;
    uint8_t logicalMinSize = 0;
    uint8_t logicalMaxSize = 0;
    uint32_t physicalMinRaw = 0;
    uint32_t physicalMaxRaw = 0;
    uint8_t physicalMinSize = 0;
    uint8_t physicalMaxSize = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// A usage as written: the page is explicit for a 4-byte usage, else the usage page in force when
// the main item is reached.
struct LocalUsage {
    bool hasPage = false;
    uint16_t page = 0;
    uint16_t usage = 0;
};

struct LocalState {
    std::vector<LocalUsage> usages;
    bool hasMin = false;
    bool hasMax = false;
    LocalUsage usageMin;
    LocalUsage usageMax;

    void Clear() { *this = LocalState{}; }
};

int32_t SignExtend(uint32_t raw, uint8_t size) {
    switch (size) {
        case 1:
            return static_cast<int8_t>(raw & 0xFF);
        case 2:
            return static_cast<int16_t>(raw & 0xFFFF);
        case 4:
            return static_cast<int32_t>(raw);
        default:
            return 0;
    }
}

// A minimum below zero makes the pair signed; otherwise the maximum is read unsigned (as the
// Linux HID core does), so "Logical Maximum (255)" written in one byte means 255, not -1.
std::pair<int32_t, int32_t> ResolveRange(uint32_t minRaw, uint8_t minSize, uint32_t maxRaw,
                                         uint8_t maxSize) {
    const int32_t min = SignExtend(minRaw, minSize);
    const int32_t max = min < 0 ? SignExtend(maxRaw, maxSize) : static_cast<int32_t>(maxRaw);
    return {min, max};
}

LocalUsage MakeLocalUsage(uint32_t data, uint8_t size) {
    LocalUsage usage;
    if (size == 4) {
        usage.hasPage = true;
        usage.page = static_cast<uint16_t>(data >> 16);
    }
    usage.usage = static_cast<uint16_t>(data & 0xFFFF);
    return usage;
}

uint16_t PageOf(const LocalUsage& usage, const GlobalState& global) {
    return usage.hasPage ? usage.page : global.usagePage;
}

size_t TypeIndex(HidReportType type) { return static_cast<size_t>(type); }

class Parser {
  public:
    explicit Parser(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::optional<HidReportDescriptor> Run(std::string* error) {
        if (!Walk()) {
            if (error != nullptr) *error = error_;
            return std::nullopt;
        }
        Finish();
        return std::move(result_);
    }

  private:
    bool Fail(std::string text, size_t offset) {
        error_ = std::move(text) + " at offset " + std::to_string(offset);
        return false;
    }

    bool Walk() {
        if (bytes_.empty()) {
            error_ = "empty report descriptor";
            return false;
        }
        size_t pos = 0;
        while (pos < bytes_.size()) {
            const size_t itemStart = pos;
            const uint8_t prefix = bytes_[pos++];
            if (prefix == 0xFE) {  // long item: size, tag, data; nothing defined uses them
                if (bytes_.size() - pos < 2) return Fail("truncated long item", itemStart);
                const size_t dataSize = bytes_[pos];
                pos += 2;
                if (bytes_.size() - pos < dataSize) return Fail("truncated long item", itemStart);
                pos += dataSize;
                continue;
            }
            static constexpr std::array<uint8_t, 4> kSizes{0, 1, 2, 4};
            const uint8_t size = kSizes[prefix & 0x3];
            const auto type = static_cast<uint8_t>((prefix >> 2) & 0x3);
            const auto tag = static_cast<uint8_t>(prefix >> 4);
            if (bytes_.size() - pos < size) return Fail("truncated item", itemStart);
            uint32_t data = 0;
            for (uint8_t i = 0; i < size; ++i) data |= uint32_t{bytes_[pos + i]} << (8 * i);
            pos += size;

            bool ok = true;
            switch (type) {
                case kMain:
                    ok = MainItem(tag, data, itemStart);
                    break;
                case kGlobal:
                    ok = GlobalItem(tag, data, size, itemStart);
                    break;
                case kLocal:
                    ok = LocalItem(tag, data, size, itemStart);
                    break;
                default:
                    break;  // reserved item type: skipped
            }
            if (!ok) return false;
        }
        if (depth_ != 0) return Fail("collection not closed", bytes_.size());
        if (result_.collections.empty()) {
            error_ = "no top-level collection";
            return false;
        }
        return true;
    }

    bool GlobalItem(uint8_t tag, uint32_t data, uint8_t size, size_t offset) {
        switch (tag) {
            case kUsagePage:
                global_.usagePage = static_cast<uint16_t>(data);
                break;
            case kLogicalMin:
                global_.logicalMinRaw = data;
                global_.logicalMinSize = size;
                break;
            case kLogicalMax:
                global_.logicalMaxRaw = data;
                global_.logicalMaxSize = size;
                break;
            case kPhysicalMin:
                global_.physicalMinRaw = data;
                global_.physicalMinSize = size;
                break;
            case kPhysicalMax:
                global_.physicalMaxRaw = data;
                global_.physicalMaxSize = size;
                break;
            case kReportSize:
                global_.reportSize = data;
                break;
            case kReportCount:
                global_.reportCount = data;
                break;
            case kReportId:
                if (data == 0 || data > 0xFF) return Fail("invalid report id", offset);
                global_.reportId = static_cast<uint8_t>(data);
                break;
            case kPush:
                if (stack_.size() >= kMaxGlobalStack)
                    return Fail("global item stack too deep", offset);
                stack_.push_back(global_);
                break;
            case kPop:
                if (stack_.empty()) return Fail("pop without push", offset);
                global_ = stack_.back();
                stack_.pop_back();
                break;
            default:
                break;  // unit, unit exponent and reserved tags do not change the layout
        }
        return true;
    }

    bool LocalItem(uint8_t tag, uint32_t data, uint8_t size, size_t offset) {
        switch (tag) {
            case kUsage:
                if (local_.usages.size() >= kMaxLocalUsages) return Fail("too many usages", offset);
                local_.usages.push_back(MakeLocalUsage(data, size));
                break;
            case kUsageMin:
                local_.hasMin = true;
                local_.usageMin = MakeLocalUsage(data, size);
                break;
            case kUsageMax:
                local_.hasMax = true;
                local_.usageMax = MakeLocalUsage(data, size);
                break;
            default:
                break;  // designators, strings and delimiters carry no layout
        }
        return true;
    }

    bool MainItem(uint8_t tag, uint32_t data, size_t offset) {
        bool ok = true;
        switch (tag) {
            case kCollection:
                if (depth_ >= kMaxCollectionDepth) {
                    ok = Fail("collections nested too deep", offset);
                    break;
                }
                if (depth_ == 0) {
                    HidCollectionInfo collection;
                    if (!local_.usages.empty()) {
                        collection.usagePage = PageOf(local_.usages.front(), global_);
                        collection.usage = local_.usages.front().usage;
                    } else if (local_.hasMin) {
                        collection.usagePage = PageOf(local_.usageMin, global_);
                        collection.usage = local_.usageMin.usage;
                    } else {
                        collection.usagePage = global_.usagePage;
                    }
                    result_.collections.push_back(std::move(collection));
                }
                ++depth_;
                break;
            case kEndCollection:
                if (depth_ == 0) {
                    ok = Fail("end of collection without collection", offset);
                    break;
                }
                --depth_;
                break;
            case kInput:
                ok = AddField(HidReportType::Input, data, offset);
                break;
            case kOutput:
                ok = AddField(HidReportType::Output, data, offset);
                break;
            case kFeature:
                ok = AddField(HidReportType::Feature, data, offset);
                break;
            default:
                break;  // reserved main tags
        }
        local_.Clear();
        return ok;
    }

    bool AddField(HidReportType type, uint32_t data, size_t offset) {
        if (depth_ == 0) return Fail("report item outside of any collection", offset);
        HidField field;
        field.type = type;
        field.reportId = global_.reportId;
        field.isConstant = (data & 0x01) != 0;
        field.isArray = (data & 0x02) == 0;
        field.isRelative = (data & 0x04) != 0;
        field.hasNull = (data & 0x40) != 0;
        field.reportSize = global_.reportSize;
        field.reportCount = global_.reportCount;
        field.isButton = field.isArray || field.reportSize == 1;
        std::tie(field.logicalMin, field.logicalMax) =
            ResolveRange(global_.logicalMinRaw, global_.logicalMinSize, global_.logicalMaxRaw,
                         global_.logicalMaxSize);
        std::tie(field.physicalMin, field.physicalMax) =
            ResolveRange(global_.physicalMinRaw, global_.physicalMinSize, global_.physicalMaxRaw,
                         global_.physicalMaxSize);
        field.usagePage = global_.usagePage;
        if (local_.hasMin || local_.hasMax) {
            field.isRange = true;
            const LocalUsage& first = local_.hasMin ? local_.usageMin : local_.usageMax;
            field.usagePage = PageOf(first, global_);
            field.usageMin = local_.hasMin ? local_.usageMin.usage : local_.usageMax.usage;
            field.usageMax = local_.hasMax ? local_.usageMax.usage : field.usageMin;
            if (field.usageMax < field.usageMin) std::swap(field.usageMin, field.usageMax);
        }
        if (!local_.usages.empty()) {
            if (!field.isRange) {
                field.usagePage = PageOf(local_.usages.front(), global_);
                field.usageMin = local_.usages.front().usage;
                field.usageMax = local_.usages.back().usage;
            }
            field.usages.reserve(local_.usages.size());
            for (const LocalUsage& usage : local_.usages) field.usages.push_back(usage.usage);
        }

        // A field cannot hold more elements than a report has bits, whatever its element size
        // (a zero size would let the count alone claim billions of elements).
        if (field.reportCount > kMaxReportBits) return Fail("report count too large", offset);
        uint64_t& bits = reportBits_[TypeIndex(type)][field.reportId];
        field.bitOffset = static_cast<uint32_t>(bits);
        bits += uint64_t{field.reportSize} * field.reportCount;
        if (bits > kMaxReportBits) return Fail("report too long", offset);

        result_.collections.back().fields.push_back(std::move(field));
        return true;
    }

    // Report ids and lengths per collection, once every report's size is known (a report id's
    // report may continue after the collection that started it).
    void Finish() {
        for (HidCollectionInfo& collection : result_.collections) {
            std::array<uint16_t*, 3> lengths{&collection.inputReportLength,
                                             &collection.outputReportLength,
                                             &collection.featureReportLength};
            for (const HidField& field : collection.fields) {
                if (field.reportId != 0) collection.reportIds.push_back(field.reportId);
                const uint64_t bits = reportBits_[TypeIndex(field.type)][field.reportId];
                const auto bytes = static_cast<uint16_t>((bits + 7) / 8 + 1);
                uint16_t& length = *lengths[TypeIndex(field.type)];
                length = std::max(length, bytes);
            }
            std::sort(collection.reportIds.begin(), collection.reportIds.end());
            collection.reportIds.erase(
                std::unique(collection.reportIds.begin(), collection.reportIds.end()),
                collection.reportIds.end());
        }
    }

    std::span<const uint8_t> bytes_;
    std::string error_;
    HidReportDescriptor result_;
    GlobalState global_;
    std::vector<GlobalState> stack_;
    LocalState local_;
    size_t depth_ = 0;
    std::array<std::map<uint8_t, uint64_t>, 3> reportBits_;
};

int HexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool LooksLikeText(std::span<const uint8_t> content) {
    return std::all_of(content.begin(), content.end(), [](uint8_t c) {
        return c == '\n' || c == '\r' || c == '\t' || (c >= 0x20 && c < 0x7F);
    });
}

// Hex text: tokens separated by blanks, commas or semicolons; "0x" prefixes allowed; comments
// from '#' or "//" to the end of the line. A token is one byte ("5", "0x05") or a run of pairs.
std::optional<std::vector<uint8_t>> ParseHexText(std::span<const uint8_t> content) {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
    const auto isSeparator = [](uint8_t c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';';
    };
    while (pos < content.size()) {
        const uint8_t c = content[pos];
        if (isSeparator(c)) {
            ++pos;
            continue;
        }
        if (c == '#' || (c == '/' && pos + 1 < content.size() && content[pos + 1] == '/')) {
            while (pos < content.size() && content[pos] != '\n') ++pos;
            continue;
        }
        size_t end = pos;
        while (end < content.size() && !isSeparator(content[end]) && content[end] != '#') ++end;
        std::span<const uint8_t> token = content.subspan(pos, end - pos);
        pos = end;
        bool prefixed = false;
        if (token.size() >= 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
            token = token.subspan(2);
            prefixed = true;
        }
        if (token.empty()) return std::nullopt;
        for (uint8_t d : token) {
            if (HexDigit(d) < 0) return std::nullopt;
        }
        if (token.size() == 1) {
            bytes.push_back(static_cast<uint8_t>(HexDigit(token[0])));
        } else if (token.size() % 2 == 0 && (!prefixed || token.size() == 2)) {
            for (size_t i = 0; i < token.size(); i += 2) {
                bytes.push_back(
                    static_cast<uint8_t>(HexDigit(token[i]) * 16 + HexDigit(token[i + 1])));
            }
        } else {
            return std::nullopt;
        }
    }
    if (bytes.empty()) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<HidReportDescriptor> ParseReportDescriptor(std::span<const uint8_t> bytes,
                                                         std::string* error) {
    return Parser(bytes).Run(error);
}

std::optional<std::vector<uint8_t>> DescriptorBytesFromFile(std::span<const uint8_t> content) {
    if (content.empty()) return std::nullopt;
    // A binary descriptor starts with an item prefix such as 0x05 or 0x06, which is no text.
    if (LooksLikeText(content)) return ParseHexText(content);
    return std::vector<uint8_t>(content.begin(), content.end());
}

uint32_t ExtractFieldBits(const HidField& field, std::span<const uint8_t> report, bool reportHasId,
                          uint32_t index) {
    if (index >= field.reportCount || field.reportSize == 0) return 0;
    const uint64_t start =
        (reportHasId ? 8u : 0u) + uint64_t{field.bitOffset} + uint64_t{index} * field.reportSize;
    if (start + field.reportSize > uint64_t{report.size()} * 8) return 0;
    const uint32_t width = std::min<uint32_t>(field.reportSize, 32);
    uint32_t value = 0;
    for (uint32_t bit = 0; bit < width; ++bit) {
        const uint64_t at = start + bit;
        if ((report[at / 8] >> (at % 8)) & 1u) value |= uint32_t{1} << bit;
    }
    return value;
}

}  // namespace qx
