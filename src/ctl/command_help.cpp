#include "ctl/command_help.h"

#include <ostream>

namespace qx::ctl {
namespace {

struct CommandHelp {
    std::string_view command;
    const char* usage;
    const char* examples;
};

constexpr const char* kDeviceOptionsUsage =
    "usage: qx580ctl keyboard|mouse|pad|headset get [--json]\n"
    "       qx580ctl keyboard|mouse|pad|headset set NAME VALUE\n"
    "  the device's options and their values, through the running program; get lists the\n"
    "  names with their choices or range\n";
constexpr const char* kDeviceOptionsExamples =
    "  qx580ctl keyboard get\n"
    "  qx580ctl keyboard set polling-rate 500\n";

constexpr CommandHelp kCommands[] = {
    {"hid",
     "usage: qx580ctl hid list [--json]\n"
     "       qx580ctl hid decode FILE [--json]\n"
     "  list: every HID interface as discovery sees it (vendor, product, interface,\n"
     "        collection, usage and the slot of the supported-device table)\n"
     "  decode: the collections of a report descriptor (binary, or hex text)\n",
     "  qx580ctl hid list\n"
     "  qx580ctl hid decode /sys/class/hidraw/hidraw3/device/report_descriptor --json\n"},
    {"device",
     "usage: qx580ctl device info [--json]\n"
     "  the identity, key count, macro memory and current profile of every attached device,\n"
     "  read from the devices themselves (not while the program runs: it owns them)\n",
     "  qx580ctl --simulate=all device info --json\n"},
    {"effect",
     "usage: qx580ctl effect render --id N[,N...] --out FILE.png [options]\n"
     "       qx580ctl effect frames --id N[,N...] --json [options]\n"
     "       qx580ctl effect list [--device D] [--json]   the effects of a family (all families)\n"
     "options:\n"
     "  --device keyboard|mouse|pad|headset   (keyboard)\n"
     "  --steps K        drawn steps (24)       --every M      draw every M-th step (1)\n"
     "  --brightness B   0-4 (4)                --speed S      speed index 0-4 (4)\n"
     "  --direction D    0 or 1 (1)             --colourful    colours from the wheel\n"
     "  --colour R,G,B   single / foreground colour (255,255,255)\n"
     "  --background R,G,B  sound styles' background (0,0,0)\n"
     "  --preset P       colour choice of effect 45 (0)\n"
     "  --style S[,S...] sound styles 0-6 for the sound effect, one run each (0)\n"
     "  --levels FILE    sound levels, 25 numbers per line, one line per step (else a test "
     "signal)\n"
     "  --keys STEP:LED:down|up,...  key events (else a fixed script for the key effects)\n"
     "  --seed X         random seed (1)\n"
     "  an unknown effect id or a value out of range is an error (exit status 2)\n",
     "  qx580ctl effect list --device mouse\n"
     "  qx580ctl effect render --id 6 --speed 2 --out breathing.png\n"
     "  qx580ctl effect frames --id 2 --device pad --steps 4 --json\n"},
    {"profile",
     "usage: qx580ctl profile --device keyboard|mouse|pad|headset <action> [--json] [--verbose]\n"
     "actions:\n"
     "  list           the profiles and the selected one\n"
     "  new            add a profile made from the shipped defaults\n"
     "  copy           add a copy of the selected profile\n"
     "  rename NAME    rename the selected profile\n"
     "  delete         delete the selected profile\n"
     "  select N       select profile N (from 0)\n"
     "  export FILE    write the selected profile to FILE\n"
     "  import FILE    add the profile stored in FILE\n"
     "  reset          restore the selected profile to the shipped defaults\n"
     "  through the running program when it has the device, else on the files\n",
     "  qx580ctl profile --device keyboard list --json\n"
     "  qx580ctl profile --device keyboard rename Games\n"
     "  qx580ctl profile --device mouse export ~/mouse-profile.json\n"},
    {"sim",
     "usage: qx580ctl sim plug|unplug|online|offline DEVICE\n"
     "       qx580ctl sim plug DEVICE --reset\n"
     "       qx580ctl sim mem DEVICE REGION [OFFSET [LENGTH]] [--json]\n"
     "       qx580ctl sim log DEVICE [--json] [--clear]\n"
     "       qx580ctl sim notify DEVICE CODE\n"
     "       qx580ctl sim fault DEVICE FAULT [COUNT]\n"
     "       qx580ctl sim power DEVICE PERCENT [charging]\n"
     "  DEVICE: keyboard, keyboard-receiver, headset, mouse, mouse-receiver, pad,\n"
     "          pad-receiver\n"
     "  REGION: identity, config, keytable, keybytes, keymask, frame, macros, recoil, status\n"
     "  FAULT:  silent, status-ff, status-fe, stray-reply (the next COUNT packets, default\n"
     "          1, 0 until cleared), unplug-after (leaves after COUNT more packets), none\n"
     "  numbers are decimal or 0x... hexadecimal; mem prints hex (--json: numbers), log\n"
     "  prints one line per command packet since the plug, then --clear empties it\n"
     "  plug --reset: with its factory memory, as a device that lost its settings\n"
     "  (the program must run with --simulate)\n",
     "  qx580ctl sim plug mouse\n"
     "  qx580ctl sim plug keyboard --reset\n"
     "  qx580ctl sim mem keyboard config 0 26\n"
     "  qx580ctl sim fault keyboard status-ff 2\n"},
    {"devices",
     "usage: qx580ctl devices [--json] [--verbose]\n"
     "  every device of the running program: connection, power, profiles (--verbose: the\n"
     "  devices it has not seen too)\n",
     "  qx580ctl devices\n"
     "  qx580ctl devices --json\n"},
    {"keyboard", kDeviceOptionsUsage, kDeviceOptionsExamples},
    {"mouse", kDeviceOptionsUsage, kDeviceOptionsExamples},
    {"pad", kDeviceOptionsUsage, kDeviceOptionsExamples},
    {"ui",
     "usage: qx580ctl ui <action> ...   (drives a running \"qx580 --simulate\")\n"
     "  ui click NAME              click a control\n"
     "  ui select NAME INDEX       pick item INDEX of a combo box or list\n"
     "  ui value NAME VALUE        drag a slider (or type into a spin box) to VALUE\n"
     "  ui text NAME TEXT          type TEXT into an edit, then Enter and focus out\n"
     "  ui hover NAME              move the pointer onto a control\n"
     "  ui state NAME              the control's state as JSON\n"
     "  ui windows                 the open windows, one name a line\n"
     "  ui answer confirm|cancel   answer the next message box without showing it\n"
     "  ui file PATH|--cancel      answer the next file dialog without showing it\n"
     "  ui shot FILE.png [WINDOW]  a picture of a window (the main window by default)\n"
     "  NAME: a control name, or WINDOW/NAME for a control of that window; NAME[N] is the\n"
     "        N-th (from 0) shown control of that name, top to bottom, then left to right\n",
     "  qx580ctl ui click setbtn\n"
     "  qx580ctl ui click 'device_select[1]'   # the second device in the list\n"
     "  qx580ctl ui select light_combo_modeSelect 6\n"
     "  qx580ctl ui shot window.png\n"},
};

const CommandHelp* Find(std::string_view command) {
    for (const CommandHelp& help : kCommands) {
        if (help.command == command) return &help;
    }
    return nullptr;
}

}  // namespace

const char* CommandUsage(std::string_view command) {
    const CommandHelp* help = Find(command);
    return help != nullptr ? help->usage : nullptr;
}

bool WriteCommandHelp(std::ostream& out, std::string_view command) {
    const CommandHelp* help = Find(command);
    if (help == nullptr) return false;
    out << help->usage << "examples:\n" << help->examples;
    return true;
}

}  // namespace qx::ctl
