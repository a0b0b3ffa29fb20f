// Installs the simulated HID bus (a keyboard and a headset plugged in) for the life of a command.
#pragma once

namespace qx::ctl {

class SimulationScope {
  public:
    explicit SimulationScope(bool simulate);
    ~SimulationScope();
    SimulationScope(const SimulationScope&) = delete;
    SimulationScope& operator=(const SimulationScope&) = delete;

  private:
    bool active_ = false;
};

}  // namespace qx::ctl
