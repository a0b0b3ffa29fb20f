// The part of the device firmware that every command-protocol device shares: it receives the
// 64-byte command packets on its command collection, checks their checksum, carries out the
// memory commands on its memory regions and answers on the same collection; it sends
// notification codes on its notification collection; it applies the faults a test arms.
//
// Memory regions and the commands that reach them (a region of size 0 means the device does not
// have it, and its commands answer status 0xFE):
//   Identity  0x03 read     Config  0x05 read, 0x06 write   KeyTable 0x07 read, 0x09 write
//   KeyBytes  0x1B read     KeyMask 0x0B write             Frame    0x12 write
//   Macros    0x15 write    Recoil  0x17 write             Status   0x1A read
// Every data command addresses its region by the packet's offset (bytes 5-6) and length
// (byte 4, at most 56); a request that reaches past the region's end answers 0xFF and changes
// nothing. 0x01 and 0x02 open and close a configuration sequence, 0x1C counts a lighting resume,
// 0xAA answers "present" (byte 8 = 0xFF).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/sim_device_base.h"
#include "sim/sim_packet.h"

namespace qx::sim {

enum class Region { Identity, Config, KeyTable, KeyBytes, KeyMask, Frame, Macros, Recoil, Status };
inline constexpr size_t kRegionCount = 9;

inline constexpr size_t kIdentitySize = 34;

// Where a device's commands and notifications travel.
struct PacketRoute {
    int commandInterface = 1;
    int notificationInterface = 1;
    uint8_t notificationReportId = 0x03;
};

// One command packet as the firmware saw it.
struct RequestRecord {
    Packet packet{};
    bool answered = false;
    uint8_t status = 0;  // of the (last) reply, when answered
};

class PacketFirmware : public SimDeviceBase {
  public:
    static constexpr size_t kRequestLogLimit = 8192;

    PacketFirmware(uint16_t vendorId, uint16_t productId, PacketRoute route);

    uint16_t VendorId() const override { return vendorId_; }
    uint16_t ProductId() const override { return productId_; }
    void OnOutputReport(int interfaceNumber, std::span<const uint8_t> report) override;

    // Memory, for tests and for the models' own set-up.
    size_t RegionSize(Region region) const;
    std::vector<uint8_t> Memory(Region region) const;
    std::vector<uint8_t> ReadMemory(Region region, size_t offset, size_t length) const;
    bool WriteMemory(Region region, size_t offset, std::span<const uint8_t> data);
    std::vector<uint8_t> Identity() const { return Memory(Region::Identity); }
    uint8_t CurrentProfile() const;  // configuration memory byte 0
    void SetCurrentProfile(uint8_t profile);
    // The 6-byte power record at status offset 0: level %, charge state (0 powered,
    // 1 charging, 2 battery), spare, wireless link, spare, phone on the charger.
    void SetPowerRecord(std::span<const uint8_t> record);

    // Notification code on the notification collection (report: id, code low, code high).
    void SendNotification(uint16_t code);
    void SendSyncRequest() { SendNotification(0x0401); }

    // Faults.
    void InjectFault(const Fault& fault);
    void InjectSilence(int count = 1, uint8_t command = 0);
    void InjectStatus(uint8_t status, int count = 1, uint8_t command = 0);
    void InjectStrayReply(uint8_t command = 0);
    void UnplugAfter(int packets);  // answers `packets` more packets, then vanishes on the next
    void ClearFaults();

    // What arrived.
    std::vector<RequestRecord> Requests() const;
    void ClearRequests();
    size_t PacketCount(uint8_t command) const;  // packets with that command byte, ever
    size_t RejectedReports() const;  // output reports of a shape the device does not accept
    bool ConfigOpen() const;         // between 0x01 and 0x02
    size_t LightingResumes() const;

  protected:
    // Set-up, from the constructors of the models (no lock needed then).
    void DefineRegion(Region region, size_t size);
    std::vector<uint8_t>& RegionRef(Region region) { return regions_[Index(region)]; }

    // Output reports that are not command packets (called with the lock held); true when the
    // device accepts the report.
    virtual bool OnOtherReport(int interfaceNumber, std::span<const uint8_t> report);

    // Emits an input report (lock held or not: the sink does not call back).
    void EmitReport(int interfaceNumber, std::span<const uint8_t> report) const {
        Emit(interfaceNumber, report);
    }

    mutable std::mutex mutex_;

  private:
    static size_t Index(Region region) { return static_cast<size_t>(region); }
    void HandleCommand(const Packet& request);
    Packet Execute(const Packet& request);
    void Record(const Packet& request, bool answered, uint8_t status);

    const uint16_t vendorId_;
    const uint16_t productId_;
    const PacketRoute route_;
    std::array<std::vector<uint8_t>, kRegionCount> regions_;
    FaultPlan faults_;
    std::deque<RequestRecord> log_;
    std::array<size_t, 256> packetCounts_{};
    size_t rejected_ = 0;
    size_t lightingResumes_ = 0;
    bool configOpen_ = false;
};

// The identity block layout the models fill (bytes the host reads: 5 key count, 6 macro memory
// in 128-byte units, 9-10 sensor code, 11 DPI step, 12-13 DPI maximum in steps, 14-15 DPI
// minimum; the others are the model's own: 0-1 product id, 2-3 firmware version, 4 device type,
// 7 number of profiles).
struct IdentityFields {
    uint8_t deviceType = 0;
    uint8_t keyCount = 0;
    uint8_t macroUnits = 0;
    uint8_t profileCount = 0;
    uint16_t sensorCode = 0;
    uint8_t dpiStep = 0;
    uint16_t dpiMaxSteps = 0;
    uint16_t dpiMin = 0;
};
std::array<uint8_t, kIdentitySize> BuildIdentity(uint16_t productId, uint16_t version,
                                                 const IdentityFields& fields);

}  // namespace qx::sim
