// The keyboard's device object (kinds 1 and 9): its page ("OrvaneKeyboardDevice") and its
// command channel, notification threads and list behaviour. The panel, profiles, key tables and
// lighting of the keyboard build on this.
#pragma once

#include <atomic>
#include <cstdint>

#include "devices/base/orvane_usb_device.h"

namespace qx::devices {

class COrvaneKeyboardDevice : public COrvaneUSBDevice {
    Q_OBJECT
  public:
    static constexpr int kFunctionKey = 110;

    explicit COrvaneKeyboardDevice(HidBackend& backend);
    ~COrvaneKeyboardDevice() override;

    void AttachPanel() override;
    void FirstContact() override;
    void RefreshFromDevice() override;
    void PowerQuery() override;
    int PresenceQuery() override;
    void SetFunctionPage(int page) override;

    uint16_t LastNotificationCode() const { return lastCode_.load(); }

  protected:
    std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const override;
    void OnNotificationCode(uint16_t code, bool receiver) override;
    std::string NotificationExitLine() const override;

  private:
    std::atomic<uint16_t> lastCode_{0};
};

}  // namespace qx::devices
