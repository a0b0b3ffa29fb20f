#include "devices/mouse/mouse_options.h"

#include <algorithm>

#include "devices/mouse/orvane_mouse_device.h"

namespace qx::devices {

const std::vector<std::string>& MouseOptions::PollingRates() {
    static const std::vector<std::string> rates = {"125", "250", "500", "1000", "2000"};
    return rates;
}

std::vector<OptionCapability::Option> MouseOptions::Options() const {
    int index = mouse_.Settings().PollingIndex();
    // An index the rates do not name shows as the first, as the page does.
    if (index < 0 || index >= static_cast<int>(PollingRates().size())) index = 0;
    return {{"polling", PollingRates()[static_cast<size_t>(index)], PollingRates()}};
}

void MouseOptions::SetOption(const std::string& name, const std::string& value, Done done) {
    if (name != "polling") {
        if (done) done("the mouse has no option '" + name + "' (options: polling)");
        return;
    }
    const auto& rates = PollingRates();
    const auto at = std::find(rates.begin(), rates.end(), value);
    if (at == rates.end()) {
        if (done)
            done("option 'polling' takes one of 125, 250, 500, 1000, 2000, not '" + value + "'");
        return;
    }
    const int index = static_cast<int>(at - rates.begin());
    COrvaneMouseDevice* mouse = &mouse_;
    mouse_.ChangeSettings([index](MouseSettings& s) { s.SetPollingIndex(index); }, true,
                          [mouse, done](const QString& error) {
                              mouse->RefreshPanel();
                              if (done) done(error.toStdString());
                          });
}

}  // namespace qx::devices
