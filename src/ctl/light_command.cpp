// qx580ctl light get|set|sync: the devices' lighting through the running program, which owns the
// devices, their profiles and the lighting panels.
#include <json/json.h>

#include <QString>
#include <QVariantList>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "ctl/bus_call.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"

namespace qx::ctl {
namespace {

constexpr const char* kLightingInterface = "org.mirvel.QX580.Lighting";

constexpr const char* kHelp =
    "usage: qx580ctl light get [--device D] [--json]\n"
    "       qx580ctl light set --device D [--effect N] [--brightness 0-4] [--speed 0-4]\n"
    "                          [--direction 0|1] [--colour R,G,B]\n"
    "                          [--sound-style 0-6] [--background R,G,B] [--foreground R,G,B]\n"
    "                          [--sound-colourful on|off] [--edit background|foreground]\n"
    "       qx580ctl light sync on|off\n"
    "       qx580ctl light stats [--json]\n"
    "  (through the running program; devices: keyboard, mouse, pad, headset)\n"
    "\n"
    "  get     each device's effect, brightness, speed, direction and colour, and the\n"
    "          keyboard's sound style and colours\n"
    "  set     changes what is given; the program stores it in the profile and writes it\n"
    "          to the device before it answers. A colour turns the colourful mode off.\n"
    "          The sound options (keyboard) are the sound effect's (29) style (0 vertical\n"
    "          bars, 1 centre bars, 2 beat ripple, 3 rings, 4 falling bars, 5 row bars,\n"
    "          6 alternating bars), its background and foreground colours (a foreground\n"
    "          turns its colourful mode off), and which colour the panel edits.\n"
    "  sync    one effect on every connected device (taken from the shown device), or each\n"
    "          device's own lighting back\n"
    "  stats   the sample blocks the capture program sent, those ignored (empty or too\n"
    "          long), and how many fed the keyboard\n"
    "\n"
    "example:\n"
    "  qx580ctl light set --device keyboard --effect 5 --brightness 4 --colour 255,0,0\n"
    "  qx580ctl light set --device keyboard --effect 29 --sound-style 1 --background 0,0,40 \\\n"
    "                     --foreground 255,128,0\n";

int Usage(Context& context, const std::string& problem = {}) {
    if (!problem.empty()) context.err << "qx580ctl light: " << problem << '\n';
    context.err << kHelp;
    return kExitUsage;
}

// A decimal number within [low, high]; nullopt otherwise.
std::optional<int> Number(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high) return std::nullopt;
    return value;
}

// "R,G,B", each 0-255.
std::optional<std::array<int, 3>> Colour(const std::string& value) {
    const size_t first = value.find(',');
    const size_t second = first == std::string::npos ? first : value.find(',', first + 1);
    if (second == std::string::npos) return std::nullopt;
    const auto r = Number(value.substr(0, first), 0, 255);
    const auto g = Number(value.substr(first + 1, second - first - 1), 0, 255);
    const auto b = Number(value.substr(second + 1), 0, 255);
    if (!r || !g || !b) return std::nullopt;
    return std::array<int, 3>{*r, *g, *b};
}

bool KnownDevice(const std::string& name) {
    return FindCtlFamily(name) != nullptr && name == FindCtlFamily(name)->name;
}

int Get(Context& context, Args args) {
    std::string device;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--device" && i + 1 < args.size()) {
            device = args[++i];
        } else {
            return Usage(context, "unknown option \"" + args[i] + "\"");
        }
    }
    if (!device.empty() && !KnownDevice(device))
        return Usage(context,
                     "unknown device \"" + device + "\" (devices: " + kCtlFamilyNames + ")");
    BusCall bus("qx580ctl-light", kLightingInterface, "qx580", 15000);
    const std::optional<QVariantList> reply =
        bus.Call(context, QStringLiteral("Get"), {QString::fromStdString(device)});
    if (!reply) return kExitFailure;
    const std::string text = reply->value(0).toString().toStdString();
    Json::Value root;
    std::string errors;
    std::unique_ptr<Json::CharReader> parse(Json::CharReaderBuilder().newCharReader());
    if (!parse->parse(text.data(), text.data() + text.size(), &root, &errors)) {
        context.err << "qx580ctl: the program's answer is not JSON: " << errors << '\n';
        return kExitFailure;
    }
    if (json) {
        WriteJson(context.out, root);
        return kExitOk;
    }
    context.out << "synchronised lighting: " << (root["sync"].asBool() ? "on" : "off") << '\n';
    for (const Json::Value& d : root["devices"]) {
        context.out << d["device"].asString() << (d["online"].asBool() ? "" : " (not connected)")
                    << ": effect " << d["effect"].asInt() << " (" << d["effectName"].asString()
                    << "), brightness " << d["brightness"].asInt() << ", speed "
                    << d["speed"].asInt() << ", direction " << d["direction"].asInt() << ", colour "
                    << d["red"].asInt() << ',' << d["green"].asInt() << ',' << d["blue"].asInt()
                    << (d["colourful"].asInt() != 0 ? " (colourful)" : "")
                    << (d["synchronised"].asBool() ? ", synchronised" : "") << '\n';
        if (d.isMember("sound")) {
            const Json::Value& sound = d["sound"];
            auto rgb = [](const Json::Value& c) {
                return std::to_string(c[0].asInt()) + ',' + std::to_string(c[1].asInt()) + ',' +
                       std::to_string(c[2].asInt());
            };
            context.out << "  sound: style " << sound["style"].asInt() << ", background "
                        << rgb(sound["background"]) << ", foreground " << rgb(sound["foreground"])
                        << (sound["colourful"].asInt() != 0 ? " (colourful)" : "")
                        << ", editing the " << sound["edited"].asString() << '\n';
        }
    }
    return kExitOk;
}

int Set(Context& context, Args args) {
    std::string device;
    int effect = -1, brightness = -1, speed = -1, direction = -1, red = -1, green = -1, blue = -1;
    int style = -1, colourful = -1, edited = -1;
    std::array<int, 3> background{-1, -1, -1}, foreground{-1, -1, -1};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size()) return Usage(context, "\"" + option + "\" needs a value");
        const std::string& value = args[++i];
        auto take = [&](int& field, int high) {
            const std::optional<int> number = Number(value, 0, high);
            if (number) field = *number;
            return number.has_value();
        };
        auto colour = [&](std::array<int, 3>& field) {
            const auto rgb = Colour(value);
            if (rgb) field = *rgb;
            return rgb.has_value();
        };
        bool ok = true;
        if (option == "--device") {
            device = value;
        } else if (option == "--effect") {
            ok = take(effect, 255);
        } else if (option == "--brightness") {
            ok = take(brightness, 4);
        } else if (option == "--speed") {
            ok = take(speed, 4);
        } else if (option == "--direction") {
            ok = take(direction, 1);
        } else if (option == "--colour" || option == "--color") {
            std::array<int, 3> rgb{};
            if (!colour(rgb))
                return Usage(context, "bad colour \"" + value + "\" (R,G,B, each 0-255)");
            red = rgb[0];
            green = rgb[1];
            blue = rgb[2];
        } else if (option == "--sound-style") {
            ok = take(style, 6);
        } else if (option == "--background" || option == "--foreground") {
            if (!colour(option == "--background" ? background : foreground))
                return Usage(context,
                             "bad colour \"" + value + "\" for " + option + " (R,G,B, each 0-255)");
        } else if (option == "--sound-colourful") {
            ok = value == "on" || value == "off";
            colourful = value == "on" ? 1 : 0;
        } else if (option == "--edit") {
            ok = value == "background" || value == "foreground";
            edited = value == "foreground" ? 1 : 0;
        } else {
            return Usage(context, "unknown option \"" + option + "\"");
        }
        if (!ok) return Usage(context, "bad value \"" + value + "\" for " + option);
    }
    if (device.empty()) return Usage(context, "--device is needed");
    if (!KnownDevice(device))
        return Usage(context,
                     "unknown device \"" + device + "\" (devices: " + kCtlFamilyNames + ")");
    const bool light = effect >= 0 || brightness >= 0 || speed >= 0 || direction >= 0 || red >= 0;
    const bool sound =
        style >= 0 || colourful >= 0 || edited >= 0 || background[0] >= 0 || foreground[0] >= 0;
    if (!light && !sound) return Usage(context, "nothing to set");
    BusCall bus("qx580ctl-light", kLightingInterface, "qx580", 15000);
    auto failed = [&bus] {
        return bus.LastError().endsWith(QLatin1String("InvalidArgs")) ? kExitUsage : kExitFailure;
    };
    if (light && !bus.Call(context, QStringLiteral("Set"),
                           {QString::fromStdString(device), effect, brightness, speed, direction,
                            red, green, blue}))
        return failed();
    if (sound &&
        !bus.Call(context, QStringLiteral("SetSound"),
                  {QString::fromStdString(device), style, background[0], background[1],
                   background[2], foreground[0], foreground[1], foreground[2], colourful, edited}))
        return failed();
    context.out << device << " lighting set\n";
    return kExitOk;
}

int Stats(Context& context, Args args) {
    bool json = false;
    for (const std::string& arg : args) {
        if (arg != "--json") return Usage(context, "unknown option \"" + arg + "\"");
        json = true;
    }
    BusCall bus("qx580ctl-light", kLightingInterface, "qx580", 15000);
    const std::optional<QVariantList> reply = bus.Call(context, QStringLiteral("SoundStatistics"));
    if (!reply) return kExitFailure;
    const std::string text = reply->value(0).toString().toStdString();
    Json::Value root;
    std::string errors;
    std::unique_ptr<Json::CharReader> parse(Json::CharReaderBuilder().newCharReader());
    if (!parse->parse(text.data(), text.data() + text.size(), &root, &errors)) {
        context.err << "qx580ctl: the program's answer is not JSON: " << errors << '\n';
        return kExitFailure;
    }
    if (json) {
        WriteJson(context.out, root);
        return kExitOk;
    }
    context.out << "sample blocks " << root["sampleBlocks"].asUInt64() << " (fed to the keyboard "
                << root["levelFeeds"].asUInt64() << " times), six-value blocks "
                << root["valueBlocks"].asUInt64() << " (fed " << root["valueFeeds"].asUInt64()
                << "), ignored " << root["ignored"].asUInt64() << '\n';
    return kExitOk;
}

int Sync(Context& context, Args args) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return Usage(context, "sync takes on or off");
    BusCall bus("qx580ctl-light", kLightingInterface, "qx580", 15000);
    if (!bus.Call(context, QStringLiteral("Sync"), {args[0] == "on"})) return kExitFailure;
    context.out << "synchronised lighting " << args[0] << '\n';
    return kExitOk;
}

}  // namespace

int RunLightCommand(Context& context, Args args) {
    if (args.empty()) return Usage(context);
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end()) {
        context.out << kHelp;
        return kExitOk;
    }
    const std::string& action = args[0];
    const Args rest = args.subspan(1);
    if (action == "get") return Get(context, rest);
    if (action == "set") return Set(context, rest);
    if (action == "sync") return Sync(context, rest);
    if (action == "stats") return Stats(context, rest);
    return Usage(context, "unknown action \"" + action + "\"");
}

}  // namespace qx::ctl
