// The program's side of the audio capture program: looks it up on the bus at start and whenever
// its name appears (then sends the helper commands 2, 4, 5 and the style colour), sends the
// red, green and blue slider commands and style colours while it is there, and starts our own
// capture program (qx580-audio) while a sound effect is chosen and no other capture program
// runs, stopping it when none is. Nothing here waits for the capture program.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <array>
#include <optional>

#include "profiles/audio_style_store.h"

class QDBusServiceWatcher;

namespace qx::devices {
class SoundStyles;
}

namespace qx::app {

class AudioCaptureLink : public QObject {
    Q_OBJECT
  public:
    // `helperPath`: our capture program; empty: beside this program.
    explicit AudioCaptureLink(QDBusConnection connection, QString helperPath = {},
                              QObject* parent = nullptr);
    ~AudioCaptureLink() override;

    // Sends the colours of `styles` from now on: its presets' colour (read from the styles file
    // now, and whenever the style window or a reset changes it) and the sliders' channels.
    void FollowSoundStyles(devices::SoundStyles& styles);

    // Whether a sound effect is chosen on some device: starts or stops our capture program.
    void SetWanted(bool wanted);
    bool Wanted() const { return wanted_; }
    // Which blocks are wanted: the capture program is told (hello, then command 4 for samples
    // and 5 for six values) now and whenever it comes on the bus, and sends only those.
    void SetBlocksWanted(bool samples, bool values);
    // The capture program's name has an owner on the bus.
    bool CaptureOnBus() const { return onBus_; }
    // Our own capture program runs.
    bool HelperRunning() const;

    // Data kind 10 with the selected preset's colour (green 0 sent as 1); kept for a capture
    // program that comes later.
    void SendStyleColour(const AudioStyleSet& styles);
    // Commands 6, 7, 8: a red, green or blue slider changed (channel 0, 1, 2); kept and sent
    // again, after the style colour, to a capture program that comes later.
    void SendSliderCommand(int channel, int value);

  signals:
    // Our capture program could not run (no sound server, not installed): the reason.
    void HelperFailed(const QString& reason);
    // The capture program came on the bus or left it.
    void CaptureChanged(bool onBus);

  private:
    void OnCaptureAppeared();
    void TellBlocks();
    void Post(int command, int value);
    void StartHelper();
    void StopHelper();

    QDBusConnection connection_;
    QString helperPath_;
    QDBusServiceWatcher* watcher_ = nullptr;
    QPointer<QProcess> helper_;
    bool wanted_ = false;
    bool onBus_ = false;
    bool samplesWanted_ = false;
    bool valuesWanted_ = false;
    std::optional<std::array<int, 3>> styleColour_;
    std::array<std::optional<int>, 3> sliders_;
};

}  // namespace qx::app
