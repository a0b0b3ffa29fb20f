// qx580ctl sim: reaches the simulated devices of a running "qx580 --simulate" through its
// Simulator bus interface: hot-plugging, memory, the command log, notifications, faults, power.
#include <json/json.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/device_names.h"
#include "ctl/bus_call.h"
#include "ctl/command_help.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"

namespace qx::ctl {
namespace {

constexpr const char* kSimulatorInterface = "org.mirvel.QX580.Simulator";

void Usage(Context& context) { context.err << CommandUsage("sim"); }

// A decimal or 0x-prefixed hexadecimal number no greater than `max`.
std::optional<uint64_t> ParseNumber(const std::string& text, uint64_t max) {
    std::string_view digits = text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        value > max) {
        return std::nullopt;
    }
    return value;
}

// One call of the Simulator interface on a connection of its own.
// One call of the Simulator interface per command, over its own bus connection.
class SimulatorCall : public BusCall {
  public:
    SimulatorCall() : BusCall("qx580ctl-sim", kSimulatorInterface, "qx580 --simulate") {}
};

// Splits the words after the action into positional words and the flags it allows; false (and
// usage) on a flag it does not know.
bool SplitWords(Context& context, Args words, const std::vector<std::string>& allowed,
                std::vector<std::string>& positional, std::vector<std::string>& flags) {
    for (const std::string& word : words) {
        if (word.rfind("--", 0) == 0) {
            if (std::find(allowed.begin(), allowed.end(), word) == allowed.end()) {
                context.err << "qx580ctl sim: unknown option \"" << word << "\"\n";
                return false;
            }
            flags.push_back(word);
        } else {
            positional.push_back(word);
        }
    }
    return true;
}

bool Has(const std::vector<std::string>& flags, const char* flag) {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

void PrintHex(Context& context, const QByteArray& bytes, uint64_t offset) {
    char text[16];
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0) {
            if (i > 0) context.out << '\n';
            std::snprintf(text, sizeof text,
                          "%04llx:", static_cast<unsigned long long>(offset + uint64_t(i)));
            context.out << text;
        }
        std::snprintf(text, sizeof text, " %02x", static_cast<unsigned>(uint8_t(bytes[i])));
        context.out << text;
    }
    if (!bytes.isEmpty()) context.out << '\n';
}

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value & 0xFF);
    return text;
}

// One readable line per logged command packet.
void PrintLog(Context& context, const Json::Value& log) {
    const Json::Value& requests = log["requests"];
    context.out << log["device"].asString() << ": " << requests.size()
                << " command packet(s) since the plug"
                << (log["plugged"].asBool() ? "" : " (unplugged now)");
    if (log["dropped"].asUInt64() > 0)
        context.out << ", " << log["dropped"].asUInt64() << " older ones dropped";
    context.out << '\n';
    for (const Json::Value& entry : requests) {
        std::ostringstream line;
        char head[96];
        const std::string name = entry["name"].asString();
        std::snprintf(head, sizeof head, "#%-5llu %6llu ms  %-8s %s %-15s len %-2u off %-5u",
                      static_cast<unsigned long long>(entry["index"].asUInt64()),
                      static_cast<unsigned long long>(entry["ms"].asUInt64()),
                      entry["interface"].asCString(), Hex2(entry["command"].asUInt()).c_str(),
                      name.empty() ? "?" : name.c_str(), entry["length"].asUInt(),
                      entry["offset"].asUInt());
        line << head;
        if (!entry["checksum_ok"].asBool()) line << " bad checksum";
        if (entry["unplugged"].asBool()) {
            line << " -> left the bus, no reply";
        } else if (!entry["answered"].asBool()) {
            line << " -> no reply";
        } else {
            line << " -> ";
            const unsigned replyCommand = entry["reply_command"].asUInt();
            if (replyCommand != entry["command"].asUInt())
                line << "reply " << Hex2(replyCommand) << ", ";
            line << "status " << Hex2(entry["status"].asUInt());
            if (entry["stray_replies"].asUInt64() > 0)
                line << " after " << entry["stray_replies"].asUInt64() << " stray reply";
        }
        context.out << line.str() << '\n';
    }
}

}  // namespace

// Hot-plugs and inspects the simulated devices of the running program through its bus interface.
int RunSimCommand(Context& context, Args args) {
    if (args.empty()) {
        Usage(context);
        return kExitUsage;
    }
    const std::string& action = args[0];
    std::vector<std::string> words;
    std::vector<std::string> flags;
    std::vector<std::string> allowed;
    if (action == "mem") allowed = {"--json"};
    if (action == "log") allowed = {"--json", "--clear"};
    if (action == "plug") allowed = {"--reset"};
    if (!SplitWords(context, args.subspan(1), allowed, words, flags)) {
        Usage(context);
        return kExitUsage;
    }
    const auto usage = [&context](const std::string& why) {
        context.err << "qx580ctl sim: " << why << '\n';
        Usage(context);
        return kExitUsage;
    };
    if (words.empty()) return usage("which device?");
    const QString device = QString::fromStdString(CanonicalDeviceName(words[0]));

    if (action == "plug" || action == "unplug" || action == "online" || action == "offline") {
        if (words.size() != 1) return usage("one device name");
        QString method = QStringLiteral("SetReceiverOnline");
        QVariantList arguments{device};
        if (action == "plug") {
            method = Has(flags, "--reset") ? QStringLiteral("PlugReset") : QStringLiteral("Plug");
        } else if (action == "unplug") {
            method = QStringLiteral("Unplug");
        } else {
            arguments << QVariant(action == "online");
        }
        SimulatorCall bus;
        if (!bus.Call(context, method, arguments)) return kExitFailure;
        context.out << "sim " << action << ' ' << words[0] << ": done\n";
        return kExitOk;
    }

    if (action == "mem") {
        if (words.size() < 2 || words.size() > 4)
            return usage("mem DEVICE REGION [OFFSET [LENGTH]]");
        uint64_t offset = 0;
        uint64_t length = 0;
        if (words.size() >= 3) {
            const auto value = ParseNumber(words[2], UINT32_MAX);
            if (!value) return usage("bad offset \"" + words[2] + "\"");
            offset = *value;
        }
        if (words.size() == 4) {
            const auto value = ParseNumber(words[3], UINT32_MAX);
            if (!value || *value == 0) return usage("bad length \"" + words[3] + "\"");
            length = *value;
        }
        SimulatorCall bus;
        const auto reply =
            bus.Call(context, QStringLiteral("ReadMemory"),
                     {device, QString::fromStdString(words[1]), QVariant::fromValue(uint(offset)),
                      QVariant::fromValue(uint(length))});
        if (!reply) return kExitFailure;
        const QByteArray bytes = reply->value(0).toByteArray();
        if (Has(flags, "--json")) {
            Json::Value array(Json::arrayValue);
            for (const char byte : bytes) array.append(unsigned(uint8_t(byte)));
            WriteJson(context.out, array);
        } else {
            PrintHex(context, bytes, offset);
        }
        return kExitOk;
    }

    if (action == "log") {
        if (words.size() != 1) return usage("log DEVICE [--json] [--clear]");
        SimulatorCall bus;
        const auto reply = bus.Call(context, QStringLiteral("Requests"), {device});
        if (!reply) return kExitFailure;
        const std::string text = reply->value(0).toString().toStdString();
        Json::Value log;
        Json::CharReaderBuilder builder;
        std::string errors;
        std::istringstream in(text);
        if (!Json::parseFromStream(builder, in, &log, &errors) || !log.isObject() ||
            !log["requests"].isArray()) {
            context.err << "qx580ctl: the program's request log is not the expected JSON\n";
            return kExitFailure;
        }
        if (Has(flags, "--json")) {
            WriteJson(context.out, log);
        } else {
            PrintLog(context, log);
        }
        if (Has(flags, "--clear") && !bus.Call(context, QStringLiteral("ClearRequests"), {device}))
            return kExitFailure;
        return kExitOk;
    }

    if (action == "notify") {
        if (words.size() != 2) return usage("notify DEVICE CODE");
        const auto code = ParseNumber(words[1], 0xFFFF);
        if (!code) return usage("bad code \"" + words[1] + "\" (0 to 0xffff)");
        SimulatorCall bus;
        if (!bus.Call(context, QStringLiteral("SendNotification"),
                      {device, QVariant::fromValue(ushort(*code))})) {
            return kExitFailure;
        }
        context.out << "sim notify " << words[0] << ' ' << words[1] << ": sent\n";
        return kExitOk;
    }

    if (action == "fault") {
        if (words.size() != 2 && words.size() != 3) return usage("fault DEVICE FAULT [COUNT]");
        uint64_t count = 1;
        if (words.size() == 3) {
            const auto value = ParseNumber(words[2], UINT32_MAX);
            if (!value) return usage("bad count \"" + words[2] + "\"");
            count = *value;
        }
        SimulatorCall bus;
        if (!bus.Call(
                context, QStringLiteral("SetFault"),
                {device, QString::fromStdString(words[1]), QVariant::fromValue(uint(count))})) {
            return kExitFailure;
        }
        context.out << "sim fault " << words[0] << ' ' << words[1] << ": armed\n";
        return kExitOk;
    }

    if (action == "power") {
        if (words.size() != 2 && words.size() != 3) return usage("power DEVICE PERCENT [charging]");
        const auto percent = ParseNumber(words[1], 100);
        if (!percent) return usage("bad percentage \"" + words[1] + "\" (0 to 100)");
        if (words.size() == 3 && words[2] != "charging")
            return usage("\"" + words[2] + "\": only \"charging\" may follow the percentage");
        SimulatorCall bus;
        if (!bus.Call(context, QStringLiteral("SetPower"),
                      {device, QVariant::fromValue(uint(*percent)), QVariant(words.size() == 3)})) {
            return kExitFailure;
        }
        context.out << "sim power " << words[0] << ' ' << words[1] << ": done\n";
        return kExitOk;
    }

    context.err << "qx580ctl: unknown sim action \"" << action << "\"\n";
    Usage(context);
    return kExitUsage;
}

}  // namespace qx::ctl
