// The mouse's device object (kinds 2 and 6): its page ("OrvaneMouseDevice"), command channel,
// notification threads and list behaviour. DPI, keys, macros and lighting build on this.
#pragma once

#include <atomic>
#include <cstdint>

#include "devices/base/orvane_usb_device.h"

namespace qx::devices {

class COrvaneMouseDevice : public COrvaneUSBDevice {
    Q_OBJECT
  public:
    explicit COrvaneMouseDevice(HidBackend& backend);
    ~COrvaneMouseDevice() override;

    void PowerQuery() override;
    int PresenceQuery() override;

    // The profile the mouse reported last (low 4 bits of a 0x10xy notification).
    int CurrentProfile() const { return profile_.load(); }

  protected:
    std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const override;
    void OnNotificationCode(uint16_t code, bool receiver) override;
    std::string NotificationExitLine() const override;

  private:
    std::atomic<int> profile_{0};
};

}  // namespace qx::devices
