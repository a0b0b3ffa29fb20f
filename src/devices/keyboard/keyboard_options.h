// The keyboard's system options by name, for scripts on the program's device interface:
// "winlock", "w-key", "six-key" (on/off), "polling-rate" (125, 250, 500, 1000), "repeat-rate"
// (a number in the range of the page's slider) and "repeat-delay" (250, 500, 750, 1000). A change
// goes the way of the page's controls: to the keyboard, then into the profile.
#pragma once

#include <string>
#include <vector>

#include "devices/base/device_capabilities.h"

namespace qx::devices {

class COrvaneKeyboardDevice;

class KeyboardOptions : public OptionCapability {
  public:
    explicit KeyboardOptions(COrvaneKeyboardDevice& device) : device_(device) {}

    std::vector<Option> Options() const override;
    void SetOption(const std::string& name, const std::string& value, Done done) override;

  private:
    void Apply(const std::string& name, const std::string& value, Done done);

    COrvaneKeyboardDevice& device_;
};

// The range of the repeat rate (the page's slider has the same).
inline constexpr int kRepeatRateMinimum = 0;
inline constexpr int kRepeatRateMaximum = 5;

}  // namespace qx::devices
