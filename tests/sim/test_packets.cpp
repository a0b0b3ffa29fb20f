#include "test_packets.h"

#include <algorithm>

namespace qx::sim::test {

Packet Request(uint8_t command, uint8_t length, uint16_t offset, std::span<const uint8_t> data) {
    Packet p{};
    p[0] = 0x04;
    p[3] = command;
    p[4] = length;
    p[5] = static_cast<uint8_t>(offset & 0xFF);
    p[6] = static_cast<uint8_t>(offset >> 8);
    std::copy_n(data.begin(), std::min<size_t>(data.size(), 56), p.begin() + 8);
    unsigned sum = 0;
    for (size_t i = 3; i < 64; ++i) sum += p[i];
    p[1] = static_cast<uint8_t>(sum & 0xFF);
    p[2] = static_cast<uint8_t>((sum >> 8) & 0xFF);
    return p;
}

Recorder::Recorder(SimFirmware& firmware) {
    firmware.SetReportSink([this](int interfaceNumber, std::span<const uint8_t> report) {
        std::lock_guard lock(mutex_);
        emitted_.push_back({interfaceNumber, {report.begin(), report.end()}});
    });
}

std::vector<Emitted> Recorder::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(emitted_, {});
}

std::vector<Emitted> Send(SimFirmware& firmware, Recorder& recorder, const Packet& request,
                          int interfaceNumber) {
    firmware.OnOutputReport(interfaceNumber, request);
    return recorder.Take();
}

bool ChunkedRead(SimFirmware& firmware, Recorder& recorder, uint8_t command, size_t length,
                 size_t chunk, std::vector<uint8_t>& out, int interfaceNumber) {
    out.assign(length, 0);
    for (size_t offset = 0; offset < length; offset += chunk) {
        const size_t n = std::min(chunk, length - offset);
        const auto replies =
            Send(firmware, recorder,
                 Request(command, static_cast<uint8_t>(n), static_cast<uint16_t>(offset)),
                 interfaceNumber);
        if (replies.size() != 1) return false;
        const std::vector<uint8_t>& reply = replies[0].report;
        if (reply.size() != 64 || reply[3] != command || reply[7] != 0) return false;
        std::copy_n(reply.begin() + 8, n, out.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    return true;
}

bool ChunkedWrite(SimFirmware& firmware, Recorder& recorder, uint8_t command,
                  std::span<const uint8_t> data, size_t chunk, uint16_t base, int interfaceNumber) {
    for (size_t offset = 0; offset < data.size(); offset += chunk) {
        const size_t n = std::min(chunk, data.size() - offset);
        const auto replies =
            Send(firmware, recorder,
                 Request(command, static_cast<uint8_t>(n), static_cast<uint16_t>(base + offset),
                         data.subspan(offset, n)),
                 interfaceNumber);
        if (replies.size() != 1) return false;
        const std::vector<uint8_t>& reply = replies[0].report;
        if (reply[3] != command || reply[7] != 0) return false;
    }
    return true;
}

}  // namespace qx::sim::test
