// qx580ctl: the command-line tool to look at HID interfaces and devices, render lighting effects
// and script profiles.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "ctl/commands.h"
#include "ctl/simulation.h"

namespace {

constexpr const char* kUsage =
    "usage: qx580ctl [--simulate] <command> ...\n"
    "\n"
    "commands:\n"
    "  hid list [--json]                 every HID interface as discovery sees it\n"
    "  hid decode FILE [--json]          decode a report descriptor (binary or hex text)\n"
    "  device info [--json]              read the identity of every attached device\n"
    "  effect render --id N ... --out F  draw steps of a lighting effect as a PNG picture\n"
    "  effect frames --id N ... --json   the frames of a lighting effect as JSON\n"
    "  profile --device D <action>       list, new, copy, rename, delete, select, export,\n"
    "                                    import, reset the profiles of a device family\n"
    "  sim plug|unplug|online|offline D  hot-plug a simulated device of the running program\n"
    "  ui click|select|value|text|hover|state|windows|answer|file|shot ...\n"
    "                                    drive the running program's window by control name\n"
    "\n"
    "  --simulate  use simulated devices (a keyboard and a headset); also QX580_HID=sim\n";

}  // namespace

int main(int argc, char** argv) {
    qx::ctl::Context context{false, std::cout, std::cerr};
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--simulate") == 0) {
            context.simulate = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kUsage;
            return qx::ctl::kExitOk;
        } else {
            args.emplace_back(argv[i]);
        }
    }
    if (const char* env = std::getenv("QX580_HID");
        env != nullptr && std::strcmp(env, "sim") == 0) {
        context.simulate = true;
    }
    if (args.empty()) {
        std::cerr << kUsage;
        return qx::ctl::kExitUsage;
    }
    qx::ctl::SimulationScope simulation(context.simulate);
    const std::string command = args.front();
    const qx::ctl::Args rest(args.data() + 1, args.size() - 1);
    if (command == "hid") return qx::ctl::RunHidCommand(context, rest);
    if (command == "device") return qx::ctl::RunDeviceCommand(context, rest);
    if (command == "effect") return qx::ctl::RunEffectCommand(context, rest);
    if (command == "profile") return qx::ctl::RunProfileCommand(context, rest);
    if (command == "sim") return qx::ctl::RunSimCommand(context, rest);
    if (command == "ui") return qx::ctl::RunUiCommand(context, rest);
    std::cerr << "qx580ctl: unknown command \"" << command << "\"\n" << kUsage;
    return qx::ctl::kExitUsage;
}
