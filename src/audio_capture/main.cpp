// qx580-audio: captures what the desktop plays (or reads a WAV file) and sends it to the
// program's audio-reactive lighting over the session bus.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio_capture/capture_blocks.h"
#include "audio_capture/capture_service.h"
#include "audio_capture/pulse_source.h"
#include "audio_capture/wav_file.h"
#include "core/diagnostics.h"
#include "platform/platform_log.h"
#include "platform/termination_signals.h"

namespace {

constexpr const char* kUsage =
    "usage: qx580-audio [--file FILE.wav [--loop]] [--source NAME] [--gain-shift N]\n"
    "  Captures the sound the desktop plays (the default output's monitor, through the sound\n"
    "  server) and sends it on the session bus to the QX-580 program's lighting, as the\n"
    "  service org.mirvel.QX580.AudioCapture. The program starts it by itself when a sound\n"
    "  effect is chosen.\n"
    "  --file FILE.wav  read a WAV file in real time instead (tests and demos); ends at its end\n"
    "  --loop           play the file again and again\n"
    "  --source NAME    the sound server's source to capture (default: the output's monitor)\n"
    "  --gain-shift N   16-bit samples are divided by 2^N before sending (0-8, default 4)\n"
    "examples:\n"
    "  qx580-audio\n"
    "  qx580-audio --file music.wav --loop\n";

// Hands captured sound from the capture thread to the service on the UI thread, until the
// service is gone.
class Relay {
  public:
    explicit Relay(qx::audio_capture::CaptureService* service) : service_(service) {}
    void Post(std::span<const int16_t> samples) {
        std::lock_guard lock(mutex_);
        if (!service_) return;
        std::vector<int16_t> copy(samples.begin(), samples.end());
        QPointer<qx::audio_capture::CaptureService> service = service_;
        QMetaObject::invokeMethod(
            service_.data(),
            [service, copy = std::move(copy)] {
                if (service) service->Feed(copy);
            },
            Qt::QueuedConnection);
    }
    void Detach() {
        std::lock_guard lock(mutex_);
        service_.clear();
    }

  private:
    std::mutex mutex_;
    QPointer<qx::audio_capture::CaptureService> service_;
};

}  // namespace

int main(int argc, char** argv) {
    qx::platform::SetPlatformLogSink(&qx::DebugLine);
    std::string file, source;
    bool loop = false;
    int gainShift = 4;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--version") {
            std::cout << "qx580-audio " << QX580_VERSION << '\n';
            return 0;
        } else if (arg == "--file" && hasValue) {
            file = argv[++i];
        } else if (arg == "--source" && hasValue) {
            source = argv[++i];
        } else if (arg == "--loop") {
            loop = true;
        } else if (arg == "--gain-shift" && hasValue) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || value < 0 || value > 8) {
                std::cerr << "qx580-audio: --gain-shift takes 0-8\n" << kUsage;
                return 2;
            }
            gainShift = static_cast<int>(value);
        } else {
            std::cerr << "qx580-audio: unknown argument \"" << arg << "\"\n" << kUsage;
            return 2;
        }
    }

    qx::audio_capture::WavSound sound;
    if (!file.empty()) {
        sound = qx::audio_capture::ReadWavFile(file);
        if (!sound.error.empty()) {
            std::cerr << "qx580-audio: " << sound.error << '\n';
            return 1;
        }
    }

    QCoreApplication application(argc, argv);
    qx::audio_capture::CaptureService service(QDBusConnection::sessionBus(), gainShift);
    if (!service.Register()) {
        std::cerr << "qx580-audio: " << service.Error().toStdString() << '\n';
        return 1;
    }
    const auto termination =
        qx::platform::WatchTerminationSignals([] { QCoreApplication::quit(); });

    qx::audio_capture::PulseSource pulse;
    auto relay = std::make_shared<Relay>(&service);
    QTimer player;
    size_t played = 0;
    if (!file.empty()) {
        // In real time: one block every 20 ms, as the sound server would deliver it.
        player.setTimerType(Qt::PreciseTimer);
        QObject::connect(&player, &QTimer::timeout, [&] {
            if (played >= sound.samples.size()) {
                if (!loop || sound.samples.empty()) {
                    QCoreApplication::quit();
                    return;
                }
                played = 0;
            }
            const size_t count =
                std::min<size_t>(qx::audio_capture::kBlockSamples, sound.samples.size() - played);
            service.Feed(std::span<const int16_t>(sound.samples.data() + played, count));
            played += count;
        });
        player.start(1000 * qx::audio_capture::kBlockSamples / qx::audio_capture::kCaptureRate);
    } else if (!pulse.Start(source,
                            [relay](std::span<const int16_t> samples) { relay->Post(samples); })) {
        std::cerr << "qx580-audio: " << pulse.Error()
                  << "; start PulseAudio or PipeWire's pulse service, or use --file\n";
        return 1;
    }
    const int status = application.exec();
    relay->Detach();
    pulse.Stop();
    qx::DebugLine("qx580-audio: " + std::to_string(service.BlocksSent()) + " blocks sent");
    return status;
}
