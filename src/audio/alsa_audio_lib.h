// The machine's audio configuration library: the headset's USB sound card (found by its ids)
// through the ALSA mixer for the volumes, mutes and the microphone monitor (side-tone), and a
// PipeWire filter chain in front of the card's output for the equaliser, the surround and the
// room reverb. The microphone's noise suppression, echo and voice changer run in a second
// PipeWire chain between the card's microphone and a virtual source (the voice changer only
// where the LADSPA pitch shifter is installed). Where PipeWire does not run (or has no node of
// the card) the feature words leave those out and their properties are refused.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "audio/audio_conf_lib.h"
#include "audio/pipewire_filter_chain.h"
#include "audio/voice_chain.h"

namespace qx::audio {

class AlsaMixer;

class AlsaAudioLib : public AudioConfLib {
  public:
    // Where the headset's card is: its index and the control device to open ("hw:2", or a
    // name that `controlConfig` defines).
    struct CardLocation {
        int index = -1;
        std::string control;
        bool operator==(const CardLocation&) const = default;
    };

    struct Options {
        uint16_t vendorId = 0x0C76;
        uint16_t productId = 0x1630;
        std::string procFolder = "/proc/asound";
        // Finds the card; nothing while it is not there. Default: the card with the USB ids
        // under procFolder, opened as "hw:N". Tests give a plugin card of their own here.
        std::function<std::optional<CardLocation>()> findCard;
        // ALSA configuration text read before opening the control device (empty: the
        // system's configuration).
        std::string controlConfig;
        // Where the filter chain's description is written (default: the user's runtime folder).
        std::filesystem::path chainFolder;
        // Whether the filter chain may be used (tests of the mixer turn it off).
        bool usePipeWire = true;
        // Finds the voice changer's pitch shifter (default: FindLadspaPlugin); nothing when it
        // is not installed.
        std::function<std::optional<std::filesystem::path>()> findPitchPlugin;
    };

    AlsaAudioLib();
    explicit AlsaAudioLib(Options options);
    ~AlsaAudioLib() override;

    int ConfLibInit() override;
    void CreateDeviceList() override;
    int GetDeviceCount(Flow flow) override;
    int GetDeviceById(Flow flow, int index, AudioDeviceRecord* record) override;
    int PropertyControl(const AudioDeviceRecord& device, std::string_view name, uint8_t* value,
                        uint8_t* extra, PropertyOp op) override;
    // Processing sets between these two are applied as one change of the filter chain.
    void BeginChanges() override;
    int CommitChanges() override;
    std::string UnavailableReason() const override;
    // True when the card came or went since the last list, its mixer stopped answering, or
    // PipeWire's node of the card appeared or went away.
    bool EndpointsChanged() override;

    // The card index found (-1: none) and the mixer's error when it did not open.
    int Card() const;
    std::string MixerError() const;
    // The filter chain's process (-1 when none runs).
    pid_t ChainProcess() const;
    // The microphone chain's process (-1 when none runs).
    pid_t VoiceProcess() const;

  private:
    std::optional<CardLocation> Locate() const;
    void FindProcessingTarget();
    int Processing(std::string_view name, uint8_t* value, PropertyOp op);
    bool ApplyProcessing(const ProcessingSettings& wanted);
    int Voice(std::string_view name, uint8_t* value, PropertyOp op);
    bool ApplyVoice(const VoiceSettings& wanted);
    std::filesystem::path ChainFolder() const;

    Options options_;
    mutable std::mutex mutex_;
    int card_ = -1;
    std::optional<CardLocation> listed_;  // where the last list found the card
    static constexpr int kOpenRetries = 5;
    int openRetries_ = 0;  // opens tried again since the card appeared
    std::unique_ptr<AlsaMixer> mixer_;
    std::string mixerError_;
    std::optional<std::string> sinkNode_;
    std::string processingReason_;
    bool pipeWireSeen_ = false;                       // PipeWire ran at the last look
    std::chrono::steady_clock::time_point nodeLook_;  // the last look for the card's node
    ProcessingSettings processing_;
    bool gathering_ = false;       // between BeginChanges and CommitChanges
    ProcessingSettings gathered_;  // the settings asked for while gathering
    FilterChainRunner chain_;
    // The microphone's side.
    std::optional<std::string> sourceNode_;
    std::string micReason_;    // why the microphone's processing is off ("": on)
    std::string voiceReason_;  // why the voice changer is off ("": on)
    std::filesystem::path pitchPlugin_;
    VoiceSettings voice_;
    VoiceSettings gatheredVoice_;
    VoiceChainRunner voiceChain_;
};

// The index of the sound card with these USB ids ("/proc/asound/cardN/usbid"); -1 when none.
int FindUsbCard(const std::string& procFolder, uint16_t vendorId, uint16_t productId);

}  // namespace qx::audio
