// One open of a simulated node: reads from its own input queue, writes to the device's firmware.
#pragma once

#include <memory>

#include "platform/hid_backend.h"
#include "sim/sim_bus_state.h"

namespace qx::sim {

class SimConnection : public HidNodeConnection {
  public:
    SimConnection(std::shared_ptr<SimBus::Core> core, std::shared_ptr<DeviceState> device,
                  std::shared_ptr<NodeState> node, std::shared_ptr<InputQueue> queue, bool read,
                  bool write);
    ~SimConnection() override;
    SimConnection(const SimConnection&) = delete;
    SimConnection& operator=(const SimConnection&) = delete;

    HidIoStatus ReadReport(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs) override;
    HidIoStatus WriteReport(std::span<const uint8_t> report, int timeoutMs) override;
    void Cancel() override;

  private:
    const std::shared_ptr<SimBus::Core> core_;
    const std::shared_ptr<DeviceState> device_;
    const std::shared_ptr<NodeState> node_;
    const std::shared_ptr<InputQueue> queue_;
    const bool read_;
    const bool write_;
};

}  // namespace qx::sim
