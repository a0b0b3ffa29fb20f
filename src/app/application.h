// The program from start to end: single instance, fonts, control classes, simulated devices,
// the bus service, the main window and its message loop, and the teardown.
#pragma once

namespace qx::app {

// The whole program; the process's exit status.
int RunApplication(int argc, char** argv);

}  // namespace qx::app
