// The headset's audio operations: the library's start and state, and one operation per control.
// The library is called on the device's worker; what it took is stored in the profile on the UI
// thread. A set it refuses leaves the profile as it was, shows the page from the model again and
// tells the user.
#include <QString>
#include <algorithm>

#include "core/diagnostics.h"
#include "devices/base/user_message.h"
#include "devices/headset/orvane_hs6533_device.h"
#include "devices/panels/magic_control_ui.h"
#include "devices/panels/voice6533_control_ui.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

QString Text(const char* key) {
    return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
}

}  // namespace

void COrvaneHS6533Device::RunAudio(std::function<bool(audio::HeadsetAudio&)> call,
                                   std::function<void(bool)> then) {
    const bool posted = Post([this, call = std::move(call), then]() mutable {
        const bool ok = audio_ != nullptr && audio_->Ready() && call(*audio_);
        OnUiThread([then, ok] { then(ok); });
    });
    if (!posted) then(false);
}

void COrvaneHS6533Device::StartAudio() {
    if (audioStarted_.load()) return;
    if (!audio_) audio_ = std::make_unique<audio::HeadsetAudio>(library_);
    const audio::StartReport report = audio_->Start();
    {
        std::lock_guard lock(model_);
        availability_ = audio_->Availability();
    }
    audioStarted_.store(true);
    for (const std::string& message : report.messages) DebugLine(message);
    if (!report.messages.empty()) {
        OnUiThread([messages = report.messages] {
            for (const std::string& message : messages)
                ShowUserMessage(QString::fromStdString(message));
        });
    }
}

void COrvaneHS6533Device::ReadAudioState() {
    if (!audio_) return;
    const std::optional<audio::AudioState> state = audio_->ReadState();
    {
        std::lock_guard lock(model_);
        if (state) {
            system_.micInSelect = state->micInSelect;
            system_.micInValue = state->micInValue;
            if (state->monitorPath) {
                system_.micMoniterSelect = state->micMoniterSelect;
                system_.micMoniterValue = state->micMoniterValue;
            }
            if (state->magicEnable) system_.magicEnable = *state->magicEnable;
            if (state->magicType) system_.magicType = *state->magicType;
        }
    }
    ApplyProcessingFromModel();
}

void COrvaneHS6533Device::ApplyProcessingFromModel() {
    if (!audio_ || !audio_->Ready()) return;
    HeadsetSystemRecord system;
    std::vector<int> bands;
    bool surround = false;
    {
        std::lock_guard lock(model_);
        system = system_;
        bands = bands_;
        surround = surround_;
    }
    // A library that keeps no state between runs (the machine's filter chain) gets the
    // profile's equaliser and surround, so that what plays is what the page shows.
    const audio::FeatureAvailability available = audio_->Availability();
    if (available.equaliser && system.eqType >= 1 && system.eqType <= kCustomEqType)
        if (!audio_->ApplyBands(bands)) DebugLine("the profile's equaliser was not applied");
    if (available.surround && audio_->SurroundEnabled() != surround)
        if (!audio_->EnableSurround(surround)) DebugLine("the profile's surround was not applied");
}

void COrvaneHS6533Device::CheckAudioCard() {
    if (!AudioStarted() || audioCheckPosted_.exchange(true)) return;
    const bool posted = Post([this] {
        FollowAudioCard();
        audioCheckPosted_.store(false);
    });
    if (!posted) audioCheckPosted_.store(false);
}

void COrvaneHS6533Device::FollowAudioCard() {
    if (!audio_ || !audio_->EndpointsChanged()) return;
    const audio::StartReport report = audio_->Restart();
    for (const std::string& message : report.messages) DebugLine(message);
    {
        std::lock_guard lock(model_);
        availability_ = audio_->Availability();
    }
    ++audioRestarts_;
    if (audio_->Ready()) {
        // The card is back (or new): it gets what the page shows, not its driver's values.
        DebugLine("the headset's sound card is there: its audio settings are applied again");
        HeadsetSystemRecord system;
        {
            std::lock_guard lock(model_);
            system = system_;
        }
        const audio::FeatureAvailability available = audio_->Availability();
        bool all = true;
        if (available.microphone) {
            all = audio_->SetMicLevel(system.micInValue) && all;
            all = audio_->SetMicMuted(system.micInSelect == 0) && all;
        }
        if (available.monitor) {
            all = audio_->SetMonitorLevel(system.micMoniterValue) && all;
            all = audio_->SetMonitorMuted(system.micMoniterSelect == 0) && all;
        }
        if (available.voiceChanger) {
            all = audio_->EnableVoiceChanger(system.magicEnable != 0) && all;
            if (system.magicType >= 1 && system.magicType <= 4)
                all = audio_->SelectVoice(system.magicType) && all;
        }
        if (!all) DebugLine("some of the headset's audio settings were not applied again");
        ApplyProcessingFromModel();
    } else {
        DebugLine("the headset's sound card went away");
    }
    OnUiThread([this] { RefreshPanel(); });
}

void COrvaneHS6533Device::Refused(const Done& done, const QString& what) {
    const QString text = Text("hs_audio_refused_text") + what;
    DebugLine(text.toStdString());
    RefreshPanel();
    if (done)
        done(text);
    else
        ShowUserMessage(text);
}

void COrvaneHS6533Device::Saved(const Done& done, bool saved) {
    if (saved) {
        if (done) done(QString());
        return;
    }
    const QString text = Text("hs_profile_not_saved_text");
    if (done)
        done(text);
    else
        ShowUserMessage(text);
}

// --- microphone and monitor

void COrvaneHS6533Device::SetMicLevel(int level, Done done) {
    level = std::clamp(level, 0, 100);
    RunAudio([level](audio::HeadsetAudio& a) { return a.SetMicLevel(level); },
             [this, level, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_mic_level_text"));
                 std::lock_guard lock(model_);
                 system_.micInValue = level;
                 StoreSystemLocked();
                 Saved(done, SaveLocked());
             });
}

void COrvaneHS6533Device::SetMicMuted(bool muted, Done done) {
    if (voice_) voice_->ShowMicrophoneOn(!muted);
    RunAudio([muted](audio::HeadsetAudio& a) { return a.SetMicMuted(muted); },
             [this, muted, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_mic_mute_text"));
                 std::lock_guard lock(model_);
                 system_.micInSelect = muted ? 0 : 1;
                 StoreSystemLocked();
                 Saved(done, SaveLocked());
             });
}

void COrvaneHS6533Device::SetMonitorLevel(int level, Done done) {
    level = std::clamp(level, 0, 100);
    RunAudio([level](audio::HeadsetAudio& a) { return a.SetMonitorLevel(level); },
             [this, level, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_monitor_level_text"));
                 std::lock_guard lock(model_);
                 system_.micMoniterValue = level;
                 StoreSystemLocked();
                 Saved(done, SaveLocked());
             });
}

void COrvaneHS6533Device::SetMonitorMuted(bool muted, Done done) {
    if (voice_) voice_->ShowMonitorOn(!muted);
    RunAudio([muted](audio::HeadsetAudio& a) { return a.SetMonitorMuted(muted); },
             [this, muted, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_monitor_mute_text"));
                 std::lock_guard lock(model_);
                 system_.micMoniterSelect = muted ? 0 : 1;
                 StoreSystemLocked();
                 Saved(done, SaveLocked());
             });
}

// --- equaliser

void COrvaneHS6533Device::SelectEqualiser(int type, Done done) {
    if (type == kCustomEqType) {
        int k = -1;
        {
            std::lock_guard lock(model_);
            system_.eqType = kCustomEqType;
            k = selectedCustom_;
        }
        ShowEqualiser();
        if (k >= 0) return ApplyCustomEq(k, std::move(done));
        std::lock_guard lock(model_);
        return Saved(done, SaveLocked());
    }
    const std::vector<int> bands = PresetBands(type);
    if (bands.empty()) {
        if (done) done(QString());
        return;
    }
    RunAudio([bands](audio::HeadsetAudio& a) { return a.ApplyBands(bands); },
             [this, type, bands, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_eq_text"));
                 bool saved = false;
                 {
                     std::lock_guard lock(model_);
                     system_.eqType = type;
                     bands_ = bands;
                     StoreSystemLocked();
                     profile_.SetEqBands(type, bands_);
                     saved = SaveLocked();
                 }
                 ShowEqualiser();
                 Saved(done, saved);
             });
}

void COrvaneHS6533Device::ChangeCustomBand(int band, int gain, Done done) {
    if (band < 0 || band >= kBandCount) {
        if (done) done(QString());
        return;
    }
    gain = std::clamp(gain, -HeadsetOptions::kGainLimit, HeadsetOptions::kGainLimit);
    bool switched = false;
    {
        std::lock_guard lock(model_);
        if (system_.eqType != kCustomEqType) {
            // A preset's band moved: the page becomes a new, unnamed custom setting.
            system_.eqType = kCustomEqType;
            selectedCustom_ = -1;
            switched = true;
        }
    }
    if (switched) {
        ShowEqualiser();
        if (voice_) voice_->SelectCustom(-1);
    }
    RunAudio([band, gain](audio::HeadsetAudio& a) { return a.SetBand(band, gain); },
             [this, band, gain, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_eq_text"));
                 {
                     std::lock_guard lock(model_);
                     bands_[static_cast<size_t>(band)] = gain;
                 }
                 if (voice_) voice_->SetBand(band, gain);
                 if (done) done(QString());
             });
}

void COrvaneHS6533Device::ApplyCustomEq(int k, Done done) {
    std::vector<int> bands;
    {
        std::lock_guard lock(model_);
        if (k < 0 || k >= static_cast<int>(customNames_.size())) {
            if (done) done(QString());
            return;
        }
        bands = profile_.GetCustomEqBands(k);
    }
    bands.resize(kBandCount, 0);
    RunAudio([bands](audio::HeadsetAudio& a) { return a.ApplyBands(bands); },
             [this, k, bands, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_eq_text"));
                 bool saved = false;
                 {
                     std::lock_guard lock(model_);
                     bands_ = bands;
                     selectedCustom_ = k;
                     system_.customEqSeletIndex = k;
                     StoreSystemLocked();
                     saved = SaveLocked();
                 }
                 ShowEqualiser();
                 Saved(done, saved);
             });
}

int COrvaneHS6533Device::SaveCustomEq(const QString& name) {
    std::lock_guard lock(model_);
    int index = selectedCustom_;
    if (name.isEmpty()) {
        if (index < 0) return -1;
    } else {
        if (static_cast<int>(customNames_.size()) >= kMaxCustomEq) return -1;
        for (const std::string& existing : customNames_) {
            if (QString::fromStdString(existing).compare(name, Qt::CaseInsensitive) == 0) return 0;
        }
        customNames_.push_back(name.toStdString());
        index = static_cast<int>(customNames_.size()) - 1;
        profile_.SetCustomEqNames(customNames_);
    }
    selectedCustom_ = index;
    system_.customEqSeletIndex = index;
    StoreSystemLocked();
    profile_.SetCustomEqBands(index, bands_);
    const bool saved = SaveLocked();
    if (voice_) {
        if (!name.isEmpty()) voice_->AddCustomName(name);
        voice_->SelectCustom(index);
    }
    if (!saved) ShowUserMessage(Text("hs_profile_not_saved_text"));
    return 1;
}

void COrvaneHS6533Device::DeleteCustomEq() {
    std::vector<int> bands;
    {
        std::lock_guard lock(model_);
        const int k = selectedCustom_;
        if (k < 0 || k >= static_cast<int>(customNames_.size())) return;
        // The name and its band row leave together, so the rows after it keep their names.
        customNames_.erase(customNames_.begin() + k);
        profile_.RemoveCustomEq(k);
        if (customNames_.empty()) {
            system_.eqType = 1;
            selectedCustom_ = -1;
            system_.customEqSeletIndex = 0;
            bands = profile_.GetEqBands(1);
        } else {
            selectedCustom_ = 0;
            system_.customEqSeletIndex = 0;
            bands = profile_.GetCustomEqBands(0);
            profile_.SetCustomEqNames(customNames_);
        }
        bands.resize(kBandCount, 0);
        bands_ = bands;
        StoreSystemLocked();
        if (!SaveLocked()) ShowUserMessage(Text("hs_profile_not_saved_text"));
    }
    RefreshPanel();
    // What plays follows what the page now shows.
    RunAudio([bands](audio::HeadsetAudio& a) { return a.ApplyBands(bands); },
             [](bool ok) {
                 if (!ok) DebugLine("the equaliser after the deletion was not applied");
             });
}

// --- voice changer and surround

void COrvaneHS6533Device::SetVoiceChanger(bool on, Done done) {
    if (magic_) magic_->ShowVoiceChanger(on);
    RunAudio([on](audio::HeadsetAudio& a) { return a.EnableVoiceChanger(on); },
             [this, on, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_voice_text"));
                 std::lock_guard lock(model_);
                 system_.magicEnable = on ? 1 : 0;
                 StoreSystemLocked();
                 Saved(done, SaveLocked());
             });
}

void COrvaneHS6533Device::SelectVoice(int type, Done done) {
    if (type < 1 || type > 4) {
        if (done) done(QString());
        return;
    }
    if (magic_) magic_->SelectType(type);
    RunAudio([type](audio::HeadsetAudio& a) { return a.SelectVoice(type); },
             [this, type, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_voice_text"));
                 std::lock_guard lock(model_);
                 system_.magicType = type;
                 StoreSystemLocked();
                 Saved(done, SaveLocked());
             });
}

void COrvaneHS6533Device::SetSurround(bool on, Done done) {
    RunAudio([on](audio::HeadsetAudio& a) { return a.EnableSurround(on); },
             [this, on, done](bool ok) {
                 if (!ok) return Refused(done, Text("hs_audio_surround_text"));
                 bool saved = false;
                 {
                     std::lock_guard lock(model_);
                     surround_ = on;
                     profile_.SetSurround(on ? 1 : 0);
                     saved = SaveLocked();
                 }
                 RefreshPanel();
                 Saved(done, saved);
             });
}

}  // namespace qx::devices
