// The command line of the program: the simulated devices and the one-shot screenshot.
#pragma once

#include <QString>
#include <QStringList>

namespace qx::app {

struct AppOptions {
    bool simulate = false;   // --simulate: the simulated bus with a keyboard and a headset
    QString screenshotPath;  // --screenshot FILE.png: picture of the window, then exit
    bool help = false;
    QString error;  // set when the command line can't be used
};

// Reads the arguments after the program name. QX580_HID=sim also selects the simulated bus.
AppOptions ParseAppOptions(const QStringList& arguments);

inline constexpr const char* kUsageText =
    "usage: qx580 [--simulate] [--screenshot FILE.png]\n"
    "  --simulate        run on simulated devices (a keyboard and a headset); also QX580_HID=sim\n"
    "  --screenshot FILE save a picture of the main window once it is shown, then exit\n";

}  // namespace qx::app
