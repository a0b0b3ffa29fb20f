// The mouse's options by name, for scripts on the program's device interface: "polling"
// (125, 250, 500, 1000, 2000 reports a second). A change goes the way of the page: into the
// profile, then to the mouse, and the page shows it.
#pragma once

#include <string>
#include <vector>

#include "devices/base/device_capabilities.h"

namespace qx::devices {

class COrvaneMouseDevice;

class MouseOptions : public OptionCapability {
  public:
    static const std::vector<std::string>& PollingRates();

    explicit MouseOptions(COrvaneMouseDevice& mouse) : mouse_(mouse) {}
    std::vector<Option> Options() const override;
    void SetOption(const std::string& name, const std::string& value, Done done) override;

  private:
    COrvaneMouseDevice& mouse_;
};

}  // namespace qx::devices
