// The program-wide side of the sound effects' colours: the named presets of "AudioFile.json"
// (loaded at start, edited in the style window, reset with a profile's reset) and the colour of
// the capture program that the lighting panel's red, green and blue sliders set. Whoever speaks
// with the capture program listens to StyleColourChanged and CaptureColourChanged. UI thread.
#pragma once

#include <QObject>
#include <array>
#include <memory>

#include "profiles/audio_style_store.h"

class QWidget;

namespace qx::devices {

class SoundStyles : public QObject {
    Q_OBJECT
  public:
    static SoundStyles& Instance();

    // Start-up: the user's styles file (made from the shipped one when missing), then
    // StyleColourChanged with its styles. False when the user file could not be written.
    bool Open();
    // The styles now (opened on first use).
    const AudioStyleSet& Current();
    // The style window over `over`: on "okbtn" the styles are saved and sent. The window's
    // result (1 taken, 0 closed or the skin could not be loaded).
    int OpenStyleWindow(QWidget* over);
    // Saves `styles` and sends its colour (what the style window's OK does). False when the
    // file could not be written (the styles are still sent and kept in memory).
    bool Apply(const AudioStyleSet& styles);
    // The shipped styles over the user's, then sent. False, with the user's styles unchanged,
    // when the shipped file cannot be read or the user's cannot be written.
    bool Reset();

    // The capture program's colour, 0-255 per channel (red, green, blue).
    void SetCaptureColour(int channel, int value);
    std::array<int, 3> CaptureColour() const { return capture_; }

  signals:
    void StyleColourChanged(const qx::AudioStyleSet& styles);
    void CaptureColourChanged(int channel, int value);

  private:
    SoundStyles() = default;
    AudioStyleStore& Store();

    std::unique_ptr<AudioStyleStore> store_;
    std::array<int, 3> capture_{255, 255, 255};
};

}  // namespace qx::devices
