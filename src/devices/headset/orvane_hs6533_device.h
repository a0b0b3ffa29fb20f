// The headset's device object (kind 7): its page ("OrvaneHS6533Device"), command channel and
// notification thread, its profile (voice, equaliser and microphone settings, lighting), the
// lighting block kept in the headset's memory and the LED reports of the host's frame, and its
// audio functions through the audio configuration library.
//
// Threads: the public audio operations are called on the UI thread; the library is called on
// the device's worker, and what the library took is stored in the profile back on the UI thread.
// A set that the library refuses changes nothing in the profile, and the user is told. The
// model (profile data, headset settings, bands, custom names, lighting mirror) is shared by the
// worker and the UI thread and guarded by one lock.
#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/headset_audio.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/headset/headset_options.h"
#include "devices/panels/magic_control_ui.h"
#include "devices/panels/voice6533_control_ui.h"
#include "profiles/hs6533_profiledata.h"

namespace qx::devices {

class COrvaneHS6533Device : public COrvaneUSBDevice, public ProfileCapability {
    Q_OBJECT
  public:
    static constexpr int kCustomEqType = 13;
    static constexpr int kPresetCount = 12;
    static constexpr int kMaxCustomEq = 20;
    static constexpr int kBandCount = 10;
    static constexpr size_t kBlockSize = 21;
    static constexpr size_t kBlockReadSize = 26;
    static constexpr int kReadStride = 25;
    static constexpr int kWriteStride = 64;

    using Block = std::array<uint8_t, kBlockSize>;
    // The outcome of an audio operation, on the UI thread: empty when done, else why not (in
    // the user's language).
    using Done = std::function<void(const QString& error)>;

    explicit COrvaneHS6533Device(HidBackend& backend);
    ~COrvaneHS6533Device() override;

    // The gains of preset t (1-12); empty for any other t.
    static std::vector<int> PresetBands(int t);

    // --- the page (UI thread)
    void AttachPanel() override;
    void BuildPanel() override;
    void RefreshPanel() override;
    CVoice6533ControlUI* VoicePanel() const { return voice_; }
    CMagicControlUI* MagicPanel() const { return magic_; }

    // --- exchanges (worker)
    void FirstContact() override;
    void RefreshFromDevice() override;
    void PowerQuery() override;
    int ApplyLighting() override;
    void StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) override;
    // The lighting block from the mirror, written at profile × 64 (every caller passes 0).
    // Success only when every command of the sequence was taken; a closed channel fails.
    Result WriteSystemBlock(int profile);
    // The lighting block of the current lighting (the lighting panel's write).
    Result WriteLightingBlock() override { return WriteSystemBlock(0); }
    // Sends the frame as the 12 LED reports while the host controls the lighting; success also
    // when there is nothing to send (host lighting off). A failed report is not retried: the
    // next frame sends again.
    Result SendLedReports();

  protected:
    // While the host controls the lighting, every changed frame goes to the headset as its LED
    // reports (on the worker).
    bool HostStreaming() const override { return LightingControl(); }
    Result StreamFrame(const uint8_t* data, size_t length) override;

  public:
    ProfileCapability* Profiles() override { return this; }
    OptionCapability* Options() override { return &options_; }

    // --- ProfileCapability
    void SetProfilePaths() override;
    int LoadProfile() override;
    void SaveProfile() override;
    void ReloadProfile() override;
    QString GetProfileName() const override;
    void ReloadPanelLists() override;

    // --- audio operations (UI thread)
    void SetMicLevel(int level, Done done = {});
    void SetMicMuted(bool muted, Done done = {});
    void SetMonitorLevel(int level, Done done = {});
    void SetMonitorMuted(bool muted, Done done = {});
    // 1-12 a preset, 13 the custom setting selected; other values do nothing.
    void SelectEqualiser(int type, Done done = {});
    // Moves one band (0-9); switches to custom first when a preset is shown. Not saved until
    // the custom setting is saved.
    void ChangeCustomBand(int band, int gain, Done done = {});
    // Applies custom setting k (-1: nothing happens).
    void ApplyCustomEq(int k, Done done = {});
    // 1 saved; 0 a setting of that name exists (letter case aside); -1 refused (no name and
    // nothing selected, or 20 settings exist). An empty name overwrites the selected one.
    int SaveCustomEq(const QString& name);
    // Removes the selected custom setting, its name and its bands together.
    void DeleteCustomEq();
    void SetVoiceChanger(bool on, Done done = {});
    void SelectVoice(int type, Done done = {});  // 1-4
    void SetSurround(bool on, Done done = {});

    // --- the model (any thread)
    HeadsetSystemRecord System() const;
    std::vector<int> Bands() const;
    std::vector<std::string> CustomNames() const;
    int SelectedCustom() const;  // -1: none
    bool Surround() const;
    bool ProfileLoaded() const;
    Block Mirror() const;
    audio::FeatureAvailability Availability() const;
    std::filesystem::path ProfilePath() const;
    // Waits (UI thread, for tests and scripts) until the audio start ran.
    bool AudioStarted() const { return audioStarted_.load(); }
    // Looks (UI thread) whether the headset's sound card came or went: when it did, the library
    // starts again on the worker, a card that is back gets the page's audio values, and the
    // page follows. Runs every few seconds once the page is there.
    void CheckAudioCard();
    // How many times the library started again after the card came or went.
    int AudioRestarts() const { return audioRestarts_.load(); }
    static constexpr int kAudioCardCheckMs = 3000;

  protected:
    std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const override;
    void OnNotificationCode(uint16_t code, bool receiver) override;
    std::string NotificationExitLine() const override;

  private:
    // Runs `call` with the library on the worker, then `then` with its answer on the UI thread.
    void RunAudio(std::function<bool(audio::HeadsetAudio&)> call, std::function<void(bool)> then);
    // Starts the library once (worker); its messages go to the user.
    void StartAudio();
    // Reads the endpoints' state into the model (not saved), then gives the library the
    // profile's equaliser and surround (worker).
    void ReadAudioState();
    // Gives the library the model's equaliser and surround (worker).
    void ApplyProcessingFromModel();
    // The library started again after the card came or went (worker).
    void FollowAudioCard();
    // The model's lock is held by the callers of these.
    [[nodiscard]] bool SaveLocked();
    void StoreSystemLocked();
    void LoadBandsLocked();
    // A refused set: the message, and the panels shown from the model again.
    void Refused(const Done& done, const QString& what);
    void Saved(const Done& done, bool saved);

    // The page's controls and their notifications.
    void BindControls();
    void ShowAvailability();
    void ShowEqualiser();

    HeadsetOptions options_{*this};
    std::shared_ptr<audio::AudioConfLib> library_;
    std::unique_ptr<audio::HeadsetAudio> audio_;  // worker only
    std::atomic<bool> audioStarted_{false};
    std::atomic<bool> audioStartPosted_{false};
    std::atomic<bool> audioCheckPosted_{false};
    std::atomic<int> audioRestarts_{0};
    QPointer<QTimer> audioCardTimer_;

    mutable std::recursive_mutex model_;
    CHs6533Profiledata profile_;
    bool profileLoaded_ = false;
    HeadsetSystemRecord system_;
    std::vector<int> bands_ = std::vector<int>(kBandCount, 0);
    std::vector<std::string> customNames_;
    int selectedCustom_ = -1;
    bool surround_ = false;
    LightInfoRecord lightInfo_;
    Block mirror_{};
    Block before_{};
    std::vector<int> effectCodes_;
    audio::FeatureAvailability availability_;

    QPointer<CVoice6533ControlUI> voice_;
    QPointer<CMagicControlUI> magic_;
    QPointer<QAbstractButton> surroundOption_;
};

}  // namespace qx::devices
