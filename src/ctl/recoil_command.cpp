// qx580ctl recoil: the mouse's recoil data (four guns of thirty bullets) through the running
// program: show and change a bullet, send the guns to the mouse, reset, import and export a gun.
#include <json/json.h>

#include <QString>
#include <QVariantList>
#include <charconv>
#include <filesystem>
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
    "usage: qx580ctl recoil get --gun G --bullet B [--json]\n"
    "       qx580ctl recoil set --gun G --bullet B [--x N] [--y N] [--left|--right]\n"
    "                           [--up|--down] [--delay MS]\n"
    "       qx580ctl recoil upload\n"
    "       qx580ctl recoil reset --gun G\n"
    "       qx580ctl recoil import --gun G FILE\n"
    "       qx580ctl recoil export --gun G FILE\n"
    "  The mouse's recoil data through the running program: guns 0-3, bullets 0-29;\n"
    "  distances 0-255, the pause after the bullet 0-65535 ms. \"set\" changes only what\n"
    "  it names; \"upload\" sends the four guns to the mouse.\n"
    "  example: qx580ctl recoil set --gun 0 --bullet 3 --y 6 --down --delay 90\n";

int Usage(Context& context, const std::string& problem = {}) {
    if (!problem.empty()) context.err << "qx580ctl recoil: " << problem << '\n';
    context.err << kHelp;
    return kExitUsage;
}

bool Number(const std::string& text, int minimum, int maximum, int& value) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && at == end && value >= minimum && value <= maximum;
}

std::optional<Json::Value> ParseJson(Context& context, const QVariantList& reply) {
    const std::string text = reply.value(0).toString().toStdString();
    Json::Value root;
    std::string errors;
    std::unique_ptr<Json::CharReader> parse(Json::CharReaderBuilder().newCharReader());
    if (!parse->parse(text.data(), text.data() + text.size(), &root, &errors)) {
        context.err << "qx580ctl: the program's answer is not JSON: " << errors << '\n';
        return std::nullopt;
    }
    return root;
}

}  // namespace

int RunRecoilCommand(Context& context, Args args) {
    if (args.empty()) return Usage(context);
    const std::string& action = args[0];
    if (action == "--help" || action == "-h") {
        context.out << kHelp;
        return kExitOk;
    }
    int gun = -1, bullet = -1, x = -1, y = -1, delay = -1;
    int left = -1, up = -1;  // -1: unchanged
    bool json = false;
    std::string file;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasNext = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            context.out << kHelp;
            return kExitOk;
        } else if (arg == "--gun" && hasNext) {
            if (!Number(args[++i], 0, 3, gun)) return Usage(context, "--gun takes 0-3");
        } else if (arg == "--bullet" && hasNext) {
            if (!Number(args[++i], 0, 29, bullet)) return Usage(context, "--bullet takes 0-29");
        } else if (arg == "--x" && hasNext) {
            if (!Number(args[++i], 0, 255, x)) return Usage(context, "--x takes 0-255");
        } else if (arg == "--y" && hasNext) {
            if (!Number(args[++i], 0, 255, y)) return Usage(context, "--y takes 0-255");
        } else if (arg == "--delay" && hasNext) {
            if (!Number(args[++i], 0, 65535, delay)) return Usage(context, "--delay takes 0-65535");
        } else if (arg == "--left" || arg == "--right") {
            left = arg == "--left" ? 1 : 0;
        } else if (arg == "--up" || arg == "--down") {
            up = arg == "--up" ? 1 : 0;
        } else if (arg == "--json") {
            json = true;
        } else if (!arg.empty() && arg[0] != '-' && file.empty()) {
            file = arg;
        } else {
            return Usage(context, "unexpected \"" + arg + "\"");
        }
    }
    const bool fileAction = action == "import" || action == "export";
    const bool bulletAction = action == "get" || action == "set";
    if (!bulletAction && !fileAction && action != "upload" && action != "reset")
        return Usage(context, "unknown action \"" + action + "\"");
    if (bulletAction && (gun < 0 || bullet < 0))
        return Usage(context, action + " needs --gun and --bullet");
    if ((fileAction || action == "reset") && gun < 0)
        return Usage(context, action + " needs --gun");
    if (fileAction && file.empty()) return Usage(context, action + " needs a FILE");
    if (!fileAction && !file.empty()) return Usage(context, "unexpected \"" + file + "\"");

    BusCall bus("qx580ctl-recoil", kMouseInterface, "qx580", 15000);
    const QString path = QString::fromStdString(
        file.empty() ? std::string() : std::filesystem::absolute(file).string());
    if (action == "upload") {
        if (!bus.Call(context, QStringLiteral("UploadRecoil"))) return kExitFailure;
        context.out << "recoil data sent to the mouse\n";
        return kExitOk;
    }
    if (action == "reset") {
        if (!bus.Call(context, QStringLiteral("ResetGun"), {static_cast<uint>(gun)}))
            return kExitFailure;
        context.out << "gun " << gun << " reset\n";
        return kExitOk;
    }
    if (fileAction) {
        const QString method =
            action == "import" ? QStringLiteral("ImportGun") : QStringLiteral("ExportGun");
        if (!bus.Call(context, method, {static_cast<uint>(gun), path})) return kExitFailure;
        context.out << "gun " << gun << (action == "import" ? " imported from " : " exported to ")
                    << path.toStdString() << '\n';
        return kExitOk;
    }
    const std::optional<QVariantList> reply = bus.Call(
        context, QStringLiteral("Bullet"), {static_cast<uint>(gun), static_cast<uint>(bullet)});
    if (!reply) return kExitFailure;
    std::optional<Json::Value> root = ParseJson(context, *reply);
    if (!root) return kExitFailure;
    if (action == "set") {
        Json::Value& b = *root;
        if (!bus.Call(context, QStringLiteral("SetBullet"),
                      {static_cast<uint>(gun), static_cast<uint>(bullet),
                       left >= 0 ? left == 1 : b["left"].asBool(), x >= 0 ? x : b["x"].asInt(),
                       up >= 0 ? up == 1 : b["up"].asBool(), y >= 0 ? y : b["y"].asInt(),
                       delay >= 0 ? delay : b["delay"].asInt()}))
            return kExitFailure;
        context.out << "gun " << gun << " bullet " << bullet << " saved\n";
        return kExitOk;
    }
    if (json) {
        WriteJson(context.out, *root);
        return kExitOk;
    }
    const Json::Value& b = *root;
    context.out << "gun " << gun << " bullet " << bullet << ": x " << b["x"].asInt()
                << (b["left"].asBool() ? " left" : " right") << ", y " << b["y"].asInt()
                << (b["up"].asBool() ? " up" : " down") << ", pause " << b["delay"].asInt()
                << " ms\n";
    return kExitOk;
}

}  // namespace qx::ctl
