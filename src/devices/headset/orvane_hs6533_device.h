// The headset's device object (kind 7): its page ("OrvaneHS6533Device"), command channel,
// notification thread and list behaviour. Its audio functions and lighting build on this.
#pragma once

#include "devices/base/orvane_usb_device.h"

namespace qx::devices {

class COrvaneHS6533Device : public COrvaneUSBDevice {
    Q_OBJECT
  public:
    explicit COrvaneHS6533Device(HidBackend& backend);
    ~COrvaneHS6533Device() override;

    // Reads the power record whenever the channel is open (no presence gate).
    void PowerQuery() override;

  protected:
    std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const override;
    void OnNotificationCode(uint16_t code, bool receiver) override;
    std::string NotificationExitLine() const override;
};

}  // namespace qx::devices
