// The headset microphone's processing on Linux: noise suppression (PipeWire's echo-cancel
// module with the WebRTC processor), the voice changer (a LADSPA pitch shifter, Rubber Band's)
// and an audible echo (two delay taps mixed back in), run by one `pipewire -c` process of ours
// between the headset's microphone and a virtual source. The voice type changes live on the
// running chain; the process starts again only when a feature is turned on or off. While it
// runs, the virtual source is the desktop's default input when the headset's microphone was;
// the previous default comes back when it stops.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/pipewire_filter_chain.h"

namespace qx::audio {

struct VoiceSettings {
    bool voiceChanger = false;
    int type = 1;  // 1-4
    bool echo = false;
    bool noise = false;
    bool Any() const { return voiceChanger || echo || noise; }
    // Whether the two need a different graph (a type change does not).
    bool SameShape(const VoiceSettings& other) const {
        return voiceChanger == other.voiceChanger && echo == other.echo && noise == other.noise;
    }
    bool operator==(const VoiceSettings&) const = default;
};

// One voice type: the pitch shifter's settings and the metallic comb beside it.
struct VoiceType {
    const char* name;  // as the panel labels it
    int semitones;
    bool formantPreserving;  // on: the timbre stays, only the pitch moves
    int crispness;           // 0 (smeared, phasey) - 3 (crisp)
    double combGain;         // a short comb filter's share (0: none)
};
inline constexpr int kVoiceTypeCount = 4;
// Type n (1-4); an n outside is taken as 1.
const VoiceType& VoicePreset(int type);
inline constexpr double kCombDelaySeconds = 0.008;
inline constexpr double kEchoDelaySeconds = 0.25;
inline constexpr double kEchoGain1 = 0.45;
inline constexpr double kEchoGain2 = 0.2;

// The nodes: the virtual source the desktop records from, the chain's capture stream (its
// controls live there), and the noise-suppressed microphone feeding the chain.
inline constexpr const char* kVoiceSourceName = "qx580_headset_voice";
inline constexpr const char* kVoiceCaptureName = "qx580_headset_voice_capture";
inline constexpr const char* kVoiceCleanName = "qx580_headset_voice_clean";

// The pitch shifter's plugin file and the Debian package that brings it.
inline constexpr const char* kPitchPluginFile = "ladspa-rubberband.so";
inline constexpr const char* kPitchPluginLabel = "rubberband-pitchshifter-mono";
inline constexpr const char* kPitchPluginPackage = "rubberband-ladspa";
// The plugin's path: the folders of LADSPA_PATH, then the system's LADSPA folders.
std::optional<std::filesystem::path> FindLadspaPlugin(const std::string& file);

// The configuration text for `pipewire -c`, capturing from `micNode`; `pitchPlugin` is the
// plugin's path (used only while the voice changer is on). Empty when nothing is on.
std::string VoiceChainConfig(const VoiceSettings& settings, const std::string& micNode,
                             const std::filesystem::path& pitchPlugin);
// The live controls of the chain for `settings` (nothing when the voice changer is off).
std::vector<std::pair<std::string, double>> VoiceControls(const VoiceSettings& settings);

class VoiceChainRunner {
  public:
    VoiceChainRunner() = default;
    ~VoiceChainRunner();  // stops the process
    VoiceChainRunner(const VoiceChainRunner&) = delete;
    VoiceChainRunner& operator=(const VoiceChainRunner&) = delete;

    // Brings the microphone's processing to `settings` (nothing on: stopped). False with
    // `error` when that fails; the chain is then stopped.
    bool Apply(const VoiceSettings& settings, const std::string& micNode,
               const std::filesystem::path& pitchPlugin, const std::filesystem::path& folder,
               std::string* error);
    // Stops the process, the previous default input given back first.
    void Stop();
    bool Running() const { return child_ > 0; }
    pid_t Pid() const { return child_; }
    bool Routed() const { return route_.Taken(); }

  private:
    pid_t child_ = -1;
    VoiceSettings running_;
    std::string mic_;
    DefaultRoute route_{kConfiguredSourceKey, kDefaultSourceKey, kVoiceSourceName};
};

}  // namespace qx::audio
