// qx580ctl dpi get|set: the mouse's DPI stages through the running program, which owns the
// mouse and its profile and shows the change on its page.
#include <json/json.h>

#include <QString>
#include <QVariantList>
#include <charconv>
#include <memory>
#include <ostream>
#include <string>

#include "ctl/bus_call.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"

namespace qx::ctl {
namespace {

constexpr const char* kMouseInterface = "org.mirvel.QX580.Mouse";

constexpr const char* kHelp =
    "usage: qx580ctl dpi get [--json]\n"
    "       qx580ctl dpi set --stage N [--value DPI] [--colour R,G,B] [--active]\n"
    "  The mouse's five DPI stages (0-4), through the running program.\n"
    "  --stage N        the stage to change, 0-4\n"
    "  --value DPI      its DPI, within the mouse's range (rounded down to its step)\n"
    "  --colour R,G,B   the colour its light shows, each 0-255\n"
    "  --active         make it the stage the mouse uses now\n"
    "  example: qx580ctl dpi set --stage 1 --value 1600 --colour 0,255,0 --active\n";

int Usage(Context& context, const std::string& problem = {}) {
    if (!problem.empty()) context.err << "qx580ctl dpi: " << problem << '\n';
    context.err << kHelp;
    return kExitUsage;
}

bool Number(const std::string& text, int minimum, int maximum, int& value) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && at == end && value >= minimum && value <= maximum;
}

bool Colour(const std::string& text, int rgb[3]) {
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t comma = text.find(',', start);
        if ((i < 2) == (comma == std::string::npos)) return false;
        const std::string part = text.substr(start, i < 2 ? comma - start : std::string::npos);
        if (!Number(part, 0, 255, rgb[i])) return false;
        start = comma + 1;
    }
    return true;
}

}  // namespace

int RunDpiCommand(Context& context, Args args) {
    if (args.empty()) return Usage(context);
    const std::string& action = args[0];
    if (action == "--help" || action == "-h") {
        context.out << kHelp;
        return kExitOk;
    }
    bool json = false;
    int stage = -1;
    int value = 0;
    int rgb[3] = {-1, -1, -1};
    bool active = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasNext = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            context.out << kHelp;
            return kExitOk;
        } else if (arg == "--json" && action == "get") {
            json = true;
        } else if (arg == "--active" && action == "set") {
            active = true;
        } else if (arg == "--stage" && action == "set" && hasNext) {
            if (!Number(args[++i], 0, 4, stage)) return Usage(context, "--stage takes 0-4");
        } else if (arg == "--value" && action == "set" && hasNext) {
            if (!Number(args[++i], 1, 1000000, value))
                return Usage(context, "--value takes a DPI number");
        } else if ((arg == "--colour" || arg == "--color") && action == "set" && hasNext) {
            if (!Colour(args[++i], rgb)) return Usage(context, "--colour takes R,G,B, each 0-255");
        } else {
            return Usage(context, "unexpected \"" + arg + "\"");
        }
    }
    if (action != "get" && action != "set")
        return Usage(context, "unknown action \"" + action + "\"");
    if (action == "set" && stage < 0) return Usage(context, "set needs --stage N");
    if (action == "set" && value == 0 && rgb[0] < 0 && !active)
        return Usage(context, "set needs --value, --colour or --active");

    BusCall bus("qx580ctl-dpi", kMouseInterface, "qx580", 15000);
    if (action == "set") {
        if (!bus.Call(context, QStringLiteral("SetDpiStage"),
                      {static_cast<uint>(stage), value, rgb[0], rgb[1], rgb[2], active}))
            return kExitFailure;
        context.out << "mouse stage " << stage << " set\n";
        return kExitOk;
    }
    const std::optional<QVariantList> reply = bus.Call(context, QStringLiteral("Dpi"));
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
    context.out << "range " << root["minimum"].asInt() << "-" << root["maximum"].asInt()
                << " DPI, active stage " << root["active"].asInt() << '\n';
    for (const Json::Value& s : root["stages"]) {
        context.out << "stage " << s["stage"].asInt() << ": " << s["dpi"].asInt() << " DPI"
                    << (s["enabled"].asBool() ? "" : " (off)") << ", colour "
                    << s["colour"][0].asInt() << ',' << s["colour"][1].asInt() << ','
                    << s["colour"][2].asInt()
                    << (s["stage"].asInt() == root["active"].asInt() ? "  *" : "") << '\n';
    }
    return kExitOk;
}

}  // namespace qx::ctl
