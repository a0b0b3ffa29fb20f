// The headset's audio functions on top of the audio configuration library: the start (endpoints,
// feature words, every property given a value), the state read back into the profile's forms,
// and one call per control. Plain C++: the device object runs it on its worker.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_conf_lib.h"

namespace qx::audio {

// What the start found; the texts are the messages the user is shown.
struct StartReport {
    bool loaded = false;  // a library was there
    bool initialised = false;
    bool hasOutput = false;             // at least one output endpoint: the state can be read
    std::vector<std::string> messages;  // "ConfLibInit called failed!", ...
};

// The audio state in the profile's value forms.
struct AudioState {
    int micInSelect = 0;  // 1: microphone on (not muted)
    int micInValue = 0;   // 0-100
    bool monitorPath = false;
    int micMoniterSelect = 0;
    int micMoniterValue = 0;
    std::optional<int> magicEnable;  // read only where the voice changer is offered
    std::optional<int> magicType;    // 1-4
};

// What the library can do for each group of controls, and why not.
struct FeatureAvailability {
    bool equaliser = false;
    bool surround = false;
    bool voiceChanger = false;
    bool microphone = false;
    bool monitor = false;  // false also where the card has no monitor path
    std::string reason;    // why the processing features are off (empty when on)
};

class HeadsetAudio {
  public:
    static constexpr int kBandCount = 10;

    // `library` may be null: the library did not load, and no call is ever made.
    explicit HeadsetAudio(std::shared_ptr<AudioConfLib> library);

    // Loads the endpoints and gives every property a value (once; later calls report the
    // first start again).
    const StartReport& Start();
    bool Ready() const { return ready_; }
    // Whether the library's endpoints changed since the start (the card came or went).
    bool EndpointsChanged();
    // Forgets the endpoints and starts again (after a change): the new start's report.
    const StartReport& Restart();

    // The state of the endpoints; nothing before a start that found an output endpoint.
    std::optional<AudioState> ReadState();
    FeatureAvailability Availability() const;
    std::array<uint32_t, 3> OutputFeatures() const { return outputWords_; }
    std::array<uint32_t, 3> InputFeatures() const { return inputWords_; }
    const AudioDeviceRecord& Output() const { return output_; }
    const AudioDeviceRecord& Input() const { return input_; }

    // Each true when the library took the value.
    bool SetMicLevel(int level);  // 0-100
    bool SetMicMuted(bool muted);
    bool SetMonitorLevel(int level);
    bool SetMonitorMuted(bool muted);
    bool EnableEqualiser(bool on);
    bool SetBand(int band, int gain);  // band 0-9, gain in dB
    // All ten bands with the equaliser on; true when every set was taken.
    bool ApplyBands(const std::vector<int>& gains);
    // On also turns the microphone echo off.
    bool EnableVoiceChanger(bool on);
    bool SelectVoice(int type);  // 1-4
    bool EnableSurround(bool on);
    std::optional<bool> SurroundEnabled();

  private:
    void ChooseEndpoints();
    void GiveDefaults();

    std::shared_ptr<AudioConfLib> library_;
    bool started_ = false;
    bool ready_ = false;
    StartReport report_;
    AudioDeviceRecord output_;
    AudioDeviceRecord input_;
    bool haveInput_ = false;
    bool haveMonitor_ = false;  // the input answers "GetAAMaxVol": a monitor path
    std::array<uint32_t, 3> outputWords_{};
    std::array<uint32_t, 3> inputWords_{};
};

// The library the program uses: the one installed (tests and the simulated program install a
// simulated one), else the machine's, made on first use. Shared by every headset.
std::shared_ptr<AudioConfLib> SharedAudioLibrary();
void InstallAudioLibrary(std::shared_ptr<AudioConfLib> library);

}  // namespace qx::audio
