// qx580ctl light get|set|sync: the devices' lighting through the running program, which owns the
// devices, their profiles and the lighting panels.
#include <json/json.h>

#include <QString>
#include <QVariantList>
#include <algorithm>
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
    "       qx580ctl light sync on|off\n"
    "  (through the running program; devices: keyboard, mouse, pad, headset)\n"
    "\n"
    "  get     each device's effect, brightness, speed, direction and colour\n"
    "  set     changes what is given; the program stores it in the profile and writes it\n"
    "          to the device before it answers. A colour turns the colourful mode off.\n"
    "  sync    one effect on every connected device (taken from the shown device), or each\n"
    "          device's own lighting back\n"
    "\n"
    "example:\n"
    "  qx580ctl light set --device keyboard --effect 5 --brightness 4 --colour 255,0,0\n";

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
    }
    return kExitOk;
}

int Set(Context& context, Args args) {
    std::string device;
    int effect = -1, brightness = -1, speed = -1, direction = -1, red = -1, green = -1, blue = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size()) return Usage(context, "\"" + option + "\" needs a value");
        const std::string& value = args[++i];
        auto take = [&](int& field, int high) {
            const std::optional<int> number = Number(value, 0, high);
            if (number) field = *number;
            return number.has_value();
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
            const size_t first = value.find(',');
            const size_t second = first == std::string::npos ? first : value.find(',', first + 1);
            const auto r = Number(value.substr(0, first), 0, 255);
            const auto g = second == std::string::npos
                               ? std::nullopt
                               : Number(value.substr(first + 1, second - first - 1), 0, 255);
            const auto b = second == std::string::npos ? std::nullopt
                                                       : Number(value.substr(second + 1), 0, 255);
            ok = r && g && b;
            if (ok) {
                red = *r;
                green = *g;
                blue = *b;
            } else {
                return Usage(context, "bad colour \"" + value + "\" (R,G,B, each 0-255)");
            }
        } else {
            return Usage(context, "unknown option \"" + option + "\"");
        }
        if (!ok) return Usage(context, "bad value \"" + value + "\" for " + option);
    }
    if (device.empty()) return Usage(context, "--device is needed");
    if (!KnownDevice(device))
        return Usage(context,
                     "unknown device \"" + device + "\" (devices: " + kCtlFamilyNames + ")");
    if (effect < 0 && brightness < 0 && speed < 0 && direction < 0 && red < 0)
        return Usage(context, "nothing to set");
    BusCall bus("qx580ctl-light", kLightingInterface, "qx580", 15000);
    if (!bus.Call(context, QStringLiteral("Set"),
                  {QString::fromStdString(device), effect, brightness, speed, direction, red, green,
                   blue}))
        return bus.LastError().endsWith(QLatin1String("InvalidArgs")) ? kExitUsage : kExitFailure;
    context.out << device << " lighting set\n";
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
    return Usage(context, "unknown action \"" + action + "\"");
}

}  // namespace qx::ctl
