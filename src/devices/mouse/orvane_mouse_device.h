// The mouse's device object (kinds 2 and 6): its page ("OrvaneMouseDevice"), command channel,
// notification threads, and what it keeps of the mouse: identity and DPI scale, key table and
// button map, the mirror of the current profile's block, and the profile's lighting, buttons,
// DPI stages and pointer options.
//
// Threads: exchanges with the mouse run on the device's worker; the page is touched on the UI
// thread only. The model is shared by both and guarded by one lock. Every exchange is gated:
// nothing is sent while the command interface is closed or, behind the receiver, while the
// receiver reports the mouse off.
#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "devices/base/orvane_usb_device.h"
#include "devices/mouse/mouse_block.h"
#include "devices/mouse/mouse_options.h"
#include "profiles/mouse_profiledata.h"

class QListWidget;

namespace qx::devices {

class CDpiPanel;
class CMacroControlUI;
class CMouseOptionPanel;
class CShootControlUI;

// The DPI stages, active stage and packed pointer words of the current profile.
struct MouseSettings {
    std::vector<DpiStageRecord> stages;
    int activeStage = 0;
    MouseSystemRecord system;
    int PollingIndex() const { return system.High(2); }
    void SetPollingIndex(int index) {
        system.words[2] = PackedWords::Pack(system.Low(2), static_cast<uint16_t>(index));
    }
    // Grows the list to hold stage i (new stages zero).
    DpiStageRecord& Stage(int i) {
        if (stages.size() <= static_cast<size_t>(i)) stages.resize(static_cast<size_t>(i) + 1);
        return stages[static_cast<size_t>(i)];
    }
};

class COrvaneMouseDevice : public COrvaneUSBDevice,
                           public ProfileCapability,
                           public KeyTableCapability,
                           public KeyAssignCapability {
    Q_OBJECT
  public:
    static constexpr int kReactiveEffect = 6;

    explicit COrvaneMouseDevice(HidBackend& backend);
    ~COrvaneMouseDevice() override;

    // --- the page (UI thread)
    void AttachPanel() override;
    void BuildPanel() override;
    void RefreshPanel() override;
    CDpiPanel* DpiPanel() const { return dpiPanel_.get(); }
    CMouseOptionPanel* OptionPanel() const { return optionPanel_.get(); }
    CShootControlUI* ShootPanel() const { return shootPanel_.get(); }

    // --- exchanges (worker)
    void FirstContact() override;
    void RefreshFromDevice() override;
    void PowerQuery() override;
    int PresenceQuery() override;
    int ApplyLighting() override;
    void StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) override;
    // The lighting in the mouse's block (what the lighting panel's change writes): the whole
    // block of profile 0.
    Result WriteLightingBlock() override;

    ProfileCapability* Profiles() override { return this; }
    KeyTableCapability* KeyTable() override { return this; }
    KeyAssignCapability* KeyAssign() override { return this; }
    OptionCapability* Options() override { return &options_; }

    // --- ProfileCapability
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
    int UploadMacros(const std::vector<int>& macros) override;
    void DropDanglingMacros() override;
    // The block at profile × 128 from the profile's values; bytes 0 and 59 from the caller.
    // The first failing step's result (-101 when the mouse is off behind its receiver), else 1.
    Result WriteSystemBlock(int profile, int currentProfileByte, int applyFlag, int screenWidth,
                            int screenHeight) override;

    // The four recoil files as one image, sent with the recoil command (worker). An image
    // larger than the recoil memory is not sent: `overflowBytes` says by how much.
    struct RecoilUpload {
        Result result = kResultFailed;
        size_t imageBytes = 0;
        size_t overflowBytes = 0;  // > 0: the image does not fit, nothing was sent
    };
    RecoilUpload UploadRecoil();

    // --- KeyAssignCapability (UI thread; KeyList below)
    QStringList MacroNames() const override;
    bool StoreKeyFunction(int key, const KeyAssignHalf& function) override;
    // The buttons' functions on the page: the rows of the button list and the key buttons'
    // tooltips.
    void RefreshKeyLabels() override;
    // The button list "device_setkeyinfo_list" (nullptr when the page has none).
    QListWidget* ButtonList() const;
    CMacroControlUI* MacroPanel() const;

    // --- the model (any thread)
    bool ProfileLoaded() const;
    std::filesystem::path ProfilePath() const;
    MouseSettings Settings() const;
    LightInfoRecord LightInfo() const;
    std::vector<KeyAssignRecord> KeyList() const override;
    std::vector<uint8_t> ButtonMap() const;
    DpiScale Scale() const;
    std::array<uint8_t, kMouseBlockRead> Mirror() const;
    std::vector<int> EffectCodeList() const;
    // The profile the mouse reported last.
    int CurrentProfile() const { return profile_.load(); }
    std::pair<int, int> ScreenSize() const { return {screenWidth_, screenHeight_}; }

    // Changes the settings as the page does (UI thread): `edit` runs on the worker over the
    // current settings, the profile is saved, then (when `toDevice`) the block is written.
    // `done` runs on the UI thread with an empty text, or why the profile or the mouse did not
    // take it (in the user's language). The profile keeps a change the mouse did not take.
    using Done = std::function<void(const QString& error)>;
    void ChangeSettings(std::function<void(MouseSettings&)> edit, bool toDevice, Done done);

    // Where the panel's colour button takes the stage colour from: a function that asks the
    // user for a colour, preset with the current one (nullopt: cancelled). Defaults to none:
    // the colour buttons then do nothing but say so.
    using ColourPicker = std::function<void(QColor current, std::function<void(QColor)> chosen)>;
    void SetColourPicker(ColourPicker picker);
    const ColourPicker& GetColourPicker() const { return colourPicker_; }

    // Text of a write result for the user ("" for success).
    static QString ResultText(Result result);

  protected:
    std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const override;
    void OnNotificationCode(uint16_t code, bool receiver) override;
    std::string NotificationExitLine() const override;

  private:
    // The button list, the key assignment panel, the macro editor and the picture's rubber band
    // (orvane_mouse_keys.cpp).
    void BuildKeyPanels();
    void ShowButtonRow(int button, const QString& title, const QString& text, bool shown);
    void OnPictureSelection();
    // Link open and, behind the receiver, the mouse reported on (worker).
    bool Gate();
    Result GateResult();
    void ReadIdentityAndKeyTable();
    [[nodiscard]] bool SaveLocked();
    void ApplyLightLocked();
    void StoreSettingsLocked(const MouseSettings& settings);
    int MacroCount() const;

    MouseOptions options_{*this};
    std::atomic<int> profile_{0};
    int screenWidth_ = 0;
    int screenHeight_ = 0;

    mutable std::recursive_mutex model_;
    CMouseProfiledata profileData_;
    bool loaded_ = false;
    std::vector<KeyAssignRecord> keyList_;
    MouseSettings settings_;
    LightInfoRecord lightInfo_;
    std::vector<int> effectCodes_;
    QStringList macroNames_;
    std::vector<uint8_t> keyTable_;
    std::vector<uint8_t> buttonMap_;
    int keyCount_ = 0;
    DpiScale scale_;
    std::array<uint8_t, kMouseBlockRead> mirror_{};

    ColourPicker colourPicker_;
    std::unique_ptr<CDpiPanel> dpiPanel_;
    std::unique_ptr<CMouseOptionPanel> optionPanel_;
    std::unique_ptr<CShootControlUI> shootPanel_;
    QPointer<QListWidget> buttonList_;
    QPointer<CMacroControlUI> macroControl_;
};

}  // namespace qx::devices
