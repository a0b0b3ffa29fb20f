// A 2.4 GHz receiver with a device behind it. It presents the device's nodes under its own
// vendor and product id and relays command packets and notifications over the radio link:
// - it checks the checksum itself (status 0xFF);
// - it answers the presence query 0xAA itself: byte 8 = 0xFF while the device is on, 0x00 off;
// - while the device is switched off or out of range it answers every packet with command
//   byte 0xAA (status 0, length and offset echoed) and drops the device's notifications;
// - the radio carries at most 24 data bytes per packet (the recoil command 0x17 excepted, which
//   always travels in 56-byte packets): a longer packet answers status 0xFF;
// - everything else goes to the device, whose faults then apply.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "sim/packet_firmware.h"

namespace qx::sim {

class ReceiverFirmware : public SimDeviceBase {
  public:
    static constexpr size_t kRadioChunk = 24;

    // Takes over the device's report sink and unplug handler; the device must not send while
    // the receiver is being destroyed.
    ReceiverFirmware(std::shared_ptr<PacketFirmware> device, uint16_t vendorId, uint16_t productId,
                     int commandInterface = 1);
    ~ReceiverFirmware() override;
    ReceiverFirmware(const ReceiverFirmware&) = delete;
    ReceiverFirmware& operator=(const ReceiverFirmware&) = delete;

    uint16_t VendorId() const override { return vendorId_; }
    uint16_t ProductId() const override { return productId_; }
    std::vector<SimNodeSpec> Nodes() const override { return device_->Nodes(); }
    void OnOutputReport(int interfaceNumber, std::span<const uint8_t> report) override;

    const std::shared_ptr<PacketFirmware>& Device() const { return device_; }

    void SetDeviceOnline(bool online) { online_.store(online); }
    bool DeviceOnline() const { return online_.load(); }

    size_t PresenceQueries() const;
    size_t UnreachableReplies() const;  // packets answered 0xAA because the device was off

  private:
    void Reply(const Packet& reply);

    const std::shared_ptr<PacketFirmware> device_;
    const uint16_t vendorId_;
    const uint16_t productId_;
    const int commandInterface_;
    std::atomic<bool> online_{true};
    mutable std::mutex mutex_;
    size_t presenceQueries_ = 0;
    size_t unreachable_ = 0;
};

}  // namespace qx::sim
