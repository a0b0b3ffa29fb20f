// A HID backend for protocol tests: one node holding a consumer collection (report id 3) and a
// vendor command collection (report id 4). Every written report is recorded and handed to a
// responder, whose replies a later read returns.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid_backend.h"

namespace qx::test {

inline const std::vector<uint8_t> kTwoCollectionDescriptor = {
    // Consumer control, report id 3: one 16-bit usage.
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x27, 0xFF, 0xFF, 0x00, 0x00, 0x19,
    0x00, 0x2A, 0xFF, 0xFF, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
    // Vendor page 0xFF1C usage 0x92, report id 4: 63 bytes in and out.
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
    0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

class ScriptedBackend final : public HidBackend {
  public:
    using Responder = std::function<void(const std::vector<uint8_t>& request,
                                         std::vector<std::vector<uint8_t>>& replies)>;

    static constexpr const char* kNode = "test:0";

    // Interface paths of the two collections.
    static std::string ConsumerPath() {
        return std::string(kNode) + "#vid_3a5c&pid_7031&mi_01&col01";
    }
    static std::string CommandPath() {
        return std::string(kNode) + "#vid_3a5c&pid_7031&mi_01&col02";
    }

    void SetResponder(Responder responder) {
        std::lock_guard lock(mutex_);
        responder_ = std::move(responder);
    }
    void SetWritesFail(bool fail) { writesFail_ = fail; }
    void SetPresent(bool present) {
        std::lock_guard lock(mutex_);
        present_ = present;
        cv_.notify_all();
    }
    // Puts an input report in front of every reader (a notification from the device).
    void Inject(std::vector<uint8_t> report) {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(report));
        cv_.notify_all();
    }
    std::vector<std::vector<uint8_t>> Written() {
        std::lock_guard lock(mutex_);
        return written_;
    }
    void ClearWritten() {
        std::lock_guard lock(mutex_);
        written_.clear();
    }

    bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) override {
        nodes.clear();
        HidNodeInfo info;
        if (DescribeNode(kNode, info)) nodes.push_back(info);
        return true;
    }
    bool DescribeNode(const std::string& nodePath, HidNodeInfo& info) override {
        std::lock_guard lock(mutex_);
        if (!present_ || nodePath != kNode) return false;
        info.nodePath = kNode;
        info.vendorId = 0x3A5C;
        info.productId = 0x7031;
        info.interfaceNumber = 1;
        info.reportDescriptor = kTwoCollectionDescriptor;
        return true;
    }
    std::unique_ptr<HidNodeConnection> OpenNode(const std::string& nodePath, bool, bool,
                                                std::string& error) override {
        if (!NodePresent(nodePath)) {
            error = "gone";
            return nullptr;
        }
        return std::make_unique<Connection>(*this);
    }
    bool NodePresent(const std::string& nodePath) override {
        std::lock_guard lock(mutex_);
        return present_ && nodePath == kNode;
    }

  private:
    // All connections share one queue: enough for tests with one reader at a time.
    class Connection final : public HidNodeConnection {
      public:
        explicit Connection(ScriptedBackend& bus) : bus_(bus) {}
        HidIoStatus ReadReport(std::span<uint8_t> buffer, size_t& bytesRead,
                               int timeoutMs) override {
            std::unique_lock lock(bus_.mutex_);
            auto ready = [&] { return cancelled_ || !bus_.queue_.empty() || !bus_.present_; };
            if (timeoutMs < 0) {
                bus_.cv_.wait(lock, ready);
            } else if (!bus_.cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
                return HidIoStatus::TimedOut;
            }
            if (cancelled_) {
                cancelled_ = false;
                return HidIoStatus::Cancelled;
            }
            if (!bus_.present_) return HidIoStatus::Failed;
            const std::vector<uint8_t> report = std::move(bus_.queue_.front());
            bus_.queue_.pop_front();
            bytesRead = std::min(buffer.size(), report.size());
            std::copy_n(report.begin(), bytesRead, buffer.begin());
            return HidIoStatus::Ok;
        }
        HidIoStatus WriteReport(std::span<const uint8_t> report, int) override {
            if (bus_.writesFail_) return HidIoStatus::TimedOut;
            std::vector<uint8_t> request(report.begin(), report.end());
            Responder responder;
            {
                std::lock_guard lock(bus_.mutex_);
                if (!bus_.present_) return HidIoStatus::Failed;
                bus_.written_.push_back(request);
                responder = bus_.responder_;
            }
            std::vector<std::vector<uint8_t>> replies;
            if (responder) responder(request, replies);
            std::lock_guard lock(bus_.mutex_);
            for (auto& reply : replies) bus_.queue_.push_back(std::move(reply));
            bus_.cv_.notify_all();
            return HidIoStatus::Ok;
        }
        void Cancel() override {
            std::lock_guard lock(bus_.mutex_);
            cancelled_ = true;
            bus_.cv_.notify_all();
        }

      private:
        ScriptedBackend& bus_;
        bool cancelled_ = false;
    };

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::vector<uint8_t>> queue_;
    std::vector<std::vector<uint8_t>> written_;
    Responder responder_;
    bool present_ = true;
    std::atomic<bool> writesFail_{false};
};

// A reply that echoes the request's header with the given status and data bytes.
inline std::vector<uint8_t> EchoReply(const std::vector<uint8_t>& request, uint8_t status = 0) {
    std::vector<uint8_t> reply(64, 0);
    std::copy_n(request.begin(), std::min<size_t>(7, request.size()), reply.begin());
    reply[7] = status;
    return reply;
}

}  // namespace qx::test
