// qx580ctl macro list|show|import|export|delete: a device's macros through the running program,
// which owns the device's files and its key table (the macro editor follows at once).
#include <json/json.h>

#include <QString>
#include <QVariantList>
#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ctl/bus_call.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"

namespace qx::ctl {
namespace {

constexpr const char* kMacrosInterface = "org.mirvel.QX580.Macros";
constexpr const char* kInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";
constexpr const char* kUnknownDevice = "org.mirvel.QX580.Error.UnknownDevice";
constexpr const char* kNotSupported = "org.mirvel.QX580.Error.NotSupported";

void Help(std::ostream& out) {
    out << "usage: qx580ctl macro list [--device D] [--json]\n"
           "       qx580ctl macro show NAME [--device D] [--json]\n"
           "       qx580ctl macro import FILE [--name NAME] [--device D]\n"
           "       qx580ctl macro export NAME FILE [--device D]\n"
           "       qx580ctl macro delete NAME [--device D]\n"
           "  (through the running program)\n"
           "\n"
           "  --device D   keyboard or mouse (keyboard)\n"
           "  NAME         the macro's name, or its number (from 0) when no macro has that name\n"
           "  FILE         a macro file (.mac)\n"
           "  --name NAME  import: the new macro's name (else macro_N)\n"
           "  --json       list, show: as JSON\n"
           "\n"
           "  show prints one row per event: number, kind (key, modifier, mouse, move), the key,\n"
           "  button or direction, the action (down, up) and the delay after it in ms.\n"
           "  delete sets the keys on the macro back to their own function and renumbers the\n"
           "  keys on later macros in every profile; the macros and the key table are written to\n"
           "  the device. A key plays a macro with: qx580ctl key set --device D KEY macro:N\n"
           "\n"
           "example:\n"
           "  qx580ctl macro import ~/greeting.mac --name Greeting\n"
           "  qx580ctl macro show Greeting\n"
           "  qx580ctl key set --device keyboard F5 macro:0\n"
           "  qx580ctl macro export Greeting /tmp/greeting.mac\n"
           "  qx580ctl macro delete Greeting\n";
}

int Usage(Context& context, const std::string& why) {
    context.err << "qx580ctl macro: " << why << "\n";
    Help(context.err);
    return kExitUsage;
}

std::optional<Json::Value> ParseAnswer(Context& context, const std::string& text) {
    Json::Value root;
    std::string errors;
    std::unique_ptr<Json::CharReader> parse(Json::CharReaderBuilder().newCharReader());
    if (!parse->parse(text.data(), text.data() + text.size(), &root, &errors)) {
        context.err << "qx580ctl: the program's answer is not JSON: " << errors << '\n';
        return std::nullopt;
    }
    return root;
}

std::string Absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

}  // namespace

int RunMacroCommand(Context& context, Args args) {
    std::string action;
    std::string device = "keyboard";
    std::string name;
    bool named = false;
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
        } else if (arg == "--device" || arg == "--name") {
            if (i + 1 >= args.size()) return Usage(context, arg + " needs a value");
            (arg == "--device" ? device : name) = args[++i];
            if (arg == "--name") named = true;
        } else if (arg.rfind("--", 0) == 0) {
            return Usage(context, "unknown option \"" + arg + "\"");
        } else if (action.empty()) {
            action = arg;
        } else {
            words.push_back(arg);
        }
    }
    const struct {
        const char* action;
        size_t words;
        const char* what;
    } kActions[] = {{"list", 0, "list takes no NAME"},
                    {"show", 1, "show takes one NAME"},
                    {"import", 1, "import takes one FILE"},
                    {"export", 2, "export takes a NAME and a FILE"},
                    {"delete", 1, "delete takes one NAME"}};
    const auto* known = std::find_if(std::begin(kActions), std::end(kActions),
                                     [&](const auto& a) { return action == a.action; });
    if (known == std::end(kActions))
        return Usage(context, action.empty() ? "list, show, import, export or delete?"
                                             : "unknown action \"" + action + "\"");
    if (words.size() != known->words) return Usage(context, known->what);
    if (device != "keyboard" && device != "mouse")
        return Usage(context, "unknown device \"" + device + "\" (macros: keyboard, mouse)");
    if (named && action != "import") return Usage(context, "--name goes with import only");
    if (named && name.empty()) return Usage(context, "--name needs a name");
    if (json && action != "list" && action != "show")
        return Usage(context, "--json goes with list and show");
    for (const std::string& word : words)
        if (word.empty()) return Usage(context, "an empty NAME or FILE");

    BusCall bus("qx580ctl-macros", kMacrosInterface, "qx580", 20000);
    const QString qDevice = QString::fromStdString(device);
    auto failed = [&bus]() {
        const QString& error = bus.LastError();
        return error == QLatin1String(kInvalidArgs) || error == QLatin1String(kUnknownDevice) ||
                       error == QLatin1String(kNotSupported)
                   ? kExitUsage
                   : kExitFailure;
    };
    auto q = [](const std::string& text) { return QString::fromStdString(text); };

    if (action == "import") {
        const auto reply =
            bus.Call(context, QStringLiteral("Import"), {qDevice, q(Absolute(words[0])), q(name)});
        if (!reply) return failed();
        context.out << "imported as " << reply->value(0).toString().toStdString() << '\n';
        return kExitOk;
    }
    if (action == "export") {
        if (!bus.Call(context, QStringLiteral("Export"),
                      {qDevice, q(words[0]), q(Absolute(words[1]))}))
            return failed();
        context.out << words[0] << " -> " << Absolute(words[1]) << '\n';
        return kExitOk;
    }
    if (action == "delete") {
        if (!bus.Call(context, QStringLiteral("Delete"), {qDevice, q(words[0])})) return failed();
        context.out << "deleted " << words[0] << '\n';
        return kExitOk;
    }
    const auto reply = action == "list"
                           ? bus.Call(context, QStringLiteral("List"), {qDevice})
                           : bus.Call(context, QStringLiteral("Show"), {qDevice, q(words[0])});
    if (!reply) return failed();
    const std::optional<Json::Value> root =
        ParseAnswer(context, reply->value(0).toString().toStdString());
    if (!root) return kExitFailure;
    if (json) {
        WriteJson(context.out, *root);
        return kExitOk;
    }
    if (action == "list") {
        for (const Json::Value& macro : (*root)["macros"])
            context.out << macro["number"].asInt() << "  " << macro["name"].asString() << "  ("
                        << macro["events"].asInt() << " events)\n";
        return kExitOk;
    }
    context.out << (*root)["number"].asInt() << "  " << (*root)["name"].asString() << '\n';
    for (const Json::Value& row : (*root)["rows"]) {
        std::string what = row["name"].asString();
        if (what.empty()) what = std::to_string(row["button"].asInt());
        if (row.isMember("distance")) what += " " + std::to_string(row["distance"].asInt());
        context.out << std::setw(4) << row["row"].asInt() << "  " << std::left << std::setw(9)
                    << row["kind"].asString() << std::setw(14) << what << std::setw(5)
                    << row["action"].asString() << std::right << ' ' << row["delay"].asInt()
                    << " ms\n";
    }
    return kExitOk;
}

}  // namespace qx::ctl
