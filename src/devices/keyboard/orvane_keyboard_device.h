// The keyboard's device object (kinds 1 and 9): its page ("OrvaneKeyboardDevice"), its command
// channel and notification threads, and what it keeps of the keyboard: identity, key table and
// position maps, the settings block of the current profile, the profile's key assignments,
// lighting and system options.
//
// Threads: exchanges with the keyboard run on the device's worker; the page is touched on the UI
// thread only. The model (profile data, key list, system options, light settings, tables) is
// shared by both and guarded by one lock.
#pragma once

#include <QPointer>
#include <QStringList>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "devices/base/orvane_usb_device.h"
#include "devices/keyboard/keyboard_key_map.h"
#include "devices/keyboard/keyboard_options.h"
#include "devices/keyboard/keyboard_system_block.h"
#include "profiles/keyboard_profiledata.h"

class QAbstractButton;
class QAbstractSlider;
class QLabel;
class QLineEdit;

namespace qx::devices {

class CMacroControlUI;

class COrvaneKeyboardDevice : public COrvaneUSBDevice,
                              public ProfileCapability,
                              public KeyTableCapability,
                              public KeyAssignCapability,
                              public AudioLightCapability {
    Q_OBJECT
  public:
    static constexpr int kFunctionKey = kFunctionKeyIndex;
    static constexpr int kCustomColourEffect = 21;

    explicit COrvaneKeyboardDevice(HidBackend& backend);
    ~COrvaneKeyboardDevice() override;

    // --- the page (orvane_keyboard_panel.cpp; UI thread)
    void AttachPanel() override;
    void BuildPanel() override;
    void RefreshPanel() override;
    void RefreshKeyLabels() override;
    void SetFunctionPage(int page) override;

    // --- exchanges (worker)
    void FirstContact() override;
    // Identity, key tables and the profile; the settings block is written, not read.
    void ContactAgain() override;
    void RefreshFromDevice() override;
    void PowerQuery() override;
    int PresenceQuery() override;
    int ApplyLighting() override;
    // The light settings are also the profile's "LightInfo" (saved by the caller).
    void StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) override;

    ProfileCapability* Profiles() override { return this; }
    KeyTableCapability* KeyTable() override { return this; }
    KeyAssignCapability* KeyAssign() override { return this; }
    OptionCapability* Options() override { return &options_; }
    AudioLightCapability* AudioLight() override { return this; }

    // --- AudioLightCapability (keyboard_audio_light.cpp; UI thread)
    void StoreAudioLightSettings(const AudioLightRecord& record) override;
    AudioLightRecord GetAudioLightSettings() const override;
    void ChangeAudioLighting(const AudioLightRecord& record, Done done) override;

    // --- ProfileCapability (orvane_keyboard_profile.cpp)
    void SetProfilePaths() override;
    int LoadProfile() override;
    void SaveProfile() override;
    void ReloadProfile() override;
    QString GetProfileName() const override;
    void ReloadPanelLists() override;

    // --- KeyTableCapability (worker, except DropDanglingMacros)
    std::vector<int> CollectMacros() override;
    Result WriteKeyTable(int profile, const std::vector<KeyAssignRecord>& keyList) override;
    Result WriteKeyTableFromProfile() override;
    // 0 when the image reached the keyboard (or nothing was to be sent); above 0 the image is
    // too large by that many events plus one; below 0 it could not be built (-1) or the
    // keyboard did not take it (the command's result; -1 also for a keyboard not connected).
    int UploadMacros(const std::vector<int>& macros) override;
    void DropDanglingMacros() override;
    // The block of the current options and light settings at profile × 25; byte 0 is
    // `currentProfileByte`. The first failing command's result, else 1.
    Result WriteSystemBlock(int profile, int currentProfileByte, int applyFlag, int screenWidth,
                            int screenHeight) override;

    // --- custom colours (UI thread)
    // In the custom-colour effect: the key's LED takes the panel's colour, the colours are kept
    // in the profile's current group, and (on cable) the mask is sent.
    void SetCustomColour(int key);
    // Sends the mask of the custom LEDs (worker), in the custom-colour effect only.
    Result SendCustomColourMask();

    // --- the lighting panel's keyboard side (keyboard_light_panel.cpp)
    // The settings block of profile 0 with the current lighting (worker).
    Result WriteLightingBlock() override;
    // The custom-colour mask, which a keyboard that lost its memory lost with it (worker).
    void RestoreExtraSettings() override;
    // A custom-colour group chosen (UI thread): kept in the profile's lighting, its colours
    // loaded, then on the worker the mask sent and the block written.
    void SelectCustomGroup(int group);
    // Keys picked with the rubber band in the custom-colour effect (UI thread): each key's LED
    // takes the panel's colour, the group is saved once and (on cable) the mask sent once.
    void SetCustomColourKeys(const std::vector<int>& keys);

    // --- the model (any thread)
    KeyboardSystem System() const;
    // Whether the current profile has been read (first contact or a profile switch).
    bool ProfileLoaded() const;
    LightInfoRecord LightInfo() const;
    std::vector<KeyAssignRecord> KeyList() const override;
    // --- KeyAssignCapability (UI thread; KeyList and RefreshKeyLabels above)
    QStringList MacroNames() const override;
    bool StoreKeyFunction(int key, const KeyAssignHalf& function) override;
    KeyPositionMaps PositionMaps() const;
    std::vector<int> EffectCodeList() const;
    uint8_t CurrentDeviceProfile() const { return deviceProfile_.load(); }
    std::filesystem::path ProfilePath() const;

    // Changes the system options as the page does (UI thread): the keyboard takes the block
    // first (when `toDevice`), then the profile is saved; on failure the options stay as they
    // were and `done` gets the reason (empty on success), in the user's language.
    void ChangeSystem(const KeyboardSystem& wanted, bool toDevice,
                      std::function<void(const QString& error)> done);

    uint16_t LastNotificationCode() const { return lastCode_.load(); }

  protected:
    // --- the frame on the picture and on the keyboard (keyboard_frame_stream.cpp)
    void PaintFrame(const lighting::LightFrame& frame) override;
    // The host-driven effects (29, 30) stream, on the keyboard's own cable only.
    bool StreamsFrames(int effectId) const override;
    size_t BuildStreamFrame(const lighting::LightFrame& frame,
                            std::array<uint8_t, DeviceLink::kMaxBlockSize>& out) const override;
    Result StreamFrame(const uint8_t* data, size_t length) override;

    std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const override;
    void OnNotificationCode(uint16_t code, bool receiver) override;
    std::string NotificationExitLine() const override;

  private:
    // First contact's reads: identity, block size, key table and key bytes, position maps.
    void ReadIdentityAndKeyTables();
    // The current profile's block into the light settings and flags; saved in the profile.
    void ReadSystemBlock();
    // Profile data in the model's lock; the model lock is held by the caller.
    [[nodiscard]] bool SaveLocked();
    void ApplyLightLocked();
    // The profile's sound style and colours into the drawing; the model lock is held.
    void ApplyAudioLightLocked();
    int MacroCount() const;

    // The page's system controls.
    void BindSystemControls();
    void ShowSystemControls();
    void ShowRepeatDelayLabel(int index);
    void OnFlagOption(QAbstractButton* option, uint16_t KeyboardSystem::*flag, bool checked);
    void OnPollingOption(int index);
    void OnRepeatDelay(int index);
    void OnRepeatRate(int value);
    void ApplyKeyLabel(int key, const QString& label);

    KeyboardOptions options_{*this};
    std::atomic<uint16_t> lastCode_{0};
    std::atomic<uint8_t> deviceProfile_{0};

    mutable std::recursive_mutex model_;
    CKeyboardProfiledata profile_;
    std::vector<KeyAssignRecord> keyList_;
    KeyboardSystem system_;
    LightInfoRecord lightInfo_;
    AudioLightRecord audioLight_;
    std::vector<int> effectCodes_;
    QStringList macroNames_;
    std::array<uint8_t, DeviceLink::kMaxBlockSize> keyTable_{};
    std::array<uint8_t, DeviceLink::kMaxBlockSize> keyBytes_{};
    KeyPositionMaps maps_;
    int keyCount_ = 0;
    SystemBlock lastBlock_{};

    // Controls of the page, looked up once.
    QPointer<QAbstractButton> winLockOption_, wKeyOption_, sixKeyOption_;
    std::array<QPointer<QAbstractButton>, 4> pollingOptions_{};
    std::array<QPointer<QAbstractButton>, 4> delayChecks_{};
    QPointer<QAbstractSlider> repeatSlider_;
    QPointer<QLabel> delayLabel_;
    QPointer<QLabel> rateLabel_;
    QPointer<QLineEdit> repeatInput_;
    QPointer<CMacroControlUI> macroControl_;
};

}  // namespace qx::devices
