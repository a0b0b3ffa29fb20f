#include "sim/packet_firmware.h"

#include <algorithm>

namespace qx::sim {
namespace {

struct CommandTarget {
    bool known = false;
    bool write = false;
    Region region = Region::Identity;
};

CommandTarget TargetOf(uint8_t command) {
    switch (command) {
        case cmd::kReadIdentity:
            return {true, false, Region::Identity};
        case cmd::kReadConfig:
            return {true, false, Region::Config};
        case cmd::kWriteConfig:
            return {true, true, Region::Config};
        case cmd::kReadKeyTable:
            return {true, false, Region::KeyTable};
        case cmd::kWriteKeyTable:
            return {true, true, Region::KeyTable};
        case cmd::kWriteKeyMask:
            return {true, true, Region::KeyMask};
        case cmd::kStreamFrame:
            return {true, true, Region::Frame};
        case cmd::kWriteMacros:
            return {true, true, Region::Macros};
        case cmd::kWriteRecoil:
            return {true, true, Region::Recoil};
        case cmd::kReadStatus:
            return {true, false, Region::Status};
        case cmd::kReadKeyBytes:
            return {true, false, Region::KeyBytes};
        default:
            return {};
    }
}

// The command byte a stray reply carries: the reply to a frame packet that slipped in between,
// or, for a frame packet itself, a status read's.
uint8_t StrayCommandFor(uint8_t command) {
    return command == cmd::kStreamFrame ? cmd::kReadStatus : cmd::kStreamFrame;
}

}  // namespace

PacketFirmware::PacketFirmware(uint16_t vendorId, uint16_t productId, PacketRoute route)
    : vendorId_(vendorId), productId_(productId), route_(route) {}

void PacketFirmware::DefineRegion(Region region, size_t size) {
    regions_[Index(region)].assign(size, 0);
}

void PacketFirmware::OnOutputReport(int interfaceNumber, std::span<const uint8_t> report) {
    std::lock_guard lock(mutex_);
    if (interfaceNumber == route_.commandInterface && report.size() == kPacketSize &&
        report[0] == kCommandReportId) {
        Packet request;
        std::copy(report.begin(), report.end(), request.begin());
        HandleCommand(request);
        return;
    }
    if (!OnOtherReport(interfaceNumber, report)) ++rejected_;
}

bool PacketFirmware::OnOtherReport(int, std::span<const uint8_t>) { return false; }

void PacketFirmware::HandleCommand(const Packet& request) {
    const uint8_t command = request[kPacketCommand];
    ++packetCounts_[command];
    const FaultAction fault = faults_.Next(command);
    if (fault.unplug) {
        Record(request, false, 0);
        RequestUnplug();
        return;
    }
    if (fault.silent) {
        Record(request, false, 0);
        return;
    }
    Packet reply;
    if (!PacketChecksumValid(request)) {
        reply = MakeReply(request, kStatusError);
    } else if (fault.overrideStatus) {
        reply = MakeReply(request, fault.status);
    } else {
        reply = Execute(request);
    }
    if (fault.stray) {
        Packet stray = MakeReplyWithCommand(request, StrayCommandFor(command), kStatusOk);
        SealPacket(stray);
        EmitReport(route_.commandInterface, stray);
    }
    SealPacket(reply);
    EmitReport(route_.commandInterface, reply);
    Record(request, true, reply[kPacketStatus]);
}

Packet PacketFirmware::Execute(const Packet& request) {
    const uint8_t command = request[kPacketCommand];
    switch (command) {
        case cmd::kBeginConfig:
            configOpen_ = true;
            return MakeReply(request, kStatusOk);
        case cmd::kEndConfig:
            configOpen_ = false;
            return MakeReply(request, kStatusOk);
        case cmd::kLightingResume:
            ++lightingResumes_;
            return MakeReply(request, kStatusOk);
        case cmd::kPresence: {
            Packet reply = MakeReply(request, kStatusOk);
            reply[kPacketData] = 0xFF;
            return reply;
        }
        default:
            break;
    }
    const CommandTarget target = TargetOf(command);
    if (!target.known) return MakeReply(request, kStatusUnsupported);
    std::vector<uint8_t>& memory = regions_[Index(target.region)];
    if (memory.empty()) return MakeReply(request, kStatusUnsupported);
    const size_t length = request[kPacketLength];
    const size_t offset = PacketOffset(request);
    if (length > kPacketMaxData || offset + length > memory.size()) {
        return MakeReply(request, kStatusError);
    }
    Packet reply = MakeReply(request, kStatusOk);
    if (target.write) {
        std::copy_n(request.begin() + kPacketData, length, memory.begin() + offset);
    } else {
        std::copy_n(memory.begin() + offset, length, reply.begin() + kPacketData);
    }
    return reply;
}

void PacketFirmware::Record(const Packet& request, bool answered, uint8_t status) {
    if (log_.size() == kRequestLogLimit) log_.pop_front();
    log_.push_back(RequestRecord{request, answered, status});
}

size_t PacketFirmware::RegionSize(Region region) const {
    std::lock_guard lock(mutex_);
    return regions_[Index(region)].size();
}

std::vector<uint8_t> PacketFirmware::Memory(Region region) const {
    std::lock_guard lock(mutex_);
    return regions_[Index(region)];
}

std::vector<uint8_t> PacketFirmware::ReadMemory(Region region, size_t offset, size_t length) const {
    std::lock_guard lock(mutex_);
    const std::vector<uint8_t>& memory = regions_[Index(region)];
    if (offset >= memory.size()) return {};
    length = std::min(length, memory.size() - offset);
    return {memory.begin() + static_cast<std::ptrdiff_t>(offset),
            memory.begin() + static_cast<std::ptrdiff_t>(offset + length)};
}

bool PacketFirmware::WriteMemory(Region region, size_t offset, std::span<const uint8_t> data) {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>& memory = regions_[Index(region)];
    if (offset > memory.size() || data.size() > memory.size() - offset) return false;
    std::copy(data.begin(), data.end(), memory.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

uint8_t PacketFirmware::CurrentProfile() const {
    std::lock_guard lock(mutex_);
    const std::vector<uint8_t>& config = regions_[Index(Region::Config)];
    return config.empty() ? 0 : config[0];
}

void PacketFirmware::SetCurrentProfile(uint8_t profile) {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>& config = regions_[Index(Region::Config)];
    if (!config.empty()) config[0] = profile;
}

void PacketFirmware::SetPowerRecord(std::span<const uint8_t> record) {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>& status = regions_[Index(Region::Status)];
    std::copy_n(record.begin(), std::min(record.size(), status.size()), status.begin());
}

void PacketFirmware::SendNotification(uint16_t code) {
    const std::array<uint8_t, 3> report{route_.notificationReportId,
                                        static_cast<uint8_t>(code & 0xFF),
                                        static_cast<uint8_t>(code >> 8)};
    std::lock_guard lock(mutex_);
    EmitReport(route_.notificationInterface, report);
}

void PacketFirmware::InjectFault(const Fault& fault) {
    std::lock_guard lock(mutex_);
    faults_.Add(fault);
}

void PacketFirmware::InjectSilence(int count, uint8_t command) {
    InjectFault(Fault{FaultKind::Silence, 0, command, 0, count});
}

void PacketFirmware::InjectStatus(uint8_t status, int count, uint8_t command) {
    InjectFault(Fault{FaultKind::Status, status, command, 0, count});
}

void PacketFirmware::InjectStrayReply(uint8_t command) {
    InjectFault(Fault{FaultKind::StrayReply, 0, command, 0, 1});
}

void PacketFirmware::UnplugAfter(int packets) {
    InjectFault(Fault{FaultKind::Unplug, 0, 0, packets, 1});
}

void PacketFirmware::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.Clear();
}

std::vector<RequestRecord> PacketFirmware::Requests() const {
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

void PacketFirmware::ClearRequests() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

size_t PacketFirmware::PacketCount(uint8_t command) const {
    std::lock_guard lock(mutex_);
    return packetCounts_[command];
}

size_t PacketFirmware::RejectedReports() const {
    std::lock_guard lock(mutex_);
    return rejected_;
}

bool PacketFirmware::ConfigOpen() const {
    std::lock_guard lock(mutex_);
    return configOpen_;
}

size_t PacketFirmware::LightingResumes() const {
    std::lock_guard lock(mutex_);
    return lightingResumes_;
}

std::array<uint8_t, kIdentitySize> BuildIdentity(uint16_t productId, uint16_t version,
                                                 const IdentityFields& fields) {
    std::array<uint8_t, kIdentitySize> id{};
    id[0] = static_cast<uint8_t>(productId & 0xFF);
    id[1] = static_cast<uint8_t>(productId >> 8);
    id[2] = static_cast<uint8_t>(version & 0xFF);
    id[3] = static_cast<uint8_t>(version >> 8);
    id[4] = fields.deviceType;
    id[5] = fields.keyCount;
    id[6] = fields.macroUnits;
    id[7] = fields.profileCount;
    id[9] = static_cast<uint8_t>(fields.sensorCode & 0xFF);
    id[10] = static_cast<uint8_t>(fields.sensorCode >> 8);
    id[11] = fields.dpiStep;
    id[12] = static_cast<uint8_t>(fields.dpiMaxSteps & 0xFF);
    id[13] = static_cast<uint8_t>(fields.dpiMaxSteps >> 8);
    id[14] = static_cast<uint8_t>(fields.dpiMin & 0xFF);
    id[15] = static_cast<uint8_t>(fields.dpiMin >> 8);
    return id;
}

}  // namespace qx::sim
