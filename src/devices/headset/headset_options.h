// The headset's settings by name, for scripts on the program's device interface: "mic" and
// "monitor" (0-100), "mic-mute" and "monitor-mute" (on/off), "eq" (1-12 or custom), "voice"
// (off or 1-4), "surround" (on/off) and "eq-band-1" ... "eq-band-10" (-20 to 20 dB). A change
// goes the way of the page's controls: to the audio library, then into the profile.
#pragma once

#include <string>
#include <vector>

#include "devices/base/device_capabilities.h"

namespace qx::devices {

class COrvaneHS6533Device;

class HeadsetOptions : public OptionCapability {
  public:
    static constexpr int kGainLimit = 20;

    explicit HeadsetOptions(COrvaneHS6533Device& device) : device_(device) {}

    std::vector<Option> Options() const override;
    void SetOption(const std::string& name, const std::string& value, Done done) override;

  private:
    void Apply(const std::string& name, const std::string& value, Done done);

    COrvaneHS6533Device& device_;
};

}  // namespace qx::devices
