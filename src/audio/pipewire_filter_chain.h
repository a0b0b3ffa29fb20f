// The headset's sound processing on Linux: a PipeWire filter chain (equaliser of ten peaking
// bands, and a headphone surround made of a delayed, low-passed cross-feed) placed in front of
// the headset's output node, and a room reverb behind them. The description is plain data
// (PipeWire's configuration text); a runner keeps one `pipewire -c` process of ours loading it.
// Gains change live on the running chain; the process starts again only when the graph's shape
// changes (surround or room changed). While the chain runs, the desktop's playback is routed
// through it: when the headset was the default output, the chain's sink becomes the default and the
// previous default comes back when the chain stops.
#pragma once

#include <sys/types.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qx::audio {

// A text as a quoted string of PipeWire's configuration language (quotes and backslashes
// escaped).
std::string SpaQuoted(const std::string& text);

inline constexpr std::array<int, 10> kEqFrequencies = {31,   62,   125,  250,  500,
                                                       1000, 2000, 4000, 8000, 16000};

struct ProcessingSettings {
    bool equaliser = false;
    std::array<int, 10> bands{};  // dB
    bool surround = false;
    bool room = false;    // the room reverb
    int environment = 0;  // 0-3: kRoomEnvironments
    int roomSize = 50;    // 0-100: the reverb's length, from half to one and a half times
    // Whether the two need a different graph or impulse response (the gains do not).
    bool SameShape(const ProcessingSettings& other) const {
        return surround == other.surround && room == other.room &&
               (!room || (environment == other.environment && roomSize == other.roomSize));
    }
    bool operator==(const ProcessingSettings&) const = default;
};

// The rooms of the reverb: a convolution with an impulse response made for the room.
struct RoomEnvironment {
    const char* name;
    double reverbSeconds;  // RT60 at room size 50
    double preDelaySeconds;
    double wetGain;
    double damping;  // 0 (bright) - 1 (dull): a low-pass on the tail
};
inline constexpr std::array<RoomEnvironment, 4> kRoomEnvironments = {{
    {"Room", 0.4, 0.005, 0.25, 0.5},
    {"Bathroom", 1.0, 0.003, 0.3, 0.1},
    {"Hall", 1.8, 0.02, 0.3, 0.6},
    {"Arena", 3.0, 0.04, 0.3, 0.7},
}};
inline constexpr int kRoomSampleRate = 48000;
// The stereo impulse response (left, right: decorrelated tails), each side's energy 1.
std::array<std::vector<float>, 2> RoomResponse(int environment, int roomSize);
// Writes it as a 32-bit float WAV file; false when the file cannot be written.
bool WriteRoomResponse(const std::filesystem::path& file, int environment, int roomSize);
// The impulse response's file name for these settings, in the chain's folder.
std::string RoomResponseName(int environment, int roomSize);

// Names of the chain's own nodes.
inline constexpr const char* kEffectsSinkName = "qx580_headset_effects";
inline constexpr const char* kEffectsOutputName = "qx580_headset_effects_output";

// The configuration text for `pipewire -c`: the filter-chain module with the chain's graph, its
// input a virtual sink and its output bound to `targetNode` (the headset's output node name).
// `roomResponse` is the impulse response file the reverb uses while it is on.
std::string FilterChainConfig(const ProcessingSettings& settings, const std::string& targetNode,
                              const std::filesystem::path& roomResponse = {});

// Whether a PipeWire server answers for this user (its socket exists).
bool PipeWireRunning();
// The node name of the PipeWire sink of ALSA card `card` (asks `pw-dump`); nothing when none.
std::optional<std::string> HeadsetSinkNode(int card);
// The same for the card's capture side (its "Audio/Source" node).
std::optional<std::string> HeadsetSourceNode(int card);

// PipeWire's "default" metadata: the key the user's (or our) choice of output is kept under,
// and the one the session manager fills with the output it actually chose.
inline constexpr const char* kConfiguredSinkKey = "default.configured.audio.sink";
inline constexpr const char* kDefaultSinkKey = "default.audio.sink";
// The same two for the input.
inline constexpr const char* kConfiguredSourceKey = "default.configured.audio.source";
inline constexpr const char* kDefaultSourceKey = "default.audio.source";

// The node name a key of the "default" metadata holds; nothing when the key is not set or the
// metadata cannot be read.
std::optional<std::string> DefaultSinkName(const char* key);
// Sets `kConfiguredSinkKey` to node `name` (removes it when `name` is empty) and reads it back.
bool SetConfiguredSink(const std::string& name);
// Sets (or removes) `key` of the "default" metadata to node `name` and reads it back.
bool SetConfiguredNode(const char* key, const std::string& name);
// The global id of the node named `name`; nothing when PipeWire has none.
std::optional<uint32_t> NodeId(const std::string& name);
// The values of the chain's controls ("eq_l_1:Gain" and so on) on node `name`, read back
// (switches as 0 or 1).
std::vector<std::pair<std::string, double>> NodeControls(const std::string& name);
// Sets the controls of a running chain in one update of node `name`'s Props and waits until
// they read back (pw-cli exits 0 even when the node refused).
bool SetControlsLive(const std::string& name,
                     const std::vector<std::pair<std::string, double>>& values, std::string* error);

// Starts `pipewire -c file` as a child that ends with the calling thread, and waits until node
// `shownNode` appears. The process id; -1 with `error` when PipeWire refused the file or the
// node did not appear.
pid_t StartChainProcess(const std::filesystem::path& file, const std::string& shownNode,
                        std::string* error);
// Ends a process StartChainProcess started (SIGTERM, then SIGKILL); `pid` becomes -1.
void EndChainProcess(pid_t& pid);

// Makes node `ours` the default of the "default" metadata's `configuredKey` while it runs, when
// `device` was the default (configured, or chosen by the session manager under `chosenKey`),
// and gives the previous choice back when asked, unless the user chose another meanwhile.
class DefaultRoute {
  public:
    DefaultRoute(const char* configuredKey, const char* chosenKey, const char* ours)
        : configuredKey_(configuredKey), chosenKey_(chosenKey), ours_(ours) {}
    void Take(const std::string& device);
    void GiveBack();
    bool Taken() const { return taken_; }

  private:
    const char* configuredKey_;
    const char* chosenKey_;
    const char* ours_;
    bool taken_ = false;
    std::string previous_;  // the configured default before ours ("": none was set)
};

class FilterChainRunner {
  public:
    FilterChainRunner() = default;
    ~FilterChainRunner();  // stops the process
    FilterChainRunner(const FilterChainRunner&) = delete;
    FilterChainRunner& operator=(const FilterChainRunner&) = delete;

    // Brings the chain to `settings` in front of `targetNode`: on a running chain of the same
    // shape the gains are set live (one update for all bands, read back); otherwise the
    // description is written into `folder` and the process (re)started with it. False with
    // `error` when that fails.
    bool Apply(const ProcessingSettings& settings, const std::string& targetNode,
               const std::filesystem::path& folder, std::string* error);
    // Stops the process, the previous default output given back first.
    void Stop();
    bool Running() const { return child_ > 0; }
    // The process's id (-1 when none): it stays the same across live changes.
    pid_t Pid() const { return child_; }
    // Whether the desktop's default output is routed through the chain by us.
    bool Routed() const { return route_.Taken(); }

  private:
    bool Start(const ProcessingSettings& settings, const std::string& targetNode,
               const std::filesystem::path& folder, std::string* error);
    bool SetGainsLive(const ProcessingSettings& settings, std::string* error);

    pid_t child_ = -1;
    ProcessingSettings running_;
    std::string target_;
    DefaultRoute route_{kConfiguredSinkKey, kDefaultSinkKey, kEffectsSinkName};
};

}  // namespace qx::audio
