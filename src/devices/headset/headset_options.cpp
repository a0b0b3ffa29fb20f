#include "devices/headset/headset_options.h"

#include <charconv>

#include "devices/headset/orvane_hs6533_device.h"

namespace qx::devices {
namespace {

const std::vector<std::string> kOnOff = {"on", "off"};
const std::vector<std::string> kEqChoices = {"1", "2", "3",  "4",  "5",  "6",     "7",
                                             "8", "9", "10", "11", "12", "custom"};
const std::vector<std::string> kVoiceChoices = {"off", "1", "2", "3", "4"};

std::string OnOff(bool on) { return on ? "on" : "off"; }

std::optional<int> Number(const std::string& text, int minimum, int maximum) {
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [at, code] = std::from_chars(text.data(), end, number);
    if (code != std::errc() || at != end || number < minimum || number > maximum)
        return std::nullopt;
    return number;
}

std::string Joined(const std::vector<std::string>& choices) {
    std::string text;
    for (const std::string& choice : choices) text += (text.empty() ? "" : ", ") + choice;
    return text;
}

}  // namespace

std::vector<OptionCapability::Option> HeadsetOptions::Options() const {
    const HeadsetSystemRecord system = device_.System();
    const std::vector<int> bands = device_.Bands();
    std::vector<Option> options = {
        {"mic", std::to_string(system.micInValue), {}, 0, 100},
        {"mic-mute", OnOff(system.micInSelect == 0), kOnOff},
        {"monitor", std::to_string(system.micMoniterValue), {}, 0, 100},
        {"monitor-mute", OnOff(system.micMoniterSelect == 0), kOnOff},
        {"eq",
         system.eqType == COrvaneHS6533Device::kCustomEqType ? "custom"
                                                             : std::to_string(system.eqType),
         kEqChoices},
        {"voice", system.magicEnable != 0 ? std::to_string(system.magicType) : "off",
         kVoiceChoices},
        {"surround", OnOff(device_.Surround()), kOnOff},
    };
    for (int b = 0; b < COrvaneHS6533Device::kBandCount; ++b) {
        const int gain = b < static_cast<int>(bands.size()) ? bands[static_cast<size_t>(b)] : 0;
        options.push_back({"eq-band-" + std::to_string(b + 1),
                           std::to_string(gain),
                           {},
                           -kGainLimit,
                           kGainLimit});
    }
    return options;
}

void HeadsetOptions::SetOption(const std::string& name, const std::string& value, Done done) {
    if (device_.ProfileLoaded()) {
        Apply(name, value, std::move(done));
        return;
    }
    // Before first contact the profile is read first (on the worker), so a change made then
    // does not overwrite the profile's other settings.
    COrvaneHS6533Device* device = &device_;
    const bool posted = device_.Post([this, device, name, value, done]() mutable {
        if (!device->ProfileLoaded()) device->LoadProfile();
        device->OnUiThread(
            [this, name, value, done]() mutable { Apply(name, value, std::move(done)); });
    });
    if (!posted && done) done("the headset is going away");
}

void HeadsetOptions::Apply(const std::string& name, const std::string& value, Done done) {
    auto finish = [done](const QString& error) {
        if (done) done(error.toStdString());
    };
    auto refuse = [&done](const std::string& error) {
        if (done) done(error);
    };
    auto flag = [&](std::function<void(bool)> set) {
        if (value == "on")
            set(true);
        else if (value == "off")
            set(false);
        else
            refuse("option '" + name + "' takes on or off, not '" + value + "'");
    };
    auto level = [&](std::function<void(int)> set) {
        if (const auto n = Number(value, 0, 100))
            set(*n);
        else
            refuse("option '" + name + "' takes a number from 0 to 100, not '" + value + "'");
    };
    if (name == "mic") {
        level([&](int v) { device_.SetMicLevel(v, finish); });
    } else if (name == "monitor") {
        level([&](int v) { device_.SetMonitorLevel(v, finish); });
    } else if (name == "mic-mute") {
        flag([&](bool on) { device_.SetMicMuted(on, finish); });
    } else if (name == "monitor-mute") {
        flag([&](bool on) { device_.SetMonitorMuted(on, finish); });
    } else if (name == "surround") {
        flag([&](bool on) { device_.SetSurround(on, finish); });
    } else if (name == "eq") {
        const auto n = value == "custom" ? std::optional<int>(COrvaneHS6533Device::kCustomEqType)
                                         : Number(value, 1, COrvaneHS6533Device::kPresetCount);
        if (!n)
            return refuse("option 'eq' takes one of " + Joined(kEqChoices) + ", not '" + value +
                          "'");
        if (*n == COrvaneHS6533Device::kCustomEqType && device_.CustomNames().empty())
            return refuse("the headset has no custom equaliser setting to select");
        device_.SelectEqualiser(*n, finish);
    } else if (name == "voice") {
        if (value == "off") return device_.SetVoiceChanger(false, finish);
        const auto n = Number(value, 1, 4);
        if (!n)
            return refuse("option 'voice' takes one of " + Joined(kVoiceChoices) + ", not '" +
                          value + "'");
        const int type = *n;
        // The type first, then the changer on: the voice is the chosen one once it is heard.
        device_.SelectVoice(type, [this, finish](const QString& error) {
            if (!error.isEmpty()) return finish(error);
            device_.SetVoiceChanger(true, finish);
        });
    } else if (name.starts_with("eq-band-")) {
        const auto band = Number(name.substr(8), 1, COrvaneHS6533Device::kBandCount);
        const auto gain = Number(value, -kGainLimit, kGainLimit);
        if (!band) return refuse("the headset has no option '" + name + "'");
        if (!gain)
            return refuse("option '" + name + "' takes a gain from -20 to 20 dB, not '" + value +
                          "'");
        device_.ChangeCustomBand(*band - 1, *gain, finish);
    } else {
        refuse("the headset has no option '" + name +
               "' (options: mic, mic-mute, monitor, monitor-mute, eq, voice, surround, "
               "eq-band-1 ... eq-band-10)");
    }
}

}  // namespace qx::devices
