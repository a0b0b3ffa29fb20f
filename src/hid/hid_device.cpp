#include "hid/hid_device.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "hid/hid_paths.h"

namespace qx {
namespace {

using Clock = std::chrono::steady_clock;

// Time left of a wait that started at `start`; -1 stays -1 (no limit), never below 0.
int RemainingMs(int timeoutMs, Clock::time_point start) {
    if (timeoutMs < 0) return -1;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return elapsed >= timeoutMs ? 0 : static_cast<int>(timeoutMs - elapsed);
}

bool AnyReportIds(const HidReportDescriptor& descriptor) {
    return std::any_of(descriptor.collections.begin(), descriptor.collections.end(),
                       [](const HidCollectionInfo& c) { return !c.reportIds.empty(); });
}

int32_t SignExtend(uint32_t raw, uint32_t bits) {
    if (bits == 0 || bits >= 32) return static_cast<int32_t>(raw);
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((raw ^ sign) - sign);
}

}  // namespace

HidDevice::HidDevice(HidBackend& backend) : backend_(&backend) {}

HidDevice::~HidDevice() {
    Close();
    FreePaths();
}

int HidDevice::Enumerate() {
    paths_.clear();
    nextPath_ = 0;
    std::vector<HidNodeInfo> nodes;
    if (!backend_->EnumerateNodes(nodes)) return 0;
    for (const HidNodeInfo& node : nodes) {
        const size_t count = CollectionCount(node);
        if (count <= 1) {
            // A node whose descriptor can't be read is still listed, so that opening it tells why.
            paths_.push_back(MakeInterfacePath(node.nodePath, node.vendorId, node.productId,
                                               node.interfaceNumber, 0));
            continue;
        }
        for (size_t i = 1; i <= count; ++i) {
            paths_.push_back(MakeInterfacePath(node.nodePath, node.vendorId, node.productId,
                                               node.interfaceNumber, static_cast<int>(i)));
        }
    }
    return 1;
}

size_t HidDevice::CollectionCount(const HidNodeInfo& node) {
    // Discovery enumerates every 100 ms; a node's descriptor is parsed again only when it changed.
    auto cached = collectionCounts_.find(node.nodePath);
    if (cached != collectionCounts_.end() && cached->second.first == node.reportDescriptor) {
        return cached->second.second;
    }
    const auto descriptor = ParseReportDescriptor(node.reportDescriptor);
    const size_t count = descriptor ? descriptor->collections.size() : 0;
    if (collectionCounts_.size() > 256) collectionCounts_.clear();
    collectionCounts_[node.nodePath] = {node.reportDescriptor, count};
    return count;
}

const std::string* HidDevice::NextPath() {
    if (nextPath_ >= paths_.size()) return nullptr;
    return &paths_[nextPath_++];
}

void HidDevice::FreePaths() {
    paths_.clear();
    paths_.shrink_to_fit();
    nextPath_ = 0;
}

int HidDevice::Open(const std::string& path, bool read, bool write, bool overlapped,
                    bool sharedReadOnly) {
    Close();
    openedRead_ = read;
    openedWrite_ = write;
    openedOverlapped_ = overlapped;
    openedSharedReadOnly_ = sharedReadOnly;
    path_ = path;
    lastError_.clear();

    const std::string nodePath(NodePathOf(path));
    HidNodeInfo node;
    HidBackend& backend = *backend_;
    if (!backend.DescribeNode(nodePath, node)) {
        lastError_ = "no such HID interface: " + path;
        return 0;
    }
    std::string parseError;
    const auto descriptor = ParseReportDescriptor(node.reportDescriptor, &parseError);
    if (!descriptor || descriptor->collections.empty()) {
        lastError_ = "unreadable report descriptor of " + nodePath +
                     (parseError.empty() ? std::string() : ": " + parseError);
        return 0;
    }
    const uint16_t wanted = PathCollectionNumber(path);
    const size_t count = descriptor->collections.size();
    size_t index = 0;
    if (wanted == 0) {
        if (count != 1) {
            lastError_ = "the path names no collection of " + nodePath;
            return 0;
        }
    } else if (wanted > count) {
        lastError_ = "no collection " + std::to_string(wanted) + " on " + nodePath;
        return 0;
    } else {
        index = wanted - 1u;
    }

    std::shared_ptr<HidNodeConnection> connection;
    if (read || write) {
        connection = backend.OpenNode(nodePath, read, write, lastError_);
        if (!connection) return 0;
    }

    vendorId_ = node.vendorId;
    productId_ = node.productId;
    version_ = node.version;
    nodeUsesReportIds_ = AnyReportIds(*descriptor);
    collection_ = descriptor->collections[index];
    inputBuffer_.assign(collection_.inputReportLength, 0);
    BuildInputItems();
    interfaceNumber_ = PathInterfaceNumber(path);
    collectionNumber_ = wanted;
    {
        std::lock_guard lock(connectionMutex_);
        connection_ = std::move(connection);
    }
    return 1;
}

void HidDevice::Close() {
    std::shared_ptr<HidNodeConnection> connection;
    {
        std::lock_guard lock(connectionMutex_);
        connection = std::move(connection_);
        connection_.reset();
    }
    // A transfer waiting on this connection holds its own reference; the signal ends its wait.
    if (connection) connection->Cancel();
    inputItems_.clear();
    inputBuffer_.clear();
    collection_ = HidCollectionInfo{};
    vendorId_ = productId_ = version_ = 0;
    interfaceNumber_ = collectionNumber_ = 0;
}

bool HidDevice::IsOpen() const { return Connection() != nullptr; }

std::shared_ptr<HidNodeConnection> HidDevice::Connection() const {
    std::lock_guard lock(connectionMutex_);
    return connection_;
}

void HidDevice::Cancel() {
    if (auto connection = Connection()) connection->Cancel();
}

bool HidDevice::TakeReport(const uint8_t* report, size_t got, uint8_t* buffer, size_t length,
                           size_t* bytesRead) const {
    const size_t reportLength = std::max<size_t>(collection_.inputReportLength, 2);
    if (nodeUsesReportIds_) {
        if (got == 0) return false;
        const std::vector<uint8_t>& reportIds = collection_.reportIds;
        // Another collection's report on the same node.
        if (std::find(reportIds.begin(), reportIds.end(), report[0]) == reportIds.end())
            return false;
        const size_t n = std::min({got, length, reportLength});
        std::memcpy(buffer, report, n);
        const size_t total = std::min(length, reportLength);
        std::memset(buffer + n, 0, total - n);
        if (bytesRead != nullptr) *bytesRead = total;
        return true;
    }
    // Reports without ids are handed out behind a report id byte of 0.
    const size_t total = std::min(length, reportLength);
    buffer[0] = 0;
    const size_t n = std::min(got, total - 1);
    std::memcpy(buffer + 1, report, n);
    std::memset(buffer + 1 + n, 0, total - 1 - n);
    if (bytesRead != nullptr) *bytesRead = total;
    return true;
}

int HidDevice::Read(uint8_t* buffer, size_t length, size_t* bytesRead, int timeoutMs) {
    if (bytesRead != nullptr) *bytesRead = 0;
    const auto connection = Connection();
    if (!connection || buffer == nullptr || length == 0) return 0;
    uint8_t scratch[4096];
    const auto start = Clock::now();
    for (;;) {
        size_t got = 0;
        const HidIoStatus status = connection->ReadReport(std::span(scratch, sizeof scratch), got,
                                                          RemainingMs(timeoutMs, start));
        if (status != HidIoStatus::Ok) return 0;
        if (TakeReport(scratch, got, buffer, length, bytesRead)) return 1;
        if (RemainingMs(timeoutMs, start) == 0) return 0;
    }
}

HidDevice::Queued HidDevice::TakeQueued(uint8_t* buffer, size_t length, size_t* bytesRead) {
    if (bytesRead != nullptr) *bytesRead = 0;
    const auto connection = Connection();
    if (!connection || buffer == nullptr || length == 0) return Queued::None;
    uint8_t scratch[4096];
    size_t got = 0;
    if (connection->ReadReport(std::span(scratch, sizeof scratch), got, 0) != HidIoStatus::Ok)
        return Queued::None;
    return TakeReport(scratch, got, buffer, length, bytesRead) ? Queued::Own : Queued::Other;
}

size_t HidDevice::DiscardPendingInput() {
    const auto connection = Connection();
    if (!connection) return 0;
    // Bounded, so that a device flooding its node cannot hold the caller here.
    constexpr size_t kMostDiscarded = 1024;
    uint8_t scratch[4096];
    size_t discarded = 0;
    size_t got = 0;
    while (discarded < kMostDiscarded &&
           connection->ReadReport(std::span(scratch, sizeof scratch), got, 0) == HidIoStatus::Ok) {
        ++discarded;
    }
    return discarded;
}

int HidDevice::Write(const uint8_t* buffer, size_t length, size_t* bytesWritten, int timeoutMs) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    const auto connection = Connection();
    if (!connection || buffer == nullptr || length == 0) return 0;
    if (connection->WriteReport(std::span(buffer, length), timeoutMs) != HidIoStatus::Ok) return 0;
    if (bytesWritten != nullptr) *bytesWritten = length;
    return 1;
}

void HidDevice::BuildInputItems() {
    inputItems_.clear();
    for (size_t f = 0; f < collection_.fields.size(); ++f) {
        const HidField& field = collection_.fields[f];
        if (field.type != HidReportType::Input || field.isConstant) continue;
        if (field.isButton) {
            HidInputItem item;
            item.isButton = true;
            item.usagePage = field.usagePage;
            item.reportId = field.reportId;
            if (field.isRange || field.usages.empty()) {
                item.usageMin = field.usageMin;
                item.usageMax = field.usageMax;
            } else {
                const auto [lo, hi] = std::minmax_element(field.usages.begin(), field.usages.end());
                item.usageMin = *lo;
                item.usageMax = *hi;
            }
            item.usageList.assign(std::max<uint32_t>(field.reportCount, 1), 0);
            item.fieldIndex = f;
            inputItems_.push_back(std::move(item));
            continue;
        }
        // One value item per usage; a range covers as many usages as the field has elements.
        const uint32_t elements = std::max<uint32_t>(field.reportCount, 1);
        for (uint32_t e = 0; e < elements; ++e) {
            uint16_t usage = 0;
            if (field.isRange || field.usages.empty()) {
                const uint32_t u = field.usageMin + e;
                if (u > field.usageMax && e > 0) break;
                usage = static_cast<uint16_t>(std::min<uint32_t>(u, field.usageMax));
            } else {
                usage = field.usages[std::min<size_t>(e, field.usages.size() - 1)];
                if (e >= field.usages.size()) break;
            }
            HidInputItem item;
            item.usagePage = field.usagePage;
            item.reportId = field.reportId;
            item.usage = usage;
            item.fieldIndex = f;
            item.elementIndex = e;
            inputItems_.push_back(std::move(item));
        }
    }
}

int HidDevice::UnpackInputReport(const uint8_t* report, size_t length) {
    if (report == nullptr || length == 0) return 1;
    const std::span<const uint8_t> bytes(report, length);
    // Reports handed out by Read always start with the id byte (0 without ids); the field
    // offsets count from the byte after it.
    for (HidInputItem& item : inputItems_) {
        if (item.reportId != report[0]) continue;
        const HidField& field = collection_.fields[item.fieldIndex];
        if (item.isButton) {
            size_t kept = 0;
            auto keep = [&](uint32_t usage) {
                if (usage == 0 || usage < item.usageMin || usage > item.usageMax) return;
                if (kept < item.usageList.size())
                    item.usageList[kept++] = static_cast<uint16_t>(usage);
            };
            for (uint32_t e = 0; e < field.reportCount; ++e) {
                const uint32_t raw = ExtractFieldBits(field, bytes, true, e);
                if (field.isArray) {
                    const int64_t value = field.logicalMin < 0 ? SignExtend(raw, field.reportSize)
                                                               : static_cast<int64_t>(raw);
                    if (value < field.logicalMin || value > field.logicalMax) continue;
                    const int64_t index = value - field.logicalMin;
                    if (field.isRange || field.usages.empty()) {
                        keep(static_cast<uint32_t>(field.usageMin + index));
                    } else if (index < static_cast<int64_t>(field.usages.size())) {
                        keep(field.usages[static_cast<size_t>(index)]);
                    }
                } else if (raw != 0) {
                    if (field.isRange || field.usages.empty()) {
                        keep(field.usageMin + e);
                    } else if (e < field.usages.size()) {
                        keep(field.usages[e]);
                    }
                }
            }
            if (kept < item.usageList.size()) item.usageList[kept] = 0;
            item.status = 1;
        } else {
            item.rawValue = ExtractFieldBits(field, bytes, true, item.elementIndex);
            const int32_t logical = field.logicalMin < 0
                                        ? SignExtend(item.rawValue, field.reportSize)
                                        : static_cast<int32_t>(item.rawValue);
            if (field.physicalMin == 0 && field.physicalMax == 0) {
                item.scaledValue = logical;
            } else if (field.logicalMax != field.logicalMin) {
                const int64_t span = static_cast<int64_t>(field.physicalMax) - field.physicalMin;
                item.scaledValue = static_cast<int32_t>(
                    field.physicalMin +
                    (static_cast<int64_t>(logical) - field.logicalMin) * span /
                        (static_cast<int64_t>(field.logicalMax) - field.logicalMin));
            }
            item.status = 1;
        }
        item.dataSet = true;
    }
    return 1;
}

}  // namespace qx
