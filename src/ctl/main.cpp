// qx580ctl: the command-line tool to look at HID interfaces and devices, render lighting effects
// and script profiles.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "core/device_names.h"
#include "core/diagnostics.h"
#include "ctl/command_help.h"
#include "ctl/commands.h"
#include "ctl/simulation.h"
#include "platform/platform_log.h"

namespace {

constexpr const char* kUsage =
    "usage: qx580ctl [--simulate[=all]] <command> ...\n"
    "\n"
    "commands:\n"
    "  hid list [--json]                 every HID interface as discovery sees it\n"
    "  hid decode FILE [--json]          decode a report descriptor (binary or hex text)\n"
    "  device info [--json]              read the identity of every attached device\n"
    "  effect render --id N ... --out F  draw steps of a lighting effect as a PNG picture\n"
    "  effect frames --id N ... --json   the frames of a lighting effect as JSON\n"
    "  effect list [--device D] [--json] the lighting effects of each device family\n"
    "  profile --device D <action>       list, new, copy, rename, delete, select, export,\n"
    "                                    import, reset the profiles of a device family\n"
    "                                    (through the running program when one runs)\n"
    "  sim plug|unplug|online|offline D  hot-plug a simulated device of the running program\n"
    "  sim mem|log|notify|fault|power    look into and act on its simulated devices\n"
    "  devices [--json] [--verbose]      every device: connection, power, profiles\n"
    "  keyboard|mouse|pad|headset get [--json] | set NAME VALUE\n"
    "                                    a device's options, through the running program\n"
    "  light get|set|sync ...             the devices' lighting, through the running program\n"
    "  key get|set|reset --device D [KEY] [FUNCTION]\n"
    "                                    a key's function, through the running program\n"
    "  macro list|show|import|export|delete ...\n"
    "                                    a device's macros, through the running program\n"
    "  dpi get [--json] | set --stage N [--value DPI] [--colour R,G,B] [--active]\n"
    "                                    the mouse's DPI stages, through the running program\n"
    "  recoil get|set|upload|reset|import|export ...\n"
    "                                    the mouse's recoil data, through the running program\n"
    "  headset set mic N|mic-mute on|off|monitor N|eq PRESET|eq-band N GAIN|voice TYPE|\n"
    "              surround on|off       the headset's sound (headset --help)\n"
    "  ui click|select|value|text|hover|state|windows|answer|file|shot ...\n"
    "                                    drive the running program's window by control name\n"
    "\n"
    "  --simulate      use simulated devices (a keyboard and a headset); also QX580_HID=sim\n"
    "  --simulate=all  a keyboard, a mouse, a pad and a headset; also QX580_HID=sim-all\n"
    "  --version       print the version and exit\n"
    "  COMMAND --help  the command's options, with examples\n";

}  // namespace

int main(int argc, char** argv) {
    qx::platform::SetPlatformLogSink(&qx::DebugLine);
    qx::ctl::Context context{false, std::cout, std::cerr};
    std::vector<std::string> args;
    bool help = false;
    qx::sim::SimulationMode simulation = qx::sim::SimulationMode::Off;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--simulate", 10) == 0) {
            const auto mode = qx::sim::SimulationModeFromOption(argv[i]);
            if (!mode) {
                std::cerr << "qx580ctl: unknown option \"" << argv[i] << "\"\n" << kUsage;
                return qx::ctl::kExitUsage;
            }
            simulation = *mode;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            help = true;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "qx580ctl " << QX580_VERSION << '\n';
            return qx::ctl::kExitOk;
        } else {
            args.emplace_back(argv[i]);
        }
    }
    if (!args.empty()) {
        // Device commands take every name a device has had ("HD", "MousePad", ...).
        const std::string device = qx::CanonicalDeviceName(args.front());
        if (device == "keyboard" || device == "mouse" || device == "pad" || device == "headset")
            args.front() = device;
    }
    if (help) {
        if (args.empty()) {
            std::cout << kUsage;
            return qx::ctl::kExitOk;
        }
        if (qx::ctl::WriteCommandHelp(std::cout, args.front())) return qx::ctl::kExitOk;
        // A command without an entry in the help table answers --help itself.
        args.emplace_back("--help");
    }
    if (simulation == qx::sim::SimulationMode::Off)
        simulation = qx::sim::SimulationModeFromEnvironment(std::getenv("QX580_HID"));
    context.simulate = simulation != qx::sim::SimulationMode::Off;
    if (args.empty()) {
        std::cerr << kUsage;
        return qx::ctl::kExitUsage;
    }
    qx::ctl::SimulationScope scope(simulation);
    const std::string command = args.front();
    const qx::ctl::Args rest(args.data() + 1, args.size() - 1);
    if (command == "hid") return qx::ctl::RunHidCommand(context, rest);
    if (command == "device") return qx::ctl::RunDeviceCommand(context, rest);
    if (command == "effect") return qx::ctl::RunEffectCommand(context, rest);
    if (command == "profile") return qx::ctl::RunProfileCommand(context, rest);
    if (command == "sim") return qx::ctl::RunSimCommand(context, rest);
    if (command == "ui") return qx::ctl::RunUiCommand(context, rest);
    if (command == "dpi") return qx::ctl::RunDpiCommand(context, rest);
    if (command == "recoil") return qx::ctl::RunRecoilCommand(context, rest);
    if (command == "devices") return qx::ctl::RunDevicesCommand(context, rest);
    if (command == "light") return qx::ctl::RunLightCommand(context, rest);
    if (command == "key") return qx::ctl::RunKeyCommand(context, rest);
    if (command == "macro") return qx::ctl::RunMacroCommand(context, rest);
    if (command == "headset") return qx::ctl::RunHeadsetCommand(context, rest);
    if (command == "keyboard" || command == "mouse" || command == "pad")
        return qx::ctl::RunDeviceOptionsCommand(context, command, rest);
    std::cerr << "qx580ctl: unknown command \"" << command << "\"\n" << kUsage;
    return qx::ctl::kExitUsage;
}
