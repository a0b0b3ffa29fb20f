// qx580ctl headset get|set: the headset's sound settings through the running program, which owns
// the headset, its audio library and its profile.
#include <QString>
#include <QVariantList>
#include <charconv>
#include <ostream>
#include <string>
#include <vector>

#include "ctl/bus_call.h"
#include "ctl/commands.h"

namespace qx::ctl {
namespace {

constexpr const char* kHelp =
    "usage: qx580ctl headset get [--json]\n"
    "       qx580ctl headset set mic N            microphone level 0-100\n"
    "       qx580ctl headset set mic-mute on|off\n"
    "       qx580ctl headset set monitor N        microphone monitor level 0-100\n"
    "       qx580ctl headset set monitor-mute on|off\n"
    "       qx580ctl headset set eq PRESET        1-12, or custom (the selected custom setting)\n"
    "       qx580ctl headset set eq-band N GAIN   band 1-10, gain -20..20 dB (custom setting)\n"
    "       qx580ctl headset set voice TYPE       voice changer: off, or voice 1-4\n"
    "       qx580ctl headset set surround on|off  virtual surround\n"
    "  (through the running program; the window shows the change at once)\n"
    "example: qx580ctl headset set eq 5\n";

bool InRange(const std::string& text, int minimum, int maximum) {
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [at, code] = std::from_chars(text.data(), end, number);
    return code == std::errc() && at == end && number >= minimum && number <= maximum;
}

// The option name and value the program takes, or an error for the user.
bool Translate(const std::vector<std::string>& words, std::string* name, std::string* value,
               std::string* error) {
    const std::string& what = words[0];
    if (what == "eq-band") {
        if (words.size() != 3) return *error = "eq-band takes a band and a gain", false;
        if (!InRange(words[1], 1, 10)) return *error = "band must be 1-10, not " + words[1], false;
        if (!InRange(words[2], -20, 20))
            return *error = "gain must be -20..20 dB, not " + words[2], false;
        *name = "eq-band-" + words[1];
        *value = words[2];
        return true;
    }
    if (words.size() != 2) return *error = what + " takes one value", false;
    *name = what;
    *value = words[1];
    if (what == "mic" || what == "monitor") {
        if (!InRange(*value, 0, 100))
            return *error = what + " takes a level 0-100, not " + *value, false;
    } else if (what == "mic-mute" || what == "monitor-mute" || what == "surround") {
        if (*value != "on" && *value != "off")
            return *error = what + " takes on or off, not " + *value, false;
    } else if (what == "eq") {
        if (*value != "custom" && !InRange(*value, 1, 12))
            return *error = "eq takes 1-12 or custom, not " + *value, false;
    } else if (what == "voice") {
        if (*value != "off" && !InRange(*value, 1, 4))
            return *error = "voice takes off or 1-4, not " + *value, false;
    } else {
        return *error = "unknown setting " + what +
                        " (mic, mic-mute, monitor, monitor-mute, eq, eq-band, voice, surround)",
               false;
    }
    return true;
}

}  // namespace

int RunHeadsetCommand(Context& context, Args args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            context.out << kHelp;
            return kExitOk;
        }
    }
    if (args.empty()) {
        context.err << kHelp;
        return kExitUsage;
    }
    if (args[0] == "get") return RunDeviceOptionsCommand(context, "headset", args);
    if (args[0] != "set") {
        context.err << "qx580ctl: unknown headset action \"" << args[0] << "\"\n" << kHelp;
        return kExitUsage;
    }
    std::vector<std::string> words;
    bool verbose = false;
    for (const std::string& arg : args.subspan(1)) {
        if (arg == "--verbose")
            verbose = true;
        else
            words.push_back(arg);
    }
    std::string name, value, error;
    if (words.empty() || !Translate(words, &name, &value, &error)) {
        context.err << "qx580ctl: " << (error.empty() ? "set needs a setting" : error) << '\n'
                    << kHelp;
        return kExitUsage;
    }
    BusCall bus("qx580ctl-headset", kDevicesInterface, "qx580", 15000);
    if (verbose) context.err << "qx580ctl: asking the running program\n";
    if (!bus.Call(context, QStringLiteral("SetOption"),
                  {QStringLiteral("headset"), QString::fromStdString(name),
                   QString::fromStdString(value)}))
        return kExitFailure;
    context.out << "headset " << name << " = " << value << '\n';
    return kExitOk;
}

}  // namespace qx::ctl
