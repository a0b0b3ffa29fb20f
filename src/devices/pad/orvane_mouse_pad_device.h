// The mouse pad's device object (kind 3): its page ("OrvaneMousePadDevice"), command channel,
// cable notification thread and list behaviour. Its lighting builds on this.
#pragma once

#include "devices/base/orvane_usb_device.h"

namespace qx::devices {

class COrvaneMousePadDevice : public COrvaneUSBDevice {
    Q_OBJECT
  public:
    explicit COrvaneMousePadDevice(HidBackend& backend);
    ~COrvaneMousePadDevice() override;

    void FirstContact() override;
    // Reads the power record whenever the channel is open (no presence gate).
    void PowerQuery() override;

  protected:
    std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const override;
    void OnNotificationCode(uint16_t code, bool receiver) override;
    std::string NotificationExitLine() const override;
};

}  // namespace qx::devices
