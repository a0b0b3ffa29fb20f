// The running program for the targets that feed what other programs send over the bus: the main
// window on the simulated keyboard, mouse, pad and headset, made once per process, with its
// devices in first contact. Its workers stop when the process ends, as when the program exits.
#pragma once

#include <QApplication>
#include <memory>

#include "app/main_wnd.h"
#include "sim/sim_bus.h"

namespace qx::fuzz {

struct FuzzWindow {
    std::unique_ptr<QApplication> application;
    sim::SimBus bus;
    std::unique_ptr<app::CMainWnd> window;
    QObject exported;  // the object the bus adaptors hang on
};

// Makes the window (aborts when it cannot be shown); `atExit` runs before the window is closed at
// the end of the process (the adaptors made on it go there).
FuzzWindow& StartWindow(int* argc, char*** argv, void (*atExit)());

// Runs the event loop for `ms` milliseconds.
void Spin(int ms);

}  // namespace qx::fuzz
