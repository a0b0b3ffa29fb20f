// qx580ctl keyboard|mouse|pad|headset get|set: the options a device keeps (Windows lock,
// polling rate, ...) through the running program, which owns the device and its profile.
#include <json/json.h>

#include <QString>
#include <QVariantList>
#include <memory>
#include <ostream>
#include <string>

#include "ctl/bus_call.h"
#include "ctl/command_help.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"

namespace qx::ctl {
namespace {

int Usage(Context& context) {
    context.err << CommandUsage("keyboard");
    return kExitUsage;
}

}  // namespace

int RunDeviceOptionsCommand(Context& context, const std::string& device, Args args) {
    if (args.empty()) return Usage(context);
    const std::string& action = args[0];
    bool json = false;
    bool verbose = false;
    std::vector<std::string> words;
    for (const std::string& arg : args.subspan(1)) {
        if (arg == "--json") {
            json = true;
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            words.push_back(arg);
        }
    }
    if (!((action == "get" && words.empty()) || (action == "set" && words.size() == 2)))
        return Usage(context);

    BusCall bus("qx580ctl-options", kDevicesInterface, "qx580", 15000);
    if (verbose) context.err << "qx580ctl: asking the running program\n";
    if (action == "set") {
        if (!bus.Call(context, QStringLiteral("SetOption"),
                      {QString::fromStdString(device), QString::fromStdString(words[0]),
                       QString::fromStdString(words[1])}))
            return kExitFailure;
        context.out << device << ' ' << words[0] << " = " << words[1] << '\n';
        return kExitOk;
    }
    const std::optional<QVariantList> reply =
        bus.Call(context, QStringLiteral("Options"), {QString::fromStdString(device)});
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
    for (const Json::Value& option : root["options"]) {
        context.out << option["name"].asString() << " = " << option["value"].asString() << "  (";
        if (option.isMember("choices")) {
            std::string joined;
            for (const Json::Value& choice : option["choices"])
                joined += (joined.empty() ? "" : "|") + choice.asString();
            context.out << joined;
        } else {
            context.out << option["minimum"].asInt() << ".." << option["maximum"].asInt();
        }
        context.out << ")\n";
    }
    return kExitOk;
}

}  // namespace qx::ctl
