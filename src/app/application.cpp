#include "app/application.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string_view>

#include "app/app_options.h"
#include "app/audio_capture_link.h"
#include "app/main_wnd.h"
#include "app/message_bus.h"
#include "app/power_watcher.h"
#include "app/private_fonts.h"
#include "audio/headset_audio.h"
#include "audio/simulated_audio_lib.h"
#include "controls/register_controls.h"
#include "core/diagnostics.h"
#include "core/paths.h"
#include "devices/base/register_device_controls.h"
#include "devices/panels/sound_styles.h"
#include "platform/hid_backend.h"
#include "platform/instance_lock.h"
#include "platform/platform_log.h"
#include "platform/termination_signals.h"
#include "settings/skin_style.h"
#include "sim/sim_bus.h"
#include "sim/sim_setup.h"
#include "ui/messages.h"

namespace qx::app {
namespace {

// Said once, to the diagnostic log and to the user.
void SayBusFeaturesOff(const QString& reason) {
    const std::string line =
        "qx580: no session bus (" + reason.toStdString() +
        "): messages shared with other programs and the simulator interface are off";
    DebugLine(line);
    if (!DebugEnabled()) std::cerr << line << '\n';
}

// Holds the simulated bus installed as the HID backend for the program's life.
class SimulationScope {
  public:
    explicit SimulationScope(sim::SimulationMode mode) {
        if (mode == sim::SimulationMode::Off) return;
        bus_ = std::make_unique<sim::SimBus>();
        // The simulated headset's sound card: a simulated audio library.
        audio::InstallAudioLibrary(std::make_shared<audio::SimulatedAudioLib>());
        for (const std::string& device : sim::DevicesPluggedAtStart(mode)) bus_->Plug(device);
    }
    SimulationScope(const SimulationScope&) = delete;
    SimulationScope& operator=(const SimulationScope&) = delete;
    sim::SimBus* Bus() const { return bus_.get(); }
    // The backend the devices are reached through: the simulated bus, or the machine's hidraw.
    HidBackend& Backend() const {
        if (bus_) return *bus_;
        return HidrawBackend();
    }

  private:
    std::unique_ptr<sim::SimBus> bus_;
};

// Why the window can't be shown here (no graphical session), or nullptr when it can.
const char* MissingDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // A platform that needs no display (offscreen, minimal, vnc, ...) was chosen on purpose.
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return nullptr;
    if (!qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty()) return nullptr;
    return "this program needs a graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set); "
           "start it from the desktop, or under a virtual display: xvfb-run -a qx580";
}

}  // namespace

int RunApplication(int argc, char** argv) {
    // Without a display the toolkit would abort with a text about reinstalling it. Help needs
    // no display.
    if (const char* missing = MissingDisplay()) {
        for (int i = 1; i < argc; ++i) {
            const std::string_view argument = argv[i];
            if (argument == "--help" || argument == "-h") {
                std::cout << kUsageText;
                return 0;
            }
        }
        std::cerr << "qx580: " << missing << '\n';
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qx580"));
    // Closing the window only hides it to the tray; the tray menu's "exit" ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    const AppOptions options = ParseAppOptions(QApplication::arguments().mid(1));
    if (options.help) {
        std::cout << kUsageText;
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::cerr << "qx580: " << options.error.toStdString() << '\n' << kUsageText;
        return 2;
    }

    const QString dataFolder = QString::fromStdString(ProgramDataFolder().string());
    PrivateFonts fonts(dataFolder);

    platform::SetPlatformLogSink(&DebugLine);
    DebugLine("软件标示：" + std::to_string(msg::kIdentity));
    QDBusConnection session = QDBusConnection::sessionBus();
    const std::unique_ptr<platform::InstanceLock> lock =
        platform::MakeInstanceLock(platform::InstanceLockPath(kApplicationIdentity));
    if (!lock->TryAcquire()) {
        if (lock->OtherInstanceRuns()) {
            // The running one brings its window up; this one creates no window.
            if (!AskRunningInstanceToShow(session))
                std::cerr << "qx580: already running; its window could not be asked to come up"
                             " (no session bus)\n";
            return 0;
        }
        // Without a usable lock the rule can't be kept; the program still runs.
        std::cerr << "qx580: single-instance lock unavailable: " << lock->Error() << '\n';
    }

    controls::RegisterCustomControls();
    devices::RegisterDeviceControls();
    if (!settings::ApplySkinStyle())
        DebugLine("skin style sheet not found: the plain look is used");

    SimulationScope simulation(options.simulation);
    int status = 0;
    {
        MainWndOptions windowOptions;
        windowOptions.backend = &simulation.Backend();
        if (options.simulation == sim::SimulationMode::All)
            windowOptions.supportedRows = sim::WithSimulatorIdentities(kSupportedDevices);
        CMainWnd window(std::move(windowOptions));
        MessageBus bus(&window, session);
        bool busOff = false;
        if (!session.isConnected()) {
            SayBusFeaturesOff(session.lastError().message());
            busOff = true;
        } else if (!bus.Register(simulation.Bus())) {
            SayBusFeaturesOff(bus.Error());
            busOff = true;
        }
        QObject::connect(&window, &CMainWnd::Broadcast, &bus, &MessageBus::Broadcast);
        // The capture program of the sound effects: ours runs while a sound effect is chosen.
        AudioCaptureLink capture(session);
        capture.FollowSoundStyles(devices::SoundStyles::Instance());
        QObject::connect(&window, &CMainWnd::SoundEffectWanted, &capture,
                         &AudioCaptureLink::SetWanted);
        QObject::connect(&window, &CMainWnd::SoundBlocksWanted, &capture,
                         &AudioCaptureLink::SetBlocksWanted);
        QObject::connect(&capture, &AudioCaptureLink::HelperFailed, &window,
                         [&window](const QString& reason) {
                             DebugLine("audio capture: " + reason.toStdString());
                             window.ShowNotice(reason);
                         });
        QObject::connect(&window, &CMainWnd::ToolQueryAnswer, &bus, &MessageBus::SendToolAnswer);
        QObject::connect(&window, &CMainWnd::Exited, &application, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        const auto termination = platform::WatchTerminationSignals([&window] { window.Exit(); });
        PowerWatcher power(&window);
        if (!power.Start()) DebugLine("no system bus: suspend and resume are not watched");

        if (!options.screenshotPath.isEmpty()) {
            const QString path = options.screenshotPath;
            QObject::connect(
                &window, &CMainWnd::BroughtUp, &window,
                [&window, &status, path] {
                    // Let the page settle (layout, first frame) before taking the picture.
                    QTimer::singleShot(800, &window, [&window, &status, path] {
                        if (window.grab().save(path)) {
                            std::cout << "screenshot saved to " << path.toStdString() << '\n';
                        } else {
                            std::cerr << "qx580: can't save " << path.toStdString() << '\n';
                            status = 1;
                        }
                        window.Exit();
                    });
                },
                Qt::SingleShotConnection);
        }

        if (!window.Create()) {
            std::cerr << "qx580: the main window can't be loaded: "
                      << window.LastError().toStdString() << '\n';
            return 1;
        }
        if (busOff) window.ShowNotice(QStringLiteral("notice_bus_off_text"));
        const int loop = QApplication::exec();
        if (status == 0) status = loop;
        window.Exit();
    }
    return status;
}

}  // namespace qx::app
