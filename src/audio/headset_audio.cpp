#include "audio/headset_audio.h"

#include <algorithm>
#include <cmath>

#include "audio/audio_property.h"
#include "core/diagnostics.h"

namespace qx::audio {
namespace {

// Messages of the start, as the user sees them.
constexpr const char* kInitFailed = "ConfLibInit called failed!";
constexpr const char* kFeaturesFailed = "UpdateAPOAvailable failed!";

constexpr std::array<int32_t, 4> kOutputTypes = {kTypeHeadphones, 12, 7, 4};

// A scalar volume (0-1) as a level of 0-100; a value outside it from the library is taken as
// the nearer end.
int Truncated100(double scalar) { return static_cast<int>(std::clamp(scalar, 0.0, 1.0) * 100.0); }

std::string Band(int band) { return "EQ_Slider" + std::to_string(band + 1); }

}  // namespace

HeadsetAudio::HeadsetAudio(std::shared_ptr<AudioConfLib> library) : library_(std::move(library)) {}

const StartReport& HeadsetAudio::Start() {
    if (started_) return report_;
    started_ = true;
    report_.loaded = library_ != nullptr;
    if (!library_) return report_;
    if (library_->ConfLibInit() != 0) {
        report_.messages.emplace_back(kInitFailed);
    } else {
        report_.initialised = true;
    }
    // The start goes on after a failed init: the endpoints may still be there.
    library_->CreateDeviceList();
    if (library_->GetDeviceCount(Flow::Output) < 1) return report_;
    ChooseEndpoints();
    report_.hasOutput = output_.id >= 0;
    if (!report_.hasOutput) return report_;
    const auto outputWords = ReadFeatureWords(*library_, output_);
    const auto inputWords = haveInput_ ? ReadFeatureWords(*library_, input_) : std::nullopt;
    if (outputWords) outputWords_ = *outputWords;
    if (inputWords) inputWords_ = *inputWords;
    if (!outputWords || (haveInput_ && !inputWords)) report_.messages.emplace_back(kFeaturesFailed);
    GiveDefaults();
    haveMonitor_ = haveInput_ && GetNumber(*library_, input_, "GetAAMaxVol").has_value();
    ready_ = true;
    return report_;
}

bool HeadsetAudio::EndpointsChanged() { return library_ && library_->EndpointsChanged(); }

const StartReport& HeadsetAudio::Restart() {
    started_ = false;
    ready_ = false;
    report_ = {};
    output_ = {};
    input_ = {};
    haveInput_ = false;
    haveMonitor_ = false;
    outputWords_ = {};
    inputWords_ = {};
    return Start();
}

void HeadsetAudio::ChooseEndpoints() {
    const int outputs = library_->GetDeviceCount(Flow::Output);
    std::vector<AudioDeviceRecord> records;
    for (int i = 0; i < outputs; ++i) {
        AudioDeviceRecord record;
        if (library_->GetDeviceById(Flow::Output, i, &record) == 0) records.push_back(record);
    }
    for (int32_t type : kOutputTypes) {
        for (const AudioDeviceRecord& record : records) {
            if (record.state == kStateActive && record.type == type) {
                output_ = record;
                break;
            }
        }
        if (output_.id >= 0) break;
    }
    const int inputs = library_->GetDeviceCount(Flow::Input);
    for (int i = 0; i < inputs && !haveInput_; ++i) {
        AudioDeviceRecord record;
        if (library_->GetDeviceById(Flow::Input, i, &record) == 0 &&
            record.type == kTypeMicrophone) {
            input_ = record;
            haveInput_ = true;
        }
    }
}

void HeadsetAudio::GiveDefaults() {
    AudioConfLib& lib = *library_;
    // A property whose get fails is set to 0; one that answers keeps its value.
    auto ensure = [&lib](const AudioDeviceRecord& device, const std::string& name, Extra extra) {
        if (!GetText(lib, device, name, extra)) SetInt(lib, device, name, 0, extra);
    };
    ensure(output_, "VirtualSurroundEffectControl", Extra::Surround());
    if (haveInput_) {
        ensure(input_, "Enable_ENC_LFX", Extra::None());
        ensure(input_, "VolumeControl", Extra::Channel(kMicChannel));
    }
    ensure(output_, "Enable_EQ_GFX", Extra::None());
    for (int b = 0; b < kBandCount; ++b) ensure(output_, Band(b), Extra::None());
    ensure(output_, "Enable_RFX_GFX", Extra::None());
    ensure(output_, "RFX_ENVIRONMENT", Extra::None());
    ensure(output_, "RFX_ROOMSIZE", Extra::None());
    if (!haveInput_) return;
    ensure(input_, "MuteControl", Extra::None());
    ensure(input_, "VolumeScalarControl", Extra::Channel(kMicChannel));
    ensure(input_, "AAVolumeControl", Extra::Channel(kMonitorChannel));
    ensure(input_, "AAMuteControl", Extra::None());
    ensure(input_, "AAVolumeScalarControl", Extra::Channel(kMonitorChannel));
    ensure(input_, "Enable_MAGICVOICE", Extra::None());
    ensure(input_, "MagicVoice_Selection", Extra::None());
}

std::optional<AudioState> HeadsetAudio::ReadState() {
    if (!ready_ || !haveInput_) return std::nullopt;
    AudioConfLib& lib = *library_;
    AudioState state;
    const auto muted = GetNumber(lib, input_, "MuteControl");
    state.micInSelect = muted && *muted != 0 ? 0 : 1;
    if (const auto scalar =
            GetNumber(lib, input_, "VolumeScalarControl", Extra::Channel(kMicChannel)))
        state.micInValue = Truncated100(*scalar);
    // Gains, dB levels and limits are read as the chip expects, though nothing keeps them.
    for (const char* name : {"GetMaxVol", "GetMinVol", "GetVolStep"})
        (void)GetNumber(lib, input_, name);
    (void)GetNumber(lib, input_, "VolumeControl", Extra::Channel(kMicChannel));
    if (GetNumber(lib, input_, "GetAAMaxVol")) {
        state.monitorPath = true;
        const auto monitorMuted = GetNumber(lib, input_, "AAMuteControl");
        state.micMoniterSelect = monitorMuted && *monitorMuted != 0 ? 0 : 1;
        if (const auto scalar =
                GetNumber(lib, input_, "AAVolumeScalarControl", Extra::Channel(kMonitorChannel)))
            state.micMoniterValue = Truncated100(*scalar);
        for (const char* name : {"GetAAMinVol", "GetAAVolStep"}) (void)GetNumber(lib, input_, name);
        (void)GetNumber(lib, input_, "AAVolumeControl", Extra::Channel(kMonitorChannel));
    }
    if ((inputWords_[0] & kFeatureMagicVoice) != 0) {
        if (const auto on = GetNumber(lib, input_, "Enable_MAGICVOICE"))
            state.magicEnable = *on != 0 ? 1 : 0;
    }
    if (const auto type = GetNumber(lib, input_, "MagicVoice_Selection")) {
        // Checked before it becomes an integer: the library's text may give any number.
        if (*type >= 0 && *type < 4) state.magicType = static_cast<int>(*type) + 1;
    }
    return state;
}

FeatureAvailability HeadsetAudio::Availability() const {
    FeatureAvailability a;
    if (!ready_) {
        a.reason = library_ ? "the headset's sound card was not found"
                            : "the audio configuration library did not load";
        return a;
    }
    a.equaliser = (outputWords_[0] & kFeatureEqualiser) != 0;
    a.surround = (outputWords_[0] & kFeatureSurround) != 0;
    a.voiceChanger = haveInput_ && (inputWords_[0] & kFeatureMagicVoice) != 0;
    a.microphone = haveInput_;
    a.monitor = haveMonitor_;
    if (!a.equaliser || !a.surround || !a.voiceChanger) a.reason = library_->UnavailableReason();
    return a;
}

bool HeadsetAudio::SetMicLevel(int level) {
    if (!ready_ || !haveInput_) return false;
    return SetFloat(*library_, input_, "VolumeScalarControl", static_cast<float>(level) / 100.0f,
                    Extra::Channel(kMicChannel));
}

bool HeadsetAudio::SetMicMuted(bool muted) {
    if (!ready_ || !haveInput_) return false;
    return SetInt(*library_, input_, "MuteControl", muted ? 1 : 0);
}

bool HeadsetAudio::SetMonitorLevel(int level) {
    if (!ready_ || !haveInput_) return false;
    return SetFloat(*library_, input_, "AAVolumeScalarControl", static_cast<float>(level) / 100.0f,
                    Extra::Channel(kMonitorChannel));
}

bool HeadsetAudio::SetMonitorMuted(bool muted) {
    if (!ready_ || !haveInput_) return false;
    return SetInt(*library_, input_, "AAMuteControl", muted ? 1 : 0);
}

bool HeadsetAudio::EnableEqualiser(bool on) {
    if (!ready_) return false;
    return SetInt(*library_, output_, "Enable_EQ_GFX", on ? 1 : 0);
}

bool HeadsetAudio::SetBand(int band, int gain) {
    if (!ready_ || band < 0 || band >= kBandCount) return false;
    return SetInt(*library_, output_, Band(band), gain);
}

bool HeadsetAudio::ApplyBands(const std::vector<int>& gains) {
    if (!ready_) return false;
    // The switch and the ten bands reach the sound processing as one change.
    library_->BeginChanges();
    bool all = EnableEqualiser(true);
    for (int b = 0; b < kBandCount && b < static_cast<int>(gains.size()); ++b)
        all = SetBand(b, gains[static_cast<size_t>(b)]) && all;
    all = library_->CommitChanges() == 0 && all;
    return all && gains.size() >= kBandCount;
}

bool HeadsetAudio::EnableVoiceChanger(bool on) {
    if (!ready_ || !haveInput_) return false;
    // The switch and the echo's reach the microphone's processing as one change.
    library_->BeginChanges();
    const bool taken = SetInt(*library_, input_, "Enable_MAGICVOICE", on ? 1 : 0);
    // The echo is turned off beside the voice changer where the chip has one; a library
    // without it does not make the voice changer fail.
    if (taken && on && !SetInt(*library_, input_, "Enable_MICECHO", 0))
        DebugLine("the microphone echo was not turned off");
    return library_->CommitChanges() == 0 && taken;
}

bool HeadsetAudio::SelectVoice(int type) {
    if (!ready_ || !haveInput_ || type < 1 || type > 4) return false;
    return SetInt(*library_, input_, "MagicVoice_Selection", type - 1);
}

bool HeadsetAudio::EnableSurround(bool on) {
    if (!ready_) return false;
    return SetInt(*library_, output_, "VirtualSurroundEffectControl", on ? 1 : 0,
                  Extra::Surround());
}

std::optional<bool> HeadsetAudio::SurroundEnabled() {
    if (!ready_) return std::nullopt;
    const auto on =
        GetNumber(*library_, output_, "VirtualSurroundEffectControl", Extra::Surround());
    if (!on) return std::nullopt;
    return *on != 0;
}

}  // namespace qx::audio
