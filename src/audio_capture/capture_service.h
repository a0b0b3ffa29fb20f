// The capture program's side of the bus: owns the capture service name, takes the program's
// helper commands and style colours, and sends the program sample blocks and six values while
// the program is on the bus.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <cstdint>
#include <span>

#include "audio_capture/capture_blocks.h"

class QDBusServiceWatcher;

namespace qx::audio_capture {

class CaptureService : public QObject {
    Q_OBJECT
  public:
    explicit CaptureService(QDBusConnection connection, int gainShift, QObject* parent = nullptr);

    // Takes the service name; false (with Error()) when another capture program has it or there
    // is no bus.
    bool Register();
    const QString& Error() const { return error_; }

    // Mono samples at the capture rate (UI thread).
    void Feed(std::span<const int16_t> samples);

    // What the program asked (tests and the diagnostic log).
    bool SendingSamples() const { return sendSamples_; }
    bool SendingSixValues() const { return sendSixValues_; }
    Colour CurrentColour() const { return colour_; }
    uint64_t BlocksSent() const { return blocksSent_; }

    // The helper commands and style colours (from the adaptor).
    void Command(int command, int value);
    bool StyleColour(const QByteArray& data);

  private:
    void Send(unsigned kind, const std::vector<uint8_t>& bytes);

    QDBusConnection connection_;
    QDBusServiceWatcher* programWatcher_ = nullptr;
    QString error_;
    BlockMaker blocks_;
    int gainShift_;
    bool programPresent_ = false;
    bool sendSamples_ = true;
    bool sendSixValues_ = true;
    Colour colour_;
    uint64_t blocksSent_ = 0;
};

// org.mirvel.QX580.Messages as the capture program offers it.
class CaptureMessagesAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Messages")
  public:
    CaptureMessagesAdaptor(QObject* exported, CaptureService& service);

  public slots:
    void PostMessage(const QString& name, int wParam, int lParam);
    int SendMessage(const QString& name, int wParam, int lParam);
    void CopyData(const QString& sender, uint kind, const QByteArray& data);

  private:
    CaptureService& service_;
};

}  // namespace qx::audio_capture
