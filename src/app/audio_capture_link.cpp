#include "app/audio_capture_link.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QTimer>

#include "audio_capture/capture_contract.h"
#include "core/diagnostics.h"
#include "devices/panels/sound_styles.h"
#include "ui/messages.h"

namespace qx::app {
namespace {

using namespace qx::audio_capture;

QDBusMessage CaptureCall(const char* method) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kCaptureService), QString::fromLatin1(kCaptureObjectPath),
        QString::fromLatin1(kMessagesInterface), QString::fromLatin1(method));
    call.setAutoStartService(false);
    return call;
}

}  // namespace

AudioCaptureLink::AudioCaptureLink(QDBusConnection connection, QString helperPath, QObject* parent)
    : QObject(parent), connection_(std::move(connection)), helperPath_(std::move(helperPath)) {
    if (helperPath_.isEmpty())
        helperPath_ =
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qx580-audio"));
    if (!connection_.isConnected()) return;
    watcher_ = new QDBusServiceWatcher(QString::fromLatin1(kCaptureService), connection_,
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                onBus_ = !owner.isEmpty();
                if (onBus_) OnCaptureAppeared();
                emit CaptureChanged(onBus_);
            });
    // A capture program already running when we start.
    onBus_ = connection_.interface()->isServiceRegistered(QString::fromLatin1(kCaptureService));
    if (onBus_) OnCaptureAppeared();
}

AudioCaptureLink::~AudioCaptureLink() {
    if (!HelperRunning()) return;
    // The program ends: our capture program ends with it.
    helper_->terminate();
    if (!helper_->waitForFinished(1000)) helper_->kill();
    helper_->waitForFinished(1000);
}

void AudioCaptureLink::FollowSoundStyles(devices::SoundStyles& styles) {
    connect(&styles, &devices::SoundStyles::StyleColourChanged, this,
            &AudioCaptureLink::SendStyleColour);
    connect(&styles, &devices::SoundStyles::CaptureColourChanged, this,
            &AudioCaptureLink::SendSliderCommand);
    if (!styles.Open()) DebugLine("the sound styles file could not be written");
}

bool AudioCaptureLink::HelperRunning() const {
    return helper_ && helper_->state() != QProcess::NotRunning;
}

void AudioCaptureLink::OnCaptureAppeared() {
    DebugLine("audio capture program on the bus");
    TellBlocks();
    const std::array<std::optional<int>, 3> sliders = sliders_;
    if (styleColour_) {
        AudioStyleSet styles;
        styles.colours[0] = {uint8_t((*styleColour_)[0]), uint8_t((*styleColour_)[1]),
                             uint8_t((*styleColour_)[2])};
        SendStyleColour(styles);
    }
    // The sliders moved since the style colour was chosen override its channels.
    sliders_ = sliders;
    for (int channel = 0; channel < 3; ++channel) {
        if (sliders_[size_t(channel)]) Post(kCommandRed + channel, *sliders_[size_t(channel)]);
    }
}

void AudioCaptureLink::SetBlocksWanted(bool samples, bool values) {
    if (samples == samplesWanted_ && values == valuesWanted_) return;
    samplesWanted_ = samples;
    valuesWanted_ = values;
    TellBlocks();
}

void AudioCaptureLink::TellBlocks() {
    // Hello starts anew; then only the blocks that something draws from, so that a capture
    // program costs nothing for blocks nobody looks at.
    Post(kCommandHello, 0);
    if (samplesWanted_) Post(kCommandSamples, 0);
    if (valuesWanted_) Post(kCommandSixValues, 0);
}

void AudioCaptureLink::Post(int command, int value) {
    if (!onBus_) return;
    QDBusMessage call = CaptureCall("PostMessage");
    call << QString::fromLatin1(msg::kAudioHelperCommandName.data(),
                                qsizetype(msg::kAudioHelperCommandName.size()))
         << command << value;
    connection_.call(call, QDBus::NoBlock);
}

void AudioCaptureLink::SendStyleColour(const AudioStyleSet& styles) {
    // A new preset colour replaces what the sliders set.
    sliders_ = {};
    const auto& colour = styles.colours[std::min<size_t>(styles.selected, 3)];
    styleColour_ = std::array<int, 3>{colour[0], colour[1], colour[2]};
    if (!onBus_) return;
    QByteArray data(kStyleColourBytes, '\0');
    const std::array<int, 3> words{colour[0], colour[1] == 0 ? 1 : colour[1], colour[2]};
    for (int i = 0; i < 3; ++i) {
        for (int b = 0; b < 4; ++b) data[4 * i + b] = char(uint32_t(words[i]) >> (8 * b));
    }
    QDBusMessage call = CaptureCall("CopyData");
    call << QStringLiteral("qx580") << uint(kStyleColourKind) << data;
    connection_.call(call, QDBus::NoBlock);
    DebugLine("2222222222");
}

void AudioCaptureLink::SendSliderCommand(int channel, int value) {
    if (channel < 0 || channel > 2) return;
    sliders_[size_t(channel)] = value;
    Post(kCommandRed + channel, value);
}

void AudioCaptureLink::SetWanted(bool wanted) {
    if (wanted == wanted_) return;
    wanted_ = wanted;
    if (wanted_)
        StartHelper();
    else
        StopHelper();
}

void AudioCaptureLink::StartHelper() {
    // Another capture program already serves us: leave it alone.
    if (onBus_ || HelperRunning()) return;
    auto* helper = new QProcess(this);
    helper->setProgram(helperPath_);
    helper->setProcessChannelMode(QProcess::SeparateChannels);
    connect(helper, &QProcess::errorOccurred, this, [this, helper](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        emit HelperFailed(
            QStringLiteral("%1 could not be started: %2").arg(helperPath_, helper->errorString()));
        helper->deleteLater();
    });
    connect(helper, &QProcess::finished, this, [this, helper](int code, QProcess::ExitStatus) {
        const QString why = QString::fromLocal8Bit(helper->readAllStandardError()).trimmed();
        DebugLine("qx580-audio ended with status " + std::to_string(code));
        // Status 1: it could not capture (it says why); a stop we asked for is not a failure.
        if (wanted_ && code != 0 && helper_ == helper) emit HelperFailed(why);
        helper->deleteLater();
    });
    helper_ = helper;
    helper->start();
    DebugLine("qx580-audio started: " + helperPath_.toStdString());
}

void AudioCaptureLink::StopHelper() {
    if (!helper_) return;
    QPointer<QProcess> helper = helper_;
    helper_.clear();
    if (helper->state() == QProcess::NotRunning) return;
    helper->terminate();
    // It ends within a fragment of sound; one that does not is killed, without waiting here.
    QTimer::singleShot(2000, helper, [helper] {
        if (helper && helper->state() != QProcess::NotRunning) helper->kill();
    });
}

}  // namespace qx::app
