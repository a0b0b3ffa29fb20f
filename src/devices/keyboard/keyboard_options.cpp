#include "devices/keyboard/keyboard_options.h"

#include <charconv>

#include "devices/keyboard/orvane_keyboard_device.h"

namespace qx::devices {
namespace {

const std::vector<std::string> kOnOff = {"on", "off"};
const std::vector<std::string> kPollingRates = {"125", "250", "500", "1000"};
const std::vector<std::string> kRepeatDelays = {"250", "500", "750", "1000"};

std::string OnOff(uint16_t flag) { return flag != 0 ? "on" : "off"; }

// The choice at `index`, or the first one for an index the profile should not hold.
std::string Choice(const std::vector<std::string>& choices, int index) {
    if (index < 0 || index >= static_cast<int>(choices.size())) index = 0;
    return choices[static_cast<size_t>(index)];
}

int IndexOf(const std::vector<std::string>& choices, const std::string& value) {
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i] == value) return static_cast<int>(i);
    return -1;
}

std::string Joined(const std::vector<std::string>& choices) {
    std::string text;
    for (const std::string& choice : choices) text += (text.empty() ? "" : ", ") + choice;
    return text;
}

}  // namespace

std::vector<OptionCapability::Option> KeyboardOptions::Options() const {
    const KeyboardSystem system = device_.System();
    return {
        {"winlock", OnOff(system.winLock), kOnOff},
        {"w-key", OnOff(system.wKey), kOnOff},
        {"six-key", OnOff(system.sixKey), kOnOff},
        {"polling-rate", Choice(kPollingRates, system.pollingRate), kPollingRates},
        {"repeat-rate",
         std::to_string(system.repeatRate),
         {},
         kRepeatRateMinimum,
         kRepeatRateMaximum},
        {"repeat-delay", Choice(kRepeatDelays, system.repeatDelay), kRepeatDelays},
    };
}

void KeyboardOptions::SetOption(const std::string& name, const std::string& value, Done done) {
    if (device_.ProfileLoaded()) {
        Apply(name, value, std::move(done));
        return;
    }
    // A script may ask before the keyboard's first contact has read its profile: the profile
    // is read first (on the worker, behind any exchange queued there), then the change is made
    // on top of it, so it neither fails nor overwrites the profile's other settings.
    COrvaneKeyboardDevice* device = &device_;
    const bool posted = device_.Post([this, device, name, value, done]() mutable {
        if (!device->ProfileLoaded()) device->LoadProfile();
        device->OnUiThread(
            [this, name, value, done]() mutable { Apply(name, value, std::move(done)); });
    });
    if (!posted && done) done("the keyboard is going away");
}

void KeyboardOptions::Apply(const std::string& name, const std::string& value, Done done) {
    KeyboardSystem wanted = device_.System();
    bool toDevice = true;
    std::string error;
    auto flag = [&](uint16_t& field) {
        const int at = IndexOf(kOnOff, value);
        if (at < 0)
            error = "option '" + name + "' takes on or off, not '" + value + "'";
        else
            field = at == 0 ? 1 : 0;
    };
    auto choice = [&](uint16_t& field, const std::vector<std::string>& choices) {
        const int at = IndexOf(choices, value);
        if (at < 0)
            error =
                "option '" + name + "' takes one of " + Joined(choices) + ", not '" + value + "'";
        else
            field = static_cast<uint16_t>(at);
    };
    if (name == "winlock") {
        flag(wanted.winLock);
    } else if (name == "w-key") {
        flag(wanted.wKey);
    } else if (name == "six-key") {
        flag(wanted.sixKey);
    } else if (name == "polling-rate") {
        choice(wanted.pollingRate, kPollingRates);
    } else if (name == "repeat-delay") {
        choice(wanted.repeatDelay, kRepeatDelays);
        toDevice = false;
    } else if (name == "repeat-rate") {
        int number = -1;
        const char* end = value.data() + value.size();
        const auto [at, code] = std::from_chars(value.data(), end, number);
        if (code != std::errc() || at != end || number < kRepeatRateMinimum ||
            number > kRepeatRateMaximum) {
            error = "option 'repeat-rate' takes a number from " +
                    std::to_string(kRepeatRateMinimum) + " to " +
                    std::to_string(kRepeatRateMaximum) + ", not '" + value + "'";
        } else {
            wanted.repeatRate = static_cast<uint16_t>(number);
        }
        toDevice = false;
    } else {
        error = "the keyboard has no option '" + name +
                "' (options: winlock, w-key, six-key, polling-rate, repeat-rate, repeat-delay)";
    }
    if (!error.empty()) {
        if (done) done(error);
        return;
    }
    device_.ChangeSystem(wanted, toDevice, [done = std::move(done)](const QString& failure) {
        if (done) done(failure.toStdString());
    });
}

}  // namespace qx::devices
