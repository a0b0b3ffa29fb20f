// The headset's sound processing on Linux: a PipeWire filter chain (equaliser of ten peaking
// bands, and a headphone surround made of a delayed, low-passed cross-feed) placed in front of
// the headset's output node. The description is plain data (PipeWire's configuration text); a
// runner keeps one `pipewire -c` process of ours loading it, restarted when the settings change.
#pragma once

#include <sys/types.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace qx::audio {

inline constexpr std::array<int, 10> kEqFrequencies = {31,   62,   125,  250,  500,
                                                       1000, 2000, 4000, 8000, 16000};

struct ProcessingSettings {
    bool equaliser = false;
    std::array<int, 10> bands{};  // dB
    bool surround = false;
    bool operator==(const ProcessingSettings&) const = default;
};

// Names of the chain's own nodes.
inline constexpr const char* kEffectsSinkName = "qx580_headset_effects";
inline constexpr const char* kEffectsOutputName = "qx580_headset_effects_output";

// The configuration text for `pipewire -c`: the filter-chain module with the chain's graph, its
// input a virtual sink and its output bound to `targetNode` (the headset's output node name).
std::string FilterChainConfig(const ProcessingSettings& settings, const std::string& targetNode);

// Whether a PipeWire server answers for this user (its socket exists).
bool PipeWireRunning();
// The node name of the PipeWire sink of ALSA card `card` (asks `pw-dump`); nothing when none.
std::optional<std::string> HeadsetSinkNode(int card);

class FilterChainRunner {
  public:
    FilterChainRunner() = default;
    ~FilterChainRunner();  // stops the process
    FilterChainRunner(const FilterChainRunner&) = delete;
    FilterChainRunner& operator=(const FilterChainRunner&) = delete;

    // Writes the description into `folder` and (re)starts the process with it. False with
    // `error` when it cannot be written or started.
    bool Apply(const ProcessingSettings& settings, const std::string& targetNode,
               const std::filesystem::path& folder, std::string* error);
    void Stop();
    bool Running() const { return child_ > 0; }

  private:
    pid_t child_ = -1;
};

}  // namespace qx::audio
