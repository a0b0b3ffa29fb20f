// One opened HID interface (one top-level collection) and, used the other way, the list of every
// HID interface present. Reads and writes move whole reports with a time-out that another thread
// can cut short; the input item table turns an input report into usages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/event.h"
#include "hid/report_descriptor.h"
#include "platform/hid_backend.h"

namespace qx {

// One entry of the input item table: a button field (its usages now on) or one value usage.
struct HidInputItem {
    bool isButton = false;
    uint16_t usagePage = 0;
    int status = 0;  // 1 when the last unpack succeeded for this item
    uint8_t reportId = 0;
    bool dataSet = false;
    // button item
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    std::vector<uint16_t> usageList;  // maximum usage-list length; 0 after the last usage on
    // value item
    uint16_t usage = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;
    size_t fieldIndex = 0;      // the field of the collection this item reads
    uint32_t elementIndex = 0;  // for a value usage of a range: its element
};

class HidDevice {
  public:
    static constexpr int kInfinite = -1;

    // Every interface is reached through `backend` (the hidraw nodes, or the simulated bus).
    explicit HidDevice(HidBackend& backend);
    ~HidDevice();
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    // Enumeration: every present interface (one per top-level collection of every node).
    int Enumerate();                // 1 success, 0 failure
    const std::string* NextPath();  // nullptr when exhausted
    void FreePaths();
    int PathCount() const { return static_cast<int>(paths_.size()); }

    // 1 opened, 0 failed (LastError() then says why). Opening an open object closes it first.
    [[nodiscard]] int Open(const std::string& path, bool read, bool write, bool overlapped,
                           bool sharedReadOnly);
    // Cancels a transfer that waits now (from any thread) and closes.
    void Close();
    bool IsOpen() const;

    // Nonzero on success. A read returns the next input report of this collection (reports of
    // the node's other collections are skipped); its first byte is the report id (0 when the
    // collection uses none). timeoutMs -1 waits until a report or the cancel signal.
    int Read(uint8_t* buffer, size_t length, size_t* bytesRead, int timeoutMs);
    int Write(const uint8_t* buffer, size_t length, size_t* bytesWritten, int timeoutMs);

    // What TakeQueued found waiting on the node.
    enum class Queued { Own, Other, None };
    // Takes the report waiting first on the node, without waiting for one: Own (this
    // collection's, copied into buffer as Read does), Other (another collection's, dropped) or
    // None (nothing waits).
    Queued TakeQueued(uint8_t* buffer, size_t length, size_t* bytesRead);

    // Drops the input reports already queued on the node for this open (of any collection), so
    // that the next read sees only what arrives after it. Returns how many were dropped.
    size_t DiscardPendingInput();

    // Fills the input item table from a report read by Read. Returns 1.
    int UnpackInputReport(const uint8_t* report, size_t length);

    // Signals the cancel event: a transfer waiting now returns 0 (else the next one does).
    void Cancel();

    const std::string& Path() const { return path_; }
    const std::string& LastError() const { return lastError_; }
    uint16_t VendorId() const { return vendorId_; }
    uint16_t ProductId() const { return productId_; }
    uint16_t VersionNumber() const { return version_; }
    uint16_t UsagePage() const { return collection_.usagePage; }
    uint16_t Usage() const { return collection_.usage; }
    uint16_t InputReportByteLength() const { return collection_.inputReportLength; }
    uint16_t OutputReportByteLength() const { return collection_.outputReportLength; }
    uint16_t FeatureReportByteLength() const { return collection_.featureReportLength; }
    uint16_t InterfaceNumber() const { return interfaceNumber_; }
    uint16_t CollectionNumber() const { return collectionNumber_; }
    std::vector<uint8_t>& InputReportBuffer() { return inputBuffer_; }
    const std::vector<HidInputItem>& InputItems() const { return inputItems_; }

  private:
    // Copies a report read from the node into buffer as Read hands it out; false when it is
    // another collection's.
    bool TakeReport(const uint8_t* report, size_t got, uint8_t* buffer, size_t length,
                    size_t* bytesRead) const;

    HidBackend* backend_;
    std::shared_ptr<HidNodeConnection> Connection() const;
    size_t CollectionCount(const HidNodeInfo& node);
    void BuildInputItems();

    std::vector<std::string> paths_;
    size_t nextPath_ = 0;
    // Node path -> (descriptor, number of top-level collections) of the last enumeration.
    std::unordered_map<std::string, std::pair<std::vector<uint8_t>, size_t>> collectionCounts_;

    bool openedRead_ = false;
    bool openedWrite_ = false;
    bool openedOverlapped_ = false;
    bool openedSharedReadOnly_ = false;

    mutable std::mutex connectionMutex_;  // guards connection_ against a Close from another thread
    std::shared_ptr<HidNodeConnection> connection_;
    std::string path_;
    std::string lastError_;
    uint16_t vendorId_ = 0;
    uint16_t productId_ = 0;
    uint16_t version_ = 0;
    bool nodeUsesReportIds_ = false;
    HidCollectionInfo collection_;
    std::vector<uint8_t> inputBuffer_;
    std::vector<HidInputItem> inputItems_;
    uint16_t interfaceNumber_ = 0;
    uint16_t collectionNumber_ = 0;
};

}  // namespace qx
