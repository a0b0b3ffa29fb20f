// A simulated audio configuration library: one headphone output and one microphone input of the
// headset's chip, properties kept in memory, every set recorded. Gets answer what was set (or
// what a test preset), in the library's value forms. Tests and `--simulate` use it.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "audio/audio_conf_lib.h"

namespace qx::audio {

class SimulatedAudioLib : public AudioConfLib {
  public:
    // One recorded set: the endpoint's flow, the property, its value (decimal text of the
    // integer, or of the float for the scalar volumes) and the extra words it came with.
    struct SetRecord {
        Flow flow;
        std::string name;
        std::string value;
        std::vector<int32_t> extra;
    };

    SimulatedAudioLib();

    int ConfLibInit() override;
    void CreateDeviceList() override;
    int GetDeviceCount(Flow flow) override;
    int GetDeviceById(Flow flow, int index, AudioDeviceRecord* record) override;
    int PropertyControl(const AudioDeviceRecord& device, std::string_view name, uint8_t* value,
                        uint8_t* extra, PropertyOp op) override;
    std::string UnavailableReason() const override;
    bool EndpointsChanged() override;

    // --- what tests arrange
    void SetInitResult(int result);
    void SetEndpoints(std::vector<AudioDeviceRecord> outputs,
                      std::vector<AudioDeviceRecord> inputs);
    // Feature text of an endpoint ("GetSupportFeature"), e.g. "3,0,0,0,0,0,0".
    void SetFeatureText(Flow flow, std::string text);
    // Processing off: the feature words lose the equaliser, surround, echo, noise and voice
    // changer bits, their properties are refused, and `reason` says why.
    void SetProcessingAvailable(bool available, std::string reason = {});
    // The input's voice changer bit alone, and why it is missing.
    void SetVoiceChangerAvailable(bool available, std::string reason = {});
    // The headset's card unplugged (no endpoints, every call refused) or plugged back; a card
    // that comes back has lost what was set on it.
    void SetCardPresent(bool present);
    // Refuses every get and set of `name` (e.g. a control the card lacks).
    void Refuse(const std::string& name);
    void Accept(const std::string& name);
    // The property's value as text ("" when never set).
    void Preset(Flow flow, const std::string& name, const std::string& value);
    std::string Value(Flow flow, const std::string& name) const;

    // --- what tests look at
    std::vector<SetRecord> Sets() const;
    void ClearSets();
    int InitCalls() const;

  private:
    bool ProcessingProperty(std::string_view name) const;

    mutable std::mutex mutex_;
    int initResult_ = 0;
    int initCalls_ = 0;
    std::vector<AudioDeviceRecord> outputs_;
    std::vector<AudioDeviceRecord> inputs_;
    std::map<Flow, std::string> features_;
    bool processing_ = true;
    bool present_ = true;
    bool listedPresent_ = true;  // presence at the last CreateDeviceList
    std::string reason_;
    std::string voiceReason_;  // why the voice changer is missing ("": it is there)
    std::set<std::string> refused_;
    std::map<std::pair<Flow, std::string>, std::string> values_;
    std::vector<SetRecord> sets_;
};

}  // namespace qx::audio
