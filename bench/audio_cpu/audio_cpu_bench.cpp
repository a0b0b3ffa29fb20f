// What lighting that follows the sound costs while music plays. Our capture program (qx580-audio)
// plays a WAV file of music-like sound in real time (a block of 500 samples every 20 ms) to a
// stand-in of the program on the session bus: a process that owns the program's bus name and
// takes the blocks exactly as the program does (AudioFeed: kinds 1 and 2, the analysis, one feed
// in three to a keyboard's sound styles) and asks for the samples as the program does while a
// keyboard shows the sound effect. Both run for QX580_BENCH_SECONDS (30 by default); the
// CPU of each is read from /proc/PID/stat (user + system ticks) and reported as a share of one
// core, with the blocks per second that arrived. The goal: both together under 2 %.
//
// A second case runs the capture program alone, with no program on the bus (it captures but
// sends nothing), and a third measures the analysis of one block on its own.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>

#include "app/audio_feed.h"
#include "lighting/keyboard_lighting.h"
#include "ui/messages.h"

namespace qx {
namespace {

int Seconds() {
    const char* text = std::getenv("QX580_BENCH_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 30;
}

// User + system CPU seconds of a process, from /proc/PID/stat (fields 14 and 15).
double CpuSeconds(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t end = text.rfind(')');
    if (end == std::string::npos) return 0;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A mono 16-bit WAV at 25 kHz: a beat of low thumps under a chord whose loudness swells, so that
// every band and every style has something to draw.
QString MusicFile(const QTemporaryDir& dir, double seconds) {
    const int rate = 25000;
    const int frames = static_cast<int>(rate * seconds);
    QByteArray bytes("RIFF");
    const auto put = [&bytes](uint32_t v, int size) {
        for (int i = 0; i < size; ++i) bytes.append(static_cast<char>(v >> (8 * i)));
    };
    put(36 + static_cast<uint32_t>(frames) * 2, 4);
    bytes.append("WAVEfmt ");
    put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
    bytes.append("data");
    put(static_cast<uint32_t>(frames) * 2, 4);
    for (int f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / rate;
        const double beat =
            std::exp(-12.0 * std::fmod(t, 0.5)) * std::sin(2 * std::numbers::pi * 60 * t);
        const double swell = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * 0.25 * t);
        double chord = 0;
        for (double hz : {440.0, 554.4, 659.3, 1760.0, 3520.0})
            chord += std::sin(2 * std::numbers::pi * hz * t) / 5;
        const double sample = 0.45 * beat + 0.4 * swell * chord;
        put(static_cast<uint16_t>(static_cast<int16_t>(std::lround(sample * 32767))), 2);
    }
    const QString path = dir.filePath(QStringLiteral("music.wav"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(bytes);
    return path;
}

// The program's side of the blocks: its Messages interface, with the program's own feed.
class ProgramStandIn : public QObject {
    Q_OBJECT
  public:
    ProgramStandIn() { lighting_.ApplySettings(Settings()); }
    void Take(uint kind, const QByteArray& data) { feed_.Receive(kind, data, &lighting_); }
    const app::AudioFeed::Counts& Counts() const { return feed_.Statistics(); }
    static lighting::LightSettings Settings() {
        lighting::LightSettings settings;
        settings.effectId = 29;
        return settings;
    }

  private:
    lighting::KeyboardLighting lighting_{{}, 170};
    app::AudioFeed feed_;
};

class StandInAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Messages")
  public:
    StandInAdaptor(QObject* exported, ProgramStandIn& program)
        : QDBusAbstractAdaptor(exported), program_(program) {}
  public slots:
    void PostMessage(const QString&, int, int) {}
    int SendMessage(const QString&, int, int) { return 0; }
    void CopyData(const QString&, uint kind, const QByteArray& data) { program_.Take(kind, data); }

  private:
    ProgramStandIn& program_;
};

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void SoundWhileMusicPlays(benchmark::State& state, bool programOnBus) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        state.SkipWithError("no session bus (run under dbus-run-session)");
        return;
    }
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString music = MusicFile(dir, 10.0);
        ProgramStandIn program;
        QObject exported;
        if (programOnBus) {
            new StandInAdaptor(&exported, program);
            if (!bus.registerService(QStringLiteral("org.mirvel.QX580")) ||
                !bus.registerObject(QStringLiteral("/org/mirvel/QX580"), &exported)) {
                state.SkipWithError("the program's bus name is taken");
                return;
            }
        }
        QProcess capture;
        capture.start(QStringLiteral(QX580_AUDIO_PATH), {"--file", music, "--loop"});
        if (!capture.waitForStarted()) {
            state.SkipWithError("qx580-audio did not start");
            return;
        }
        RunFor(1000);  // the capture program comes on the bus
        if (programOnBus) {
            // As the program tells it while a keyboard shows the sound effect: samples only.
            for (int command : {2, 4}) {
                QDBusMessage post = QDBusMessage::createMethodCall(
                    QStringLiteral("org.mirvel.QX580.AudioCapture"),
                    QStringLiteral("/org/mirvel/QX580"),
                    QStringLiteral("org.mirvel.QX580.Messages"), QStringLiteral("PostMessage"));
                post << QString::fromLatin1(msg::kAudioHelperCommandName.data(),
                                            qsizetype(msg::kAudioHelperCommandName.size()))
                     << command << 0;
                bus.call(post, QDBus::Block, 5000);
            }
        }
        RunFor(1000);  // settle
        const qint64 helper = capture.processId();
        const qint64 self = QCoreApplication::applicationPid();
        const double helperBefore = CpuSeconds(helper);
        const double selfBefore = CpuSeconds(self);
        const app::AudioFeed::Counts before = program.Counts();
        QElapsedTimer wall;
        wall.start();
        RunFor(Seconds() * 1000);
        const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        const double helperCpu = CpuSeconds(helper) - helperBefore;
        const double selfCpu = CpuSeconds(self) - selfBefore;
        const app::AudioFeed::Counts after = program.Counts();
        capture.terminate();
        capture.waitForFinished(5000);
        if (programOnBus) {
            bus.unregisterObject(QStringLiteral("/org/mirvel/QX580"));
            bus.unregisterService(QStringLiteral("org.mirvel.QX580"));
        }
        state.counters["helper_cpu_%"] = 100.0 * helperCpu / elapsed;
        state.counters["analysis_cpu_%"] = 100.0 * selfCpu / elapsed;
        state.counters["total_cpu_%"] = 100.0 * (helperCpu + selfCpu) / elapsed;
        state.counters["blocks_per_s"] =
            static_cast<double>(after.sampleBlocks - before.sampleBlocks) / elapsed;
        state.counters["feeds_per_s"] =
            static_cast<double>(after.levelFeeds - before.levelFeeds) / elapsed;
    }
}

BENCHMARK_CAPTURE(SoundWhileMusicPlays, program_on_bus, true)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(SoundWhileMusicPlays, no_program, false)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// The analysis of one block of samples (and, one time in three, the feed), without the bus.
void AnalyseOneBlock(benchmark::State& state) {
    ProgramStandIn program;
    QByteArray block(app::AudioFeed::kSampleBytes, '\0');
    int n = 0;
    for (auto _ : state) {
        for (int i = 0; i < 500; ++i)
            qToLittleEndian<int32_t>((i * 37 + n * 101) % 2048 - 1024, block.data() + 4 * i);
        program.Take(1, block);
        ++n;
    }
}
BENCHMARK(AnalyseOneBlock);

}  // namespace
}  // namespace qx

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "audio_cpu_bench.moc"
