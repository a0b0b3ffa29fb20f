// What every firmware model of this folder adds to SimFirmware: a firmware version for the bus
// to report, and a way to ask its carrier (the simulated bus, or a test's emulated node) to
// remove the device, which the "unplug in the middle of a transfer" fault uses.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>

#include "sim/sim_firmware.h"

namespace qx::sim {

class SimDeviceBase : public SimFirmware {
  public:
    // Called (on the thread that wrote the packet, while the firmware handles it) when the
    // device wants to disappear. The handler must not call back into the firmware.
    void SetUnplugHandler(std::function<void()> handler) {
        std::lock_guard lock(handlerMutex_);
        unplugHandler_ = std::move(handler);
    }

    virtual uint16_t Version() const { return 0x0102; }

  protected:
    void RequestUnplug() {
        std::function<void()> handler;
        {
            std::lock_guard lock(handlerMutex_);
            handler = unplugHandler_;
        }
        if (handler) handler();
    }

  private:
    std::mutex handlerMutex_;
    std::function<void()> unplugHandler_;
};

}  // namespace qx::sim
