#include "fuzz_window.h"

#include <QElapsedTimer>
#include <cstdlib>

#include "controls/register_controls.h"
#include "devices/base/register_device_controls.h"
#include "fuzz_support.h"
#include "sim/sim_setup.h"

namespace qx::fuzz {
namespace {

FuzzWindow* program = nullptr;
void (*beforeExit)() = nullptr;

}  // namespace

void Spin(int ms) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    } while (clock.elapsed() < ms);
}

FuzzWindow& StartWindow(int* argc, char*** argv, void (*atExit)()) {
    (void)ScratchFolder();  // the user's folders point into it
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    program = new FuzzWindow;
    program->application = std::make_unique<QApplication>(*argc, *argv);
    controls::RegisterCustomControls();
    devices::RegisterDeviceControls();
    for (const char* device : {"keyboard", "mouse", "pad", "headset"}) program->bus.Plug(device);
    app::MainWndOptions options;
    options.backend = &program->bus;
    options.supportedRows = sim::WithSimulatorIdentities(kSupportedDevices);
    options.monitorSize = [] { return QSize(1920, 1080); };
    options.trayAvailable = [] { return true; };
    program->window = std::make_unique<app::CMainWnd>(options);
    if (!program->window->Create()) std::abort();
    QElapsedTimer clock;
    clock.start();
    while (!program->window->isVisible() && clock.elapsed() < 20000) Spin(20);
    Spin(1500);  // first contact with the devices
    beforeExit = atExit;
    std::atexit([] {
        if (beforeExit != nullptr) beforeExit();
        program->window->Exit();
        program->window.reset();
    });
    return *program;
}

}  // namespace qx::fuzz
