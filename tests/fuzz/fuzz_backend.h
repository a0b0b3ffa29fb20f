// A HID backend that plays the fuzzer's bytes: one node with a given report descriptor, whose
// reads return the queued input reports in order and time out at once when none is left. Writes
// always go through. Nothing waits, so one run takes microseconds.
#pragma once

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid_backend.h"

namespace qx::fuzz {

class FuzzBackend final : public HidBackend {
  public:
    static constexpr const char* kNode = "fuzz:0";

    FuzzBackend(std::vector<uint8_t> descriptor, uint16_t vendor, uint16_t product, int interface)
        : descriptor_(std::move(descriptor)),
          vendor_(vendor),
          product_(product),
          interface_(interface) {}

    void Queue(std::vector<uint8_t> report) { reports_.push_back(std::move(report)); }
    size_t Left() const { return reports_.size(); }
    void Clear() { reports_.clear(); }

    bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) override {
        nodes.clear();
        HidNodeInfo info;
        DescribeNode(kNode, info);
        nodes.push_back(info);
        return true;
    }
    bool DescribeNode(const std::string& nodePath, HidNodeInfo& info) override {
        if (nodePath != kNode) return false;
        info.nodePath = kNode;
        info.vendorId = vendor_;
        info.productId = product_;
        info.interfaceNumber = interface_;
        info.reportDescriptor = descriptor_;
        return true;
    }
    std::unique_ptr<HidNodeConnection> OpenNode(const std::string& nodePath, bool, bool,
                                                std::string& error) override {
        if (nodePath != kNode) {
            error = "no such node";
            return nullptr;
        }
        return std::make_unique<Connection>(*this);
    }
    bool NodePresent(const std::string& nodePath) override { return nodePath == kNode; }

  private:
    class Connection final : public HidNodeConnection {
      public:
        explicit Connection(FuzzBackend& bus) : bus_(bus) {}
        HidIoStatus ReadReport(std::span<uint8_t> buffer, size_t& bytesRead, int) override {
            bytesRead = 0;
            if (cancelled_) {
                cancelled_ = false;
                return HidIoStatus::Cancelled;
            }
            if (bus_.reports_.empty()) return HidIoStatus::TimedOut;
            const std::vector<uint8_t> report = std::move(bus_.reports_.front());
            bus_.reports_.pop_front();
            bytesRead = std::min(buffer.size(), report.size());
            std::copy_n(report.begin(), bytesRead, buffer.begin());
            return HidIoStatus::Ok;
        }
        HidIoStatus WriteReport(std::span<const uint8_t>, int) override { return HidIoStatus::Ok; }
        void Cancel() override { cancelled_ = true; }

      private:
        FuzzBackend& bus_;
        bool cancelled_ = false;
    };

    std::vector<uint8_t> descriptor_;
    uint16_t vendor_;
    uint16_t product_;
    int interface_;
    std::deque<std::vector<uint8_t>> reports_;
};

// Cuts bytes into reports: each starts with its length byte (the rest of the input when it is
// longer), up to `limit` reports.
inline std::vector<std::vector<uint8_t>> CutReports(std::span<const uint8_t> bytes, size_t limit) {
    std::vector<std::vector<uint8_t>> reports;
    while (!bytes.empty() && reports.size() < limit) {
        const size_t length = std::min<size_t>(bytes[0], bytes.size() - 1);
        reports.emplace_back(bytes.begin() + 1, bytes.begin() + 1 + static_cast<long>(length));
        bytes = bytes.subspan(1 + length);
    }
    return reports;
}

}  // namespace qx::fuzz
