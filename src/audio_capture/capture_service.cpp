#include "audio_capture/capture_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <algorithm>
#include <iostream>

#include "audio_capture/capture_contract.h"
#include "core/diagnostics.h"
#include "ui/messages.h"

namespace qx::audio_capture {

CaptureService::CaptureService(QDBusConnection connection, int gainShift, QObject* parent)
    : QObject(parent),
      connection_(std::move(connection)),
      blocks_(gainShift),
      gainShift_(gainShift) {}

bool CaptureService::Register() {
    if (!connection_.isConnected()) {
        error_ = QStringLiteral("no session bus");
        return false;
    }
    if (!connection_.registerService(QString::fromLatin1(kCaptureService))) {
        error_ = QStringLiteral("%1 is taken by another capture program")
                     .arg(QString::fromLatin1(kCaptureService));
        return false;
    }
    auto* exported = new QObject(this);
    new CaptureMessagesAdaptor(exported, *this);
    connection_.registerObject(QString::fromLatin1(kCaptureObjectPath), exported);
    // Sent only while the program is there, so that an absent program costs no bus traffic.
    programWatcher_ = new QDBusServiceWatcher(QString::fromLatin1(kProgramService), connection_,
                                              QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(programWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                programPresent_ = !owner.isEmpty();
            });
    programPresent_ =
        connection_.interface()->isServiceRegistered(QString::fromLatin1(kProgramService));
    return true;
}

void CaptureService::Feed(std::span<const int16_t> samples) {
    blocks_.Add(samples, [this](std::span<const int32_t> block) {
        if (!programPresent_) return;
        if (sendSamples_) Send(kSamplesKind, BlockMaker::Bytes(block));
        if (sendSixValues_)
            Send(kSixValuesKind,
                 BlockMaker::Bytes(BlockMaker::SixValues(block, colour_, gainShift_)));
        ++blocksSent_;
    });
}

void CaptureService::Send(unsigned kind, const std::vector<uint8_t>& bytes) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kProgramService), QString::fromLatin1(kProgramObjectPath),
        QString::fromLatin1(kMessagesInterface), QStringLiteral("CopyData"));
    call << QStringLiteral("qx580-audio") << kind
         << QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    // Sent as a call that wants no answer: a busy program must not hold the capture back, and
    // neither side spends anything on a reply fifty times a second.
    call.setAutoStartService(false);
    connection_.send(call);
}

void CaptureService::Command(int command, int value) {
    const int channel = std::clamp(value, 0, 255);
    switch (command) {
        case kCommandHello:
            // The program is there and says next which blocks it takes (commands 4 and 5).
            programPresent_ = true;
            sendSamples_ = false;
            sendSixValues_ = false;
            break;
        case kCommandSamples:
            sendSamples_ = true;
            break;
        case kCommandSixValues:
            sendSixValues_ = true;
            break;
        case kCommandRed:
            colour_.red = channel;
            break;
        case kCommandGreen:
            colour_.green = channel;
            break;
        case kCommandBlue:
            colour_.blue = channel;
            break;
        default:
            DebugLine("qx580-audio: unknown helper command " + std::to_string(command));
            return;
    }
    DebugLine("qx580-audio: helper command " + std::to_string(command) + " " +
              std::to_string(value));
}

bool CaptureService::StyleColour(const QByteArray& data) {
    if (data.size() != kStyleColourBytes) return false;
    const auto word = [&data](int at) {
        const auto* p = reinterpret_cast<const uint8_t*>(data.constData()) + at;
        return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
    };
    // Style colours come in slider steps of 0-9.
    const auto channel = [](int32_t step) { return std::clamp(step, 0, 9) * 255 / 9; };
    colour_ = {channel(word(0)), channel(word(4)), channel(word(8))};
    DebugLine("qx580-audio: style colour " + std::to_string(colour_.red) + "," +
              std::to_string(colour_.green) + "," + std::to_string(colour_.blue));
    return true;
}

CaptureMessagesAdaptor::CaptureMessagesAdaptor(QObject* exported, CaptureService& service)
    : QDBusAbstractAdaptor(exported), service_(service) {}

void CaptureMessagesAdaptor::PostMessage(const QString& name, int wParam, int lParam) {
    if (name == QLatin1String(msg::kAudioHelperCommandName.data(),
                              qsizetype(msg::kAudioHelperCommandName.size())))
        service_.Command(wParam, lParam);
}

int CaptureMessagesAdaptor::SendMessage(const QString& name, int wParam, int lParam) {
    PostMessage(name, wParam, lParam);
    return 1;
}

void CaptureMessagesAdaptor::CopyData(const QString&, uint kind, const QByteArray& data) {
    if (kind == kStyleColourKind) service_.StyleColour(data);
}

}  // namespace qx::audio_capture
