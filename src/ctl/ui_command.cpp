#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <charconv>
#include <optional>
#include <ostream>
#include <string>

#include "ctl/bus_call.h"
#include "ctl/command_help.h"
#include "ctl/commands.h"

namespace qx::ctl {
namespace {

constexpr const char* kAutomationInterface = "org.mirvel.QX580.Automation";
constexpr int kCallTimeoutMs = 10000;

void Usage(Context& context) { context.err << CommandUsage("ui"); }

std::optional<int> ParseInt(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || rest != end || text.empty()) return std::nullopt;
    return value;
}

QString Absolute(const std::string& path) {
    return QDir::cleanPath(QFileInfo(QString::fromStdString(path)).absoluteFilePath());
}

struct Request {
    QString method;
    QVariantList arguments;
};

// The call for the action and its arguments; nullopt (after saying why) when they don't fit.
std::optional<Request> MakeRequest(Context& context, const std::string& action, Args rest) {
    auto needs = [&](size_t count) {
        if (rest.size() == count) return true;
        context.err << "qx580ctl: ui " << action << " takes " << count << " argument"
                    << (count == 1 ? "" : "s") << '\n';
        return false;
    };
    auto number = [&](const std::string& text) -> std::optional<int> {
        std::optional<int> value = ParseInt(text);
        if (!value) context.err << "qx580ctl: \"" << text << "\" is not a whole number\n";
        return value;
    };
    auto name = [&] { return QString::fromStdString(rest[0]); };

    if (action == "click" || action == "hover" || action == "state") {
        if (!needs(1)) return std::nullopt;
        const char* method = action == "click" ? "Click" : action == "hover" ? "Hover" : "State";
        return Request{QString::fromLatin1(method), {name()}};
    }
    if (action == "select" || action == "value") {
        if (!needs(2)) return std::nullopt;
        const std::optional<int> value = number(rest[1]);
        if (!value) return std::nullopt;
        return Request{action == "select" ? QStringLiteral("Select") : QStringLiteral("SetValue"),
                       {name(), *value}};
    }
    if (action == "text") {
        if (!needs(2)) return std::nullopt;
        return Request{QStringLiteral("SetText"), {name(), QString::fromStdString(rest[1])}};
    }
    if (action == "windows") {
        if (!needs(0)) return std::nullopt;
        return Request{QStringLiteral("Windows"), {}};
    }
    if (action == "answer") {
        if (!needs(1)) return std::nullopt;
        if (rest[0] != "confirm" && rest[0] != "cancel") {
            context.err << "qx580ctl: a message box is answered with confirm or cancel\n";
            return std::nullopt;
        }
        return Request{QStringLiteral("AnswerNextMessage"), {rest[0] == "confirm" ? 1 : 0}};
    }
    if (action == "file") {
        if (!needs(1)) return std::nullopt;
        const QString path = rest[0] == "--cancel" ? QString() : Absolute(rest[0]);
        return Request{QStringLiteral("AnswerNextFileDialog"), {path}};
    }
    if (action == "shot") {
        if (rest.size() != 1 && rest.size() != 2) {
            context.err << "qx580ctl: ui shot takes FILE.png and an optional window name\n";
            return std::nullopt;
        }
        const QString window = rest.size() == 2 ? QString::fromStdString(rest[1]) : QString();
        return Request{QStringLiteral("Screenshot"), {window, Absolute(rest[0])}};
    }
    context.err << "qx580ctl: unknown ui action \"" << action << "\"\n";
    return std::nullopt;
}

}  // namespace

// Drives the window of the running program by control name through its bus interface.
int RunUiCommand(Context& context, Args args) {
    if (args.empty()) {
        Usage(context);
        return kExitUsage;
    }
    const std::string& action = args[0];
    const std::optional<Request> request = MakeRequest(context, action, args.subspan(1));
    if (!request) {
        Usage(context);
        return kExitUsage;
    }

    BusCall bus("qx580ctl-ui", kAutomationInterface, "qx580 --simulate", kCallTimeoutMs);
    const std::optional<QVariantList> reply =
        bus.Call(context, request->method, request->arguments);
    if (!reply) return kExitFailure;
    const QVariantList& values = *reply;
    if (action == "state") {
        context.out << values.value(0).toString().toStdString() << '\n';
    } else if (action == "windows") {
        for (const QString& window : values.value(0).toStringList())
            context.out << window.toStdString() << '\n';
    } else if (action == "shot") {
        context.out << "picture saved to " << request->arguments.value(1).toString().toStdString()
                    << '\n';
    } else {
        context.out << "ui " << action << ": done\n";
    }
    return kExitOk;
}

}  // namespace qx::ctl
