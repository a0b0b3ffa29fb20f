// qx580ctl key get|set|reset: the functions of a device's keys, through the running program,
// which owns the device and its profile (the window shows the change at once).
#include <json/json.h>

#include <QString>
#include <QVariantList>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ctl/bus_call.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"
#include "macros/key_functions.h"

namespace qx::ctl {
namespace {

constexpr const char* kKeysInterface = "org.mirvel.QX580.Keys";
constexpr const char* kInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";
constexpr const char* kUnknownDevice = "org.mirvel.QX580.Error.UnknownDevice";

void Help(std::ostream& out) {
    out << "usage: qx580ctl key get --device keyboard|mouse [KEY] [--json]\n"
           "       qx580ctl key set --device keyboard|mouse KEY FUNCTION\n"
           "       qx580ctl key reset --device keyboard|mouse KEY\n"
           "  (through the running program)\n"
           "\n"
           "  KEY       the key's number (from 0) or its own name: A, F1, Esc, Space, ...\n"
           "  FUNCTION  "
        << FunctionTextHelp()
        << "\n"
           "  --json    get: the keys as JSON\n"
           "\n"
           "  set writes the macros the keys use and the key table to the device; get without\n"
           "  KEY lists every key.\n"
           "\n"
           "example:\n"
           "  qx580ctl key set --device keyboard F12 media:play\n"
           "  qx580ctl key get --device keyboard F12\n"
           "  qx580ctl key reset --device keyboard F12\n";
}

int Usage(Context& context, const std::string& why) {
    context.err << "qx580ctl key: " << why << "\n";
    Help(context.err);
    return kExitUsage;
}

}  // namespace

int RunKeyCommand(Context& context, Args args) {
    std::string action;
    std::string device;
    bool json = false;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            Help(context.out);
            return kExitOk;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg == "--device") {
            if (i + 1 >= args.size()) return Usage(context, "--device needs a device");
            device = args[++i];
        } else if (arg.rfind("--", 0) == 0) {
            return Usage(context, "unknown option \"" + arg + "\"");
        } else if (action.empty()) {
            action = arg;
        } else {
            words.push_back(arg);
        }
    }
    if (action != "get" && action != "set" && action != "reset")
        return Usage(context,
                     action.empty() ? "get, set or reset?" : "unknown action \"" + action + "\"");
    if (device.empty()) return Usage(context, "which device? (--device keyboard|mouse)");
    if (FindCtlFamily(device) == nullptr || std::string(FindCtlFamily(device)->name) != device)
        return Usage(context,
                     "unknown device \"" + device + "\" (devices: " + kCtlFamilyNames + ")");
    const size_t wanted = action == "set" ? 2 : 1;
    if (action == "get" ? words.size() > 1 : words.size() != wanted)
        return Usage(context, action == "set" ? "set takes a KEY and a FUNCTION" : "one KEY");
    if (action == "set") {
        // The form is checked here; the macro numbers are the program's to check.
        const ParsedFunction parsed = ParseFunctionText(words[1], 256);
        if (!parsed.function && !parsed.isDefault)
            return Usage(context, "\"" + words[1] + "\": " + parsed.error);
    }

    BusCall bus("qx580ctl-keys", kKeysInterface, "qx580", 20000);
    const QString qDevice = QString::fromStdString(device);
    auto failed = [&bus]() {
        return bus.LastError() == QLatin1String(kInvalidArgs) ||
                       bus.LastError() == QLatin1String(kUnknownDevice)
                   ? kExitUsage
                   : kExitFailure;
    };
    if (action == "set" || action == "reset") {
        QVariantList arguments{qDevice, QString::fromStdString(words[0])};
        if (action == "set") arguments << QString::fromStdString(words[1]);
        if (!bus.Call(context, action == "set" ? QStringLiteral("Set") : QStringLiteral("Reset"),
                      arguments))
            return failed();
        context.out << device << ' ' << words[0] << " = "
                    << (action == "set" ? words[1] : std::string("default")) << '\n';
        return kExitOk;
    }
    const std::optional<QVariantList> reply =
        bus.Call(context, QStringLiteral("Get"),
                 {qDevice, words.empty() ? QString() : QString::fromStdString(words[0])});
    if (!reply) return failed();
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
    for (const Json::Value& key : root["keys"]) {
        context.out << key["key"].asInt();
        if (!key["name"].asString().empty()) context.out << " (" << key["name"].asString() << ")";
        context.out << " = " << key["function"].asString();
        if (key["value"] != key["defaultValue"])
            context.out << "  [default " << key["default"].asString() << "]";
        context.out << '\n';
    }
    return kExitOk;
}

}  // namespace qx::ctl
