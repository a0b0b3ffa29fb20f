// The device side of a simulated HID device: the nodes (USB interfaces) it presents and the
// firmware that answers the output reports written to them. A firmware knows nothing of how its
// reports travel: the simulated bus delivers them in-process, a test can wire them to an
// emulated hidraw node instead.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace qx::sim {

// One node of a device: one USB interface with its report descriptor.
struct SimNodeSpec {
    int interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
};

class SimFirmware {
  public:
    // Delivers one input report (first byte: report id) produced on node `interfaceNumber`.
    using ReportSink = std::function<void(int interfaceNumber, std::span<const uint8_t> report)>;

    virtual ~SimFirmware() = default;

    virtual uint16_t VendorId() const = 0;
    virtual uint16_t ProductId() const = 0;
    virtual std::vector<SimNodeSpec> Nodes() const = 0;

    // Handles one output report written to node `interfaceNumber`; replies go through the sink,
    // on the calling thread, before this returns.
    virtual void OnOutputReport(int interfaceNumber, std::span<const uint8_t> report) = 0;

    void SetReportSink(ReportSink sink) { sink_ = std::move(sink); }

  protected:
    void Emit(int interfaceNumber, std::span<const uint8_t> report) const {
        if (sink_) sink_(interfaceNumber, report);
    }

  private:
    ReportSink sink_;
};

}  // namespace qx::sim
