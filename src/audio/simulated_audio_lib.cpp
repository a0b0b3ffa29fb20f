#include "audio/simulated_audio_lib.h"

#include <cstring>

#include "audio/audio_property.h"

namespace qx::audio {
namespace {

constexpr uint32_t kProcessingBits = kFeatureEqualiser | kFeatureSurround | kFeatureRoom;
constexpr uint32_t kInputProcessingBits = kFeatureMicEcho | kFeatureNoise | kFeatureMagicVoice;

std::string FeatureText(uint32_t first) { return std::to_string(first) + ",0,0,0,0,0,0"; }

// Read-only properties: the chip's limits.
const std::map<std::string, std::string>& Limits() {
    static const std::map<std::string, std::string> limits = {
        {"GetMaxVol", "30"},   {"GetMinVol", "-12"},   {"GetVolStep", "0.5"},
        {"GetAAMaxVol", "12"}, {"GetAAMinVol", "-34"}, {"GetAAVolStep", "1"},
    };
    return limits;
}

}  // namespace

SimulatedAudioLib::SimulatedAudioLib() {
    outputs_ = {{0, kTypeHeadphones, 0, kStateActive}};
    inputs_ = {{1, kTypeMicrophone, 0, kStateActive}};
    features_[Flow::Output] = FeatureText(kProcessingBits);
    features_[Flow::Input] = FeatureText(kInputProcessingBits);
}

int SimulatedAudioLib::ConfLibInit() {
    std::lock_guard lock(mutex_);
    ++initCalls_;
    return initResult_;
}

void SimulatedAudioLib::CreateDeviceList() {
    std::lock_guard lock(mutex_);
    listedPresent_ = present_;
}

bool SimulatedAudioLib::EndpointsChanged() {
    std::lock_guard lock(mutex_);
    return present_ != listedPresent_;
}

void SimulatedAudioLib::SetCardPresent(bool present) {
    std::lock_guard lock(mutex_);
    if (present_ && !present) values_.clear();
    present_ = present;
}

int SimulatedAudioLib::GetDeviceCount(Flow flow) {
    std::lock_guard lock(mutex_);
    if (!present_) return 0;
    return static_cast<int>(flow == Flow::Output ? outputs_.size() : inputs_.size());
}

int SimulatedAudioLib::GetDeviceById(Flow flow, int index, AudioDeviceRecord* record) {
    std::lock_guard lock(mutex_);
    const auto& list = flow == Flow::Output ? outputs_ : inputs_;
    if (!present_) return -1;
    if (record == nullptr || index < 0 || index >= static_cast<int>(list.size())) return -1;
    *record = list[static_cast<size_t>(index)];
    return 0;
}

bool SimulatedAudioLib::ProcessingProperty(std::string_view name) const {
    return name == "Enable_EQ_GFX" || name.starts_with("EQ_Slider") ||
           name == "VirtualSurroundEffectControl" || name.starts_with("RFX_") ||
           name == "Enable_RFX_GFX" || name == "Enable_MAGICVOICE" ||
           name == "MagicVoice_Selection" || name == "Enable_MICECHO" || name == "Enable_ENC_LFX";
}

int SimulatedAudioLib::PropertyControl(const AudioDeviceRecord& device, std::string_view name,
                                       uint8_t* value, uint8_t* extra, PropertyOp op) {
    std::lock_guard lock(mutex_);
    if (value == nullptr || !present_) return -1;
    Flow flow;
    if (!outputs_.empty() && device == outputs_.front())
        flow = Flow::Output;
    else if (!inputs_.empty() && device == inputs_.front())
        flow = Flow::Input;
    else
        return -2;  // not an endpoint of this library
    const std::string key(name);
    if (refused_.contains(key)) return -3;
    if (!processing_ && ProcessingProperty(name)) return -4;
    if (key == "GetSupportFeature") {
        if (op != PropertyOp::Get) return -5;
        PutText(value, kFeatureBufferSize, features_[flow]);
        return 0;
    }
    if (const auto limit = Limits().find(key); limit != Limits().end()) {
        if (op != PropertyOp::Get || flow != Flow::Input) return -5;
        PutText(value, kValueBufferSize, limit->second);
        return 0;
    }
    if (op == PropertyOp::Get) {
        const auto found = values_.find({flow, key});
        if (found == values_.end()) return -6;  // never set: the start gives it a value
        PutText(value, kValueBufferSize, found->second);
        return 0;
    }
    SetRecord record{flow, key, {}, {}};
    record.value =
        IsScalarVolume(name) ? NumberText(TakeFloat(value)) : std::to_string(TakeInt(value));
    if (extra != nullptr) {
        const int words = key == "VirtualSurroundEffectControl" ? 3 : 1;
        for (int i = 0; i < words; ++i) record.extra.push_back(TakeInt(extra + 4 * i));
    }
    values_[{flow, key}] = record.value;
    sets_.push_back(std::move(record));
    return 0;
}

std::string SimulatedAudioLib::UnavailableReason() const {
    std::lock_guard lock(mutex_);
    if (!processing_) return reason_;
    return voiceReason_;
}

void SimulatedAudioLib::SetVoiceChangerAvailable(bool available, std::string reason) {
    std::lock_guard lock(mutex_);
    voiceReason_ = available ? std::string() : std::move(reason);
    features_[Flow::Input] =
        FeatureText(available ? kInputProcessingBits : kInputProcessingBits & ~kFeatureMagicVoice);
}

void SimulatedAudioLib::SetInitResult(int result) {
    std::lock_guard lock(mutex_);
    initResult_ = result;
}

void SimulatedAudioLib::SetEndpoints(std::vector<AudioDeviceRecord> outputs,
                                     std::vector<AudioDeviceRecord> inputs) {
    std::lock_guard lock(mutex_);
    outputs_ = std::move(outputs);
    inputs_ = std::move(inputs);
}

void SimulatedAudioLib::SetFeatureText(Flow flow, std::string text) {
    std::lock_guard lock(mutex_);
    features_[flow] = std::move(text);
}

void SimulatedAudioLib::SetProcessingAvailable(bool available, std::string reason) {
    std::lock_guard lock(mutex_);
    processing_ = available;
    reason_ = std::move(reason);
    features_[Flow::Output] = FeatureText(available ? kProcessingBits : 0);
    features_[Flow::Input] = FeatureText(available ? kInputProcessingBits : 0);
}

void SimulatedAudioLib::Refuse(const std::string& name) {
    std::lock_guard lock(mutex_);
    refused_.insert(name);
}

void SimulatedAudioLib::Accept(const std::string& name) {
    std::lock_guard lock(mutex_);
    refused_.erase(name);
}

void SimulatedAudioLib::Preset(Flow flow, const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    values_[{flow, name}] = value;
}

std::string SimulatedAudioLib::Value(Flow flow, const std::string& name) const {
    std::lock_guard lock(mutex_);
    const auto found = values_.find({flow, name});
    return found == values_.end() ? std::string() : found->second;
}

std::vector<SimulatedAudioLib::SetRecord> SimulatedAudioLib::Sets() const {
    std::lock_guard lock(mutex_);
    return sets_;
}

void SimulatedAudioLib::ClearSets() {
    std::lock_guard lock(mutex_);
    sets_.clear();
}

int SimulatedAudioLib::InitCalls() const {
    std::lock_guard lock(mutex_);
    return initCalls_;
}

}  // namespace qx::audio
