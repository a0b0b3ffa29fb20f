// What the lighting costs. The whole program (main window, discovery, the devices' workers and
// light threads, and the simulated keyboard and headset it talks to) runs its event loop for
// QX580_BENCH_SECONDS (30 by default) in four cases: a host-driven effect streaming to the
// keyboard on its cable (the host colour fed 60 times a second, as a capture program would), and
// an effect the keyboard runs on its own (nothing to stream), each with the window shown and in
// the tray. Reported: the share of one core the process used, its wake-ups per second (voluntary
// context switches of all its threads), the frames streamed and the light passes per second.
// The simulated devices run inside the program's writes: their thread CPU time is counted apart
// ("sim_pct") and "program_pct" is the rest, what the program itself costs; each thread's share
// is printed by name on standard error. A fifth case gives the machine's floor: what two threads
// that wake up as often and do nothing cost. Two last cases measure the host's time per frame:
// painted on the keyboard's picture on screen, and streamed (built, then sent to the simulated
// keyboard).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "app/copy_data.h"
#include "app/main_wnd.h"
#include "controls/register_controls.h"
#include "cpu_accounting.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/led_picture.h"
#include "devices/base/register_device_controls.h"
#include "devices/discovery_thread.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "lighting/keyboard_lighting.h"
#include "sim/sim_bus.h"

namespace qx {
namespace {

int Seconds() {
    const char* text = std::getenv("QX580_BENCH_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 30;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long VoluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// Runs the event loop for QX580_BENCH_SECONDS: the wall time it took and the process's CPU time
// meanwhile, in seconds.
std::pair<double, double> RunEventLoop() {
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(Seconds() * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return {static_cast<double>(wall.nsecsElapsed()) / 1e9, ProcessCpuSeconds() - cpuBefore};
}

// The effect chosen as the lighting panel does: the settings, then the keyboard's block.
void ChooseEffect(devices::COrvaneKeyboardDevice& keyboard, uint8_t effect) {
    std::array<uint32_t, 4> words = keyboard.GetLightSettings();
    words[0] = (words[0] & ~0xFFFFu) | effect | 4u << 8;  // full brightness
    keyboard.StoreLightSettings(words[0], words[1], words[2], words[3]);
    keyboard.Post([&keyboard] {
        keyboard.ApplyLighting();
        if (keyboard.WriteSystemBlock(0, 0, 1, 0, 0) != kResultSuccess)
            std::fprintf(stderr, "the effect did not reach the keyboard\n");
    });
    keyboard.Worker().WaitIdle(5000);
}

QByteArray HostColour(int n) {
    QByteArray data(24, '\0');
    const int value = n % 256;
    const std::array<int32_t, 3> rgb = {value, 255 - value, (n * 7) % 256};
    for (size_t i = 0; i < rgb.size(); ++i) qToLittleEndian<int32_t>(rgb[i], data.data() + 4 * i);
    return data;
}

// The program on a simulated keyboard and headset, its window shown, the keyboard on-line with
// its light thread running and its picture on screen.
struct Program {
    sim::SimBus bus;
    bench::TimedBackend timed{bus};
    std::unique_ptr<app::CMainWnd> window;
    devices::COrvaneKeyboardDevice* keyboard = nullptr;

    // Empty when the program is ready, else what went wrong.
    std::string Start() {
        bus.Plug("keyboard");
        bus.Plug("headset");
        app::MainWndOptions options;
        options.backend = &timed;
        options.trayAvailable = [] { return true; };
        window = std::make_unique<app::CMainWnd>(options);
        if (!window->Create()) return "the window was not made";
        const bool ready = WaitUntil(
            [&] {
                const auto& list = window->Devices()->Keyboards();
                keyboard = list.empty()
                               ? nullptr
                               : dynamic_cast<devices::COrvaneKeyboardDevice*>(list.front());
                return window->isVisible() && keyboard != nullptr &&
                       keyboard->LightThreadRunning() && keyboard->PictureShown();
            },
            30000);
        return ready ? std::string() : "the keyboard did not come on-line";
    }

    ~Program() {
        if (!window) return;
        window->Exit();
        window.reset();
    }
};

void ProgramCpu(benchmark::State& state, bool streaming, bool shown) {
    for (auto _ : state) {
        Program program;
        if (const std::string error = program.Start(); !error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        auto& window = program.window;
        auto& timed = program.timed;
        devices::COrvaneKeyboardDevice* keyboard = program.keyboard;
        ChooseEffect(*keyboard, streaming ? 30 : 40);
        if (!shown) {
            auto* close =
                qobject_cast<QAbstractButton*>(window->FindControl(QStringLiteral("closebtn")));
            if (close != nullptr) close->click();
            if (window->isVisible() || keyboard->PictureShown()) {
                state.SkipWithError("the window did not go to the tray");
                return;
            }
        }
        // The capture program's colours, 60 a second: a new frame on every tick.
        QTimer feeder;
        int fed = 0;
        QObject::connect(&feeder, &QTimer::timeout, [&] {
            window->ReceiveCopyData({QStringLiteral("capture"), 2, HostColour(fed++)});
        });
        if (streaming) feeder.start(16);
        WaitUntil([] { return false; }, 3000);  // settle

        const auto before = keyboard->StreamStatistics();
        const uint64_t passesBefore = keyboard->LightPasses();
        const devices::CLedPictureUI* picture = keyboard->LedPicture();
        const int paintsBefore = picture != nullptr ? picture->Paints() : 0;
        const long switchesBefore = VoluntarySwitches();
        const auto threadsBefore = bench::ThreadCpu();
        const uint64_t simBefore = timed.WriteNs();
        const auto [elapsed, cpu] = RunEventLoop();
        const long switches = VoluntarySwitches() - switchesBefore;
        const double sim = static_cast<double>(timed.WriteNs() - simBefore) / 1e9;
        const auto threads = bench::Delta(threadsBefore, bench::ThreadCpu());
        const auto after = keyboard->StreamStatistics();
        const uint64_t passes = keyboard->LightPasses() - passesBefore;
        const int paints = picture != nullptr ? picture->Paints() - paintsBefore : 0;
        feeder.stop();

        state.counters["cpu_pct"] = cpu / elapsed * 100.0;
        state.counters["sim_pct"] = sim / elapsed * 100.0;
        state.counters["program_pct"] = (cpu - sim) / elapsed * 100.0;
        std::fprintf(stderr,
                     "%s: by thread, %% of one core / sleeps a second (the sim's share is inside "
                     "its writer):",
                     streaming ? (shown ? "streaming, shown" : "streaming, hidden")
                               : (shown ? "on-board, shown" : "on-board, hidden"));
        for (const auto& [name, use] : threads) {
            const double pct = static_cast<double>(use.cpuNs) / 1e9 / elapsed * 100.0;
            if (pct >= 0.001)
                std::fprintf(stderr, " [%s] %.3f / %.1f", name.c_str(), pct,
                             static_cast<double>(use.sleeps) / elapsed);
        }
        std::fprintf(stderr, "\n");
        state.counters["wakeups_per_s"] = static_cast<double>(switches) / elapsed;
        state.counters["frames_per_s"] = static_cast<double>(after.sent - before.sent) / elapsed;
        state.counters["dropped_per_s"] =
            static_cast<double>(after.dropped - before.dropped) / elapsed;
        state.counters["light_passes_per_s"] = static_cast<double>(passes) / elapsed;
        state.counters["paints_per_s"] = static_cast<double>(paints) / elapsed;
    }
}

void BM_StreamingShown(benchmark::State& state) { ProgramCpu(state, true, true); }
void BM_StreamingHidden(benchmark::State& state) { ProgramCpu(state, true, false); }
void BM_OnBoardShown(benchmark::State& state) { ProgramCpu(state, false, true); }
void BM_OnBoardHidden(benchmark::State& state) { ProgramCpu(state, false, false); }
BENCHMARK(BM_StreamingShown)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_StreamingHidden)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_OnBoardShown)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_OnBoardHidden)->Iterations(1)->Unit(benchmark::kSecond);

// What a wake-up costs on this machine, for reading the figures above: the share of one core of
// a timer on the window thread's event loop that fires every 16 ms and does nothing, and of a
// thread that wakes as often and does nothing, over QX580_BENCH_SECONDS. A program that does
// anything at 60 frames a second costs at least this per thread it wakes.
void BM_WakeFloor(benchmark::State& state) {
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable changed;
        bool stop = false;
        std::atomic<int> threadWakes{0};
        std::thread idle([&] {
            std::unique_lock lock(mutex);
            while (!stop) {
                const auto next = std::chrono::floor<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now()) +
                                  std::chrono::milliseconds(16);
                changed.wait_until(lock, next, [&] { return stop; });
                threadWakes.fetch_add(1);
            }
        });
        int timerWakes = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&timerWakes] { ++timerWakes; });
        timer.start(16);
        const auto [elapsed, cpu] = RunEventLoop();
        timer.stop();
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        idle.join();
        const double wakes = timerWakes + threadWakes.load();
        state.counters["cpu_pct"] = cpu / elapsed * 100.0;
        state.counters["wakeups_per_s"] = wakes / elapsed;
        state.counters["us_per_wakeup"] = wakes > 0 ? cpu / wakes * 1e6 : 0.0;
    }
}
BENCHMARK(BM_WakeFloor)->Iterations(1)->Unit(benchmark::kSecond);

// Host time per painted frame: every LED of the keyboard's picture on screen changes colour, and
// the window paints what changed (the picture's lights, the key faces over them, what lies under
// them) as its event loop does. Steadier than the whole program's share, which wake-ups blur.
void BM_PaintedFrame(benchmark::State& state) {
    Program program;
    if (const std::string error = program.Start(); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    devices::COrvaneKeyboardDevice* keyboard = program.keyboard;
    // The host-colour effect, never fed: the light thread rests and the frame is the bench's.
    ChooseEffect(*keyboard, 30);
    WaitUntil([] { return false; }, 3000);
    const devices::CLedPictureUI* picture = keyboard->LedPicture();
    if (picture == nullptr) {
        state.SkipWithError("the picture has no LED widget");
        return;
    }
    const int paintsBefore = picture->Paints();
    uint32_t n = 0;
    for (auto _ : state) {
        ++n;
        const uint32_t colour = (n & 0xFF) | (255 - (n & 0xFF)) << 8 | (n * 7 & 0xFF) << 16;
        for (int i = 0; i < keyboard->LedCount(); ++i) keyboard->SetLed(i, colour, 255);
        keyboard->PushFrame();
        QCoreApplication::processEvents();
    }
    // Each frame painted once: not fewer (a paint left for later), not more.
    state.counters["paints_per_frame"] = static_cast<double>(picture->Paints() - paintsBefore) /
                                         static_cast<double>(state.iterations());
}
BENCHMARK(BM_PaintedFrame)->Unit(benchmark::kMicrosecond);

// The keyboard's own frame operations, reached as the light thread and the worker reach them.
class FrameKeyboard : public devices::COrvaneKeyboardDevice {
  public:
    using COrvaneKeyboardDevice::BuildStreamFrame;
    using COrvaneKeyboardDevice::COrvaneKeyboardDevice;
    using COrvaneKeyboardDevice::StreamFrame;
};

class NullOwner final : public DiscoveryOwner {
  public:
    void OnDeviceArrived(int) override {}
    void OnDeviceRemoved(int) override {}
    void OnFirstPassDone() override {}
};

// Host time per streamed frame: built from the light frame (light thread), then sent in chunks
// to the simulated keyboard and answered (worker).
void BM_StreamedFrame(benchmark::State& state) {
    sim::SimBus bus;
    SlotTable table(kSupportedDevices);
    NullOwner owner;
    DiscoveryThread discovery(table, owner, bus);
    bus.Plug("keyboard");
    discovery.RunPass();
    const DeviceSlot cable = table.Slot(0);
    FrameKeyboard keyboard(bus);
    std::atomic<bool> opened{false};
    keyboard.OpenCommand(cable, cable, [&](bool ok) { opened.store(ok); });
    if (!WaitUntil([&] { return opened.load(); }, 5000)) {
        state.SkipWithError("the keyboard did not open");
        return;
    }
    keyboard.Post([&keyboard] { keyboard.FirstContact(); });
    keyboard.Worker().WaitIdle(10000);
    lighting::LightFrame frame;
    for (int i = 0; i < lighting::kMaxLeds; ++i)
        frame.leds[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), 200, 17, 255, 0};
    std::array<uint8_t, DeviceLink::kMaxBlockSize> bytes{};
    double buildNs = 0;
    double sendNs = 0;
    long failed = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const size_t length = keyboard.BuildStreamFrame(frame, bytes);
        buildNs += static_cast<double>(clock.nsecsElapsed());
        clock.restart();
        if (keyboard.StreamFrame(bytes.data(), length) != kResultSuccess) ++failed;
        sendNs += static_cast<double>(clock.nsecsElapsed());
        frame.leds[0].red = static_cast<uint8_t>(frame.leds[0].red + 1);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["build_us"] = buildNs / n / 1000.0;
    state.counters["send_us"] = sendNs / n / 1000.0;
    state.counters["failed"] = static_cast<double>(failed);
    keyboard.Shutdown();
}
BENCHMARK(BM_StreamedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qx

int main(int argc, char** argv) {
    // Private user folders: the benchmark never touches a real home folder.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qx::controls::RegisterCustomControls();
    qx::devices::RegisterDeviceControls();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
