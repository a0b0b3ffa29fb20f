#include "audio/alsa_audio_lib.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "audio/audio_property.h"
#include "core/diagnostics.h"

namespace qx::audio {
namespace {

constexpr int32_t kOutputId = 0;
constexpr int32_t kInputId = 1;

bool Contains(const char* text, const char* part) {
    return text != nullptr && std::string(text).find(part) != std::string::npos;
}

// One side of a simple element: its capture or its playback volume and switch. A set moves
// every channel of the side together (the microphone and the side-tone are one level to the
// user); a get reads the channel asked for, or the first where the side has no such channel.
struct Side {
    snd_mixer_elem_t* elem = nullptr;
    bool capture = false;

    explicit operator bool() const { return elem != nullptr; }

    snd_mixer_selem_channel_id_t Channel(int32_t wanted) const {
        if (wanted >= 0 && wanted <= SND_MIXER_SCHN_LAST) {
            const auto id = static_cast<snd_mixer_selem_channel_id_t>(wanted);
            if ((capture ? snd_mixer_selem_has_capture_channel(elem, id)
                         : snd_mixer_selem_has_playback_channel(elem, id)) != 0)
                return id;
        }
        return SND_MIXER_SCHN_FRONT_LEFT;
    }
    bool Range(long* min, long* max) const {
        const int r = capture ? snd_mixer_selem_get_capture_volume_range(elem, min, max)
                              : snd_mixer_selem_get_playback_volume_range(elem, min, max);
        return r == 0 && *max > *min;
    }
    std::optional<double> Scalar(int32_t channel) const {
        long min = 0, max = 0, raw = 0;
        if (!Range(&min, &max)) return std::nullopt;
        const auto id = Channel(channel);
        const int r = capture ? snd_mixer_selem_get_capture_volume(elem, id, &raw)
                              : snd_mixer_selem_get_playback_volume(elem, id, &raw);
        if (r != 0) return std::nullopt;
        return static_cast<double>(raw - min) / static_cast<double>(max - min);
    }
    bool SetScalar(double scalar) const {
        long min = 0, max = 0;
        if (!Range(&min, &max) || !std::isfinite(scalar)) return false;
        scalar = std::clamp(scalar, 0.0, 1.0);
        const long raw = min + std::lround(scalar * static_cast<double>(max - min));
        return (capture ? snd_mixer_selem_set_capture_volume_all(elem, raw)
                        : snd_mixer_selem_set_playback_volume_all(elem, raw)) == 0;
    }
    bool DbRange(long* min, long* max) const {
        return (capture ? snd_mixer_selem_get_capture_dB_range(elem, min, max)
                        : snd_mixer_selem_get_playback_dB_range(elem, min, max)) == 0;
    }
    std::optional<double> Db(int32_t channel) const {
        long db = 0;
        const auto id = Channel(channel);
        if ((capture ? snd_mixer_selem_get_capture_dB(elem, id, &db)
                     : snd_mixer_selem_get_playback_dB(elem, id, &db)) != 0)
            return std::nullopt;
        return static_cast<double>(db) / 100.0;
    }
    bool SetDb(int32_t db) const {
        long min = 0, max = 0;
        if (!DbRange(&min, &max)) return false;
        const long value = std::clamp(static_cast<long>(db) * 100, min, max);
        return (capture ? snd_mixer_selem_set_capture_dB_all(elem, value, 0)
                        : snd_mixer_selem_set_playback_dB_all(elem, value, 0)) == 0;
    }
    bool HasSwitch() const {
        return capture ? snd_mixer_selem_has_capture_switch(elem) != 0
                       : snd_mixer_selem_has_playback_switch(elem) != 0;
    }
    // 1 muted, 0 on.
    std::optional<int> Muted(int32_t channel) const {
        if (!HasSwitch()) return std::nullopt;
        int on = 0;
        const auto id = Channel(channel);
        if ((capture ? snd_mixer_selem_get_capture_switch(elem, id, &on)
                     : snd_mixer_selem_get_playback_switch(elem, id, &on)) != 0)
            return std::nullopt;
        return on != 0 ? 0 : 1;
    }
    bool SetMuted(bool muted) const {
        if (!HasSwitch()) return false;
        return (capture ? snd_mixer_selem_set_capture_switch_all(elem, muted ? 0 : 1)
                        : snd_mixer_selem_set_playback_switch_all(elem, muted ? 0 : 1)) == 0;
    }
};

// The channel word of the extra buffer (-1: all channels, as when there is none).
int32_t ChannelOf(const uint8_t* extra) { return extra != nullptr ? TakeInt(extra) : -1; }

}  // namespace

// The card's mixer and the three sides the headset uses.
class AlsaMixer {
  public:
    ~AlsaMixer() {
        if (mixer_ != nullptr) snd_mixer_close(mixer_);
        if (config_ != nullptr) snd_config_delete(config_);
    }

    bool Open(const std::string& name, const std::string& configText, std::string* error) {
        int r = snd_mixer_open(&mixer_, 0);
        if (r < 0) return Fail(error, "mixer", r);
        if (configText.empty()) {
            r = snd_mixer_attach(mixer_, name.c_str());
            if (r < 0) return Fail(error, "attach " + name, r);
        } else {
            // A control device defined by configuration text of the caller's (a plugin).
            snd_input_t* in = nullptr;
            if ((r = snd_config_top(&config_)) < 0) return Fail(error, "config", r);
            if ((r = snd_input_buffer_open(&in, configText.data(),
                                           static_cast<ssize_t>(configText.size()))) < 0)
                return Fail(error, "config", r);
            r = snd_config_load(config_, in);
            snd_input_close(in);
            if (r < 0) return Fail(error, "config", r);
            snd_ctl_t* ctl = nullptr;
            if ((r = snd_ctl_open_lconf(&ctl, name.c_str(), 0, config_)) < 0)
                return Fail(error, "open " + name, r);
            snd_hctl_t* hctl = nullptr;
            if ((r = snd_hctl_open_ctl(&hctl, ctl)) < 0) {
                snd_ctl_close(ctl);
                return Fail(error, "hctl", r);
            }
            if ((r = snd_mixer_attach_hctl(mixer_, hctl)) < 0) return Fail(error, "attach", r);
        }
        if ((r = snd_mixer_selem_register(mixer_, nullptr, nullptr)) < 0)
            return Fail(error, "register", r);
        if ((r = snd_mixer_load(mixer_)) < 0) return Fail(error, "load", r);
        FindSides();
        return true;
    }

    // Takes the card's changes made by others since the last look; false when the card no
    // longer answers (unplugged).
    bool Update() { return mixer_ != nullptr && snd_mixer_handle_events(mixer_) >= 0; }

    Side microphone;  // capture volume and switch
    Side monitor;     // the microphone's playback (side-tone) volume and switch
    Side output;      // the headphones' playback volume and switch

  private:
    static bool Fail(std::string* error, const std::string& what, int code) {
        if (error) *error = what + ": " + snd_strerror(code);
        return false;
    }

    void FindSides() {
        snd_mixer_elem_t* firstCapture = nullptr;
        std::vector<snd_mixer_elem_t*> playback;
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e != nullptr;
             e = snd_mixer_elem_next(e)) {
            if (!snd_mixer_selem_is_active(e)) continue;
            const char* name = snd_mixer_selem_get_name(e);
            const bool mic = Contains(name, "Mic") || Contains(name, "Sidetone");
            if (snd_mixer_selem_has_capture_volume(e)) {
                if (firstCapture == nullptr) firstCapture = e;
                if (mic && !microphone) microphone = {e, true};
            }
            if (snd_mixer_selem_has_playback_volume(e)) {
                if (mic && !monitor)
                    monitor = {e, false};
                else if (!mic)
                    playback.push_back(e);
            }
        }
        if (!microphone && firstCapture != nullptr) microphone = {firstCapture, true};
        for (const char* preferred : {"Headphone", "PCM", "Speaker", "Master"}) {
            for (snd_mixer_elem_t* e : playback) {
                if (!output && Contains(snd_mixer_selem_get_name(e), preferred))
                    output = {e, false};
            }
        }
        if (!output && !playback.empty()) output = {playback.front(), false};
    }

    snd_mixer_t* mixer_ = nullptr;
    snd_config_t* config_ = nullptr;
};

int FindUsbCard(const std::string& procFolder, uint16_t vendorId, uint16_t productId) {
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, "%04x:%04x", vendorId, productId);
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        std::ifstream in(procFolder + "/card" + std::to_string(card) + "/usbid");
        std::string id;
        if (in >> id && id == wanted) return card;
    }
    return -1;
}

AlsaAudioLib::AlsaAudioLib() : AlsaAudioLib(Options{}) {}
AlsaAudioLib::AlsaAudioLib(Options options) : options_(std::move(options)) {}
AlsaAudioLib::~AlsaAudioLib() = default;

int AlsaAudioLib::ConfLibInit() { return 0; }

std::optional<AlsaAudioLib::CardLocation> AlsaAudioLib::Locate() const {
    if (options_.findCard) return options_.findCard();
    const int card = FindUsbCard(options_.procFolder, options_.vendorId, options_.productId);
    if (card < 0) return std::nullopt;
    return CardLocation{card, "hw:" + std::to_string(card)};
}

void AlsaAudioLib::CreateDeviceList() {
    std::lock_guard lock(mutex_);
    mixer_.reset();
    mixerError_.clear();
    listed_ = Locate();
    card_ = listed_ ? listed_->index : -1;
    if (!listed_) {
        mixerError_ = "the headset's sound card is not there";
    } else {
        auto mixer = std::make_unique<AlsaMixer>();
        if (mixer->Open(listed_->control, options_.controlConfig, &mixerError_))
            mixer_ = std::move(mixer);
        else
            DebugLine("headset mixer " + listed_->control + ": " + mixerError_);
    }
    FindProcessingTarget();
}

void AlsaAudioLib::FindProcessingTarget() {
    const std::optional<std::string> before = sinkNode_;
    const std::optional<std::string> sourceBefore = sourceNode_;
    sinkNode_.reset();
    sourceNode_.reset();
    processingReason_.clear();
    micReason_.clear();
    voiceReason_.clear();
    pipeWireSeen_ = options_.usePipeWire && PipeWireRunning();
    nodeLook_ = std::chrono::steady_clock::now();
    if (!options_.usePipeWire) {
        processingReason_ = micReason_ = "sound processing is turned off";
    } else if (!pipeWireSeen_) {
        processingReason_ =
            "PipeWire is not running: the equaliser, the surround and the microphone's effects "
            "need its filter chains";
        micReason_ = processingReason_;
    } else if (!mixer_ || card_ < 0) {
        processingReason_ = micReason_ = "the headset's sound card is not there";
    } else {
        if (!(sinkNode_ = HeadsetSinkNode(card_)))
            processingReason_ = "PipeWire has no output of the headset's sound card";
        if (!(sourceNode_ = HeadsetSourceNode(card_)))
            micReason_ = "PipeWire has no microphone of the headset's sound card";
    }
    const std::optional<std::filesystem::path> plugin =
        options_.findPitchPlugin ? options_.findPitchPlugin() : FindLadspaPlugin(kPitchPluginFile);
    pitchPlugin_ = plugin.value_or(std::filesystem::path());
    if (!micReason_.empty())
        voiceReason_ = micReason_;
    else if (!plugin)
        voiceReason_ = std::string("the voice changer needs the pitch shifter of the ") +
                       kPitchPluginPackage + " package, which is not installed";
    // A chain bound to a node that went away would play into whatever PipeWire chooses
    // next: it stops, and starts again from the settings given after this list.
    if (sinkNode_ != before) {
        chain_.Stop();
        processing_ = {};
    }
    if (sourceNode_ != sourceBefore) {
        voiceChain_.Stop();
        voice_ = {};
    }
}

bool AlsaAudioLib::EndpointsChanged() {
    std::lock_guard lock(mutex_);
    if (Locate() != listed_) {
        openRetries_ = 0;
        return true;
    }
    if (!listed_) return false;
    // A card there but not opened (its device file not yet ready for this user) is tried a
    // few more times.
    if (!mixer_) return ++openRetries_ <= kOpenRetries;
    if (!mixer_->Update()) return true;
    if (!options_.usePipeWire) return false;
    const bool running = PipeWireRunning();
    if (running != pipeWireSeen_) return true;
    // PipeWire makes the card's node a moment after the card appears: looked for again now
    // and then while it is missing.
    const auto now = std::chrono::steady_clock::now();
    if (running && (!sinkNode_ || !sourceNode_) && now - nodeLook_ >= std::chrono::seconds(5)) {
        nodeLook_ = now;
        return (!sinkNode_ && HeadsetSinkNode(card_).has_value()) ||
               (!sourceNode_ && HeadsetSourceNode(card_).has_value());
    }
    return false;
}

int AlsaAudioLib::GetDeviceCount(Flow flow) {
    std::lock_guard lock(mutex_);
    if (!mixer_) return 0;
    if (flow == Flow::Output) return 1;
    return mixer_->microphone ? 1 : 0;
}

int AlsaAudioLib::GetDeviceById(Flow flow, int index, AudioDeviceRecord* record) {
    if (record == nullptr || index != 0 || GetDeviceCount(flow) < 1) return -1;
    *record = flow == Flow::Output ? AudioDeviceRecord{kOutputId, kTypeHeadphones, card_, 1}
                                   : AudioDeviceRecord{kInputId, kTypeMicrophone, card_, 1};
    return 0;
}

std::string AlsaAudioLib::UnavailableReason() const {
    std::lock_guard lock(mutex_);
    if (!mixerError_.empty()) return mixerError_;
    std::string reason;
    for (const std::string* part : {&processingReason_, &micReason_, &voiceReason_}) {
        if (part->empty() || reason.find(*part) != std::string::npos) continue;
        reason += (reason.empty() ? "" : "; ") + *part;
    }
    return reason;
}

int AlsaAudioLib::Card() const {
    std::lock_guard lock(mutex_);
    return card_;
}

std::string AlsaAudioLib::MixerError() const {
    std::lock_guard lock(mutex_);
    return mixerError_;
}

int AlsaAudioLib::PropertyControl(const AudioDeviceRecord& device, std::string_view name,
                                  uint8_t* value, uint8_t* extra, PropertyOp op) {
    std::lock_guard lock(mutex_);
    if (!mixer_ || value == nullptr || device.third != card_) return -1;
    if (!mixer_->Update()) return -1;  // the card went away
    const int32_t channel = ChannelOf(extra);
    const bool get = op == PropertyOp::Get;
    auto answer = [value](std::optional<double> number) {
        if (!number) return -2;
        PutText(value, kValueBufferSize, NumberText(*number));
        return 0;
    };
    if (name == "GetSupportFeature") {
        if (!get) return -3;
        uint32_t first = 0;
        if (device.id == kOutputId && processingReason_.empty())
            first = kFeatureEqualiser | kFeatureSurround | kFeatureRoom;
        if (device.id == kInputId && micReason_.empty()) first = kFeatureMicEcho | kFeatureNoise;
        if (device.id == kInputId && voiceReason_.empty()) first |= kFeatureMagicVoice;
        PutText(value, kFeatureBufferSize, std::to_string(first) + ",0,0,0,0,0,0");
        return 0;
    }
    const bool monitorName = name.starts_with("AA") || name.starts_with("GetAA");
    const Side side = device.id == kInputId ? (monitorName ? mixer_->monitor : mixer_->microphone)
                                            : mixer_->output;
    if (device.id == kOutputId && monitorName) return -4;
    if (name == "VolumeScalarControl" || name == "AAVolumeScalarControl") {
        if (!side) return -5;
        if (get) return answer(side.Scalar(channel));
        return side.SetScalar(TakeFloat(value)) ? 0 : -6;
    }
    if (name == "VolumeControl" || name == "AAVolumeControl") {
        if (!side) return -5;
        if (get) return answer(side.Db(channel));
        return side.SetDb(TakeInt(value)) ? 0 : -6;
    }
    if (name == "MuteControl" || name == "AAMuteControl") {
        if (!side) return -5;
        if (get) {
            const std::optional<int> muted = side.Muted(channel);
            return answer(muted ? std::optional<double>(*muted) : std::nullopt);
        }
        return side.SetMuted(TakeInt(value) != 0) ? 0 : -6;
    }
    const bool maxVol = name == "GetMaxVol" || name == "GetAAMaxVol";
    const bool minVol = name == "GetMinVol" || name == "GetAAMinVol";
    const bool step = name == "GetVolStep" || name == "GetAAVolStep";
    if (maxVol || minVol || step) {
        if (!get || !side || device.id != kInputId) return -5;
        long lo = 0, hi = 0, rawLo = 0, rawHi = 0;
        if (!side.DbRange(&lo, &hi)) {
            // Without dB information the range is given in the card's steps.
            if (!side.Range(&rawLo, &rawHi)) return -6;
            return answer(maxVol   ? static_cast<double>(rawHi)
                          : minVol ? static_cast<double>(rawLo)
                                   : 1.0);
        }
        if (maxVol) return answer(static_cast<double>(hi) / 100.0);
        if (minVol) return answer(static_cast<double>(lo) / 100.0);
        if (!side.Range(&rawLo, &rawHi)) return -6;
        return answer(static_cast<double>(hi - lo) / 100.0 / static_cast<double>(rawHi - rawLo));
    }
    if (device.id == kOutputId) return Processing(name, value, op);
    return Voice(name, value, op);
}

void AlsaAudioLib::BeginChanges() {
    std::lock_guard lock(mutex_);
    gathering_ = true;
    gathered_ = processing_;
    gatheredVoice_ = voice_;
}

int AlsaAudioLib::CommitChanges() {
    std::lock_guard lock(mutex_);
    if (!gathering_) return 0;
    gathering_ = false;
    int result = 0;
    if (gatheredVoice_ != voice_) result = ApplyVoice(gatheredVoice_) ? 0 : -10;
    if (gathered_ != processing_) {
        if (!processingReason_.empty()) return -9;
        if (!ApplyProcessing(gathered_)) return -10;
    }
    return result;
}

pid_t AlsaAudioLib::VoiceProcess() const {
    std::lock_guard lock(mutex_);
    return voiceChain_.Pid();
}

int AlsaAudioLib::Voice(std::string_view name, uint8_t* value, PropertyOp op) {
    VoiceSettings wanted = gathering_ ? gatheredVoice_ : voice_;
    bool* flag = nullptr;
    const std::string* reason = &micReason_;
    if (name == "Enable_MAGICVOICE") {
        flag = &wanted.voiceChanger;
        reason = &voiceReason_;
    } else if (name == "MagicVoice_Selection") {
        reason = &voiceReason_;
    } else if (name == "Enable_MICECHO") {
        flag = &wanted.echo;
    } else if (name == "Enable_ENC_LFX") {
        flag = &wanted.noise;
    } else {
        return -7;  // not a property of the microphone
    }
    if (!reason->empty()) return -9;
    if (op == PropertyOp::Get) {
        PutText(value, kValueBufferSize,
                std::to_string(flag != nullptr ? (*flag ? 1 : 0) : wanted.type - 1));
        return 0;
    }
    const int32_t v = TakeInt(value);
    if (flag != nullptr) {
        *flag = v != 0;
    } else {
        if (v < 0 || v >= kVoiceTypeCount) return -8;
        wanted.type = v + 1;
    }
    if (gathering_) {
        gatheredVoice_ = wanted;
        return 0;
    }
    return ApplyVoice(wanted) ? 0 : -10;
}

std::filesystem::path AlsaAudioLib::ChainFolder() const {
    if (!options_.chainFolder.empty()) return options_.chainFolder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::filesystem::path(runtime != nullptr && *runtime ? runtime : "/tmp") / "qx580";
}

bool AlsaAudioLib::ApplyVoice(const VoiceSettings& wanted) {
    if (wanted == voice_ && voiceChain_.Running() == wanted.Any()) return true;
    std::string error;
    if (!voiceChain_.Apply(wanted, sourceNode_.value_or(""), pitchPlugin_, ChainFolder(), &error)) {
        DebugLine("headset voice chain: " + error);
        // The chain stopped: nothing of the microphone's processing runs.
        voice_ = {.type = voice_.type};
        return false;
    }
    voice_ = wanted;
    return true;
}

pid_t AlsaAudioLib::ChainProcess() const {
    std::lock_guard lock(mutex_);
    return chain_.Pid();
}

int AlsaAudioLib::Processing(std::string_view name, uint8_t* value, PropertyOp op) {
    ProcessingSettings wanted = gathering_ ? gathered_ : processing_;
    int* field = nullptr;
    bool* flag = nullptr;
    int number = 0;
    if (name == "Enable_EQ_GFX") {
        flag = &wanted.equaliser;
    } else if (name == "VirtualSurroundEffectControl") {
        flag = &wanted.surround;
    } else if (name.starts_with("EQ_Slider")) {
        const std::string_view digits = name.substr(9);
        const auto [end, code] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (code != std::errc() || end != digits.data() + digits.size() || number < 1 ||
            number > 10)
            return -8;
        field = &wanted.bands[static_cast<size_t>(number - 1)];
    } else if (name == "Enable_RFX_GFX") {
        flag = &wanted.room;
    } else if (name == "RFX_ENVIRONMENT") {
        field = &wanted.environment;
    } else if (name == "RFX_ROOMSIZE") {
        field = &wanted.roomSize;
    } else {
        return -7;
    }
    if (!processingReason_.empty()) return -9;
    if (op == PropertyOp::Get) {
        PutText(value, kValueBufferSize,
                std::to_string(flag != nullptr ? (*flag ? 1 : 0) : *field));
        return 0;
    }
    const int32_t v = TakeInt(value);
    if (field == &wanted.environment) {
        if (v < 0 || v >= static_cast<int32_t>(kRoomEnvironments.size())) return -8;
        *field = v;
    } else if (field == &wanted.roomSize) {
        *field = std::clamp(v, 0, 100);
    } else if (field != nullptr) {
        *field = std::clamp(v, -20, 20);
    }
    if (flag != nullptr) *flag = v != 0;
    if (gathering_) {
        gathered_ = wanted;
        return 0;
    }
    return ApplyProcessing(wanted) ? 0 : -10;
}

bool AlsaAudioLib::ApplyProcessing(const ProcessingSettings& wanted) {
    if (wanted == processing_ && chain_.Running()) return true;
    std::string error;
    if (!chain_.Apply(wanted, sinkNode_.value_or(""), ChainFolder(), &error)) {
        DebugLine("headset filter chain: " + error);
        return false;
    }
    processing_ = wanted;
    return true;
}

}  // namespace qx::audio
