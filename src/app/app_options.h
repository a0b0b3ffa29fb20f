// The command line of the program: the simulated devices and the one-shot screenshot.
#pragma once

#include <QString>
#include <QStringList>

#include "sim/sim_setup.h"

namespace qx::app {

struct AppOptions {
    // --simulate: the simulated bus with a keyboard and a headset; --simulate=all: with a
    // keyboard, a mouse, a pad and a headset.
    sim::SimulationMode simulation = sim::SimulationMode::Off;
    QString screenshotPath;  // --screenshot FILE.png: picture of the window, then exit
    bool help = false;
    QString error;  // set when the command line can't be used
};

// Reads the arguments after the program name. QX580_HID=sim (sim-all) also selects the
// simulated bus when the command line does not.
AppOptions ParseAppOptions(const QStringList& arguments);

inline constexpr const char* kUsageText =
    "usage: qx580 [--simulate[=all]] [--screenshot FILE.png]\n"
    "  --simulate        run on simulated devices (a keyboard and a headset); also QX580_HID=sim\n"
    "  --simulate=all    the same with a keyboard, a mouse, a pad and a headset; also\n"
    "                    QX580_HID=sim-all\n"
    "  --screenshot FILE save a picture of the main window once it is shown, then exit\n"
    "  --version         print the version and exit\n";

}  // namespace qx::app
