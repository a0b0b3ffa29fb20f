// The base of every device object: the device's page in the main window (a container built from
// the family's page skin) and the owner of everything that belongs to one physical device: its
// command and notification interfaces, identity, lighting frame, notification threads. The
// protocol side works without a display; widgets are touched on the UI thread only.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/device_kind.h"
#include "devices/base/notification_thread.h"
#include "devices/slot_table.h"
#include "hid/device_link.h"
#include "lighting/light_frame.h"
#include "lighting/light_settings.h"
#include "lighting/lighting_engine.h"
#include "profiles/profile_records.h"
#include "ui/notify.h"

namespace qx::ui {
class PaintManager;
}

namespace qx::devices {

class CDeviceOptionUI;
class CMpDevicePowerUI;

class COrvaneUSBDevice : public QWidget, public ui::INotifyUI {
    Q_OBJECT
  public:
    using KeyNameMap = std::map<int, std::string>;
    static constexpr size_t kIdentitySize = 34;
    static constexpr size_t kRingSize = 23;
    static constexpr size_t kFadeCount = 170;

    explicit COrvaneUSBDevice(QWidget* parent = nullptr);
    ~COrvaneUSBDevice() override;

    // --- virtual operations, in their fixed order
    virtual void AttachPanel();
    virtual int ApplyLighting();
    virtual void StepBreathing();
    virtual void StepFourColourBreathing();
    virtual void StepStatic();
    virtual void StepColourCycle();
    virtual void StepBlink();
    virtual void StepFourColourBlink();
    virtual void StepOff();
    virtual void PushFrame();
    // colour word: red | green << 8 | blue << 16; level word: the level (0-255).
    virtual void SetLed(int index, uint32_t colour, uint32_t level);
    virtual std::pair<uint32_t, uint32_t> GetLed(int index) const;
    virtual void FirstContact();
    virtual void RefreshFromDevice();
    virtual void SpareOperation1();
    virtual void SpareOperation2();
    virtual void PowerQuery();
    virtual int PresenceQuery();
    virtual int LoadProfile();
    virtual void RefreshPanel();
    virtual void DropDanglingMacros();
    virtual void ReloadProfile();
    virtual std::vector<int> CollectMacros();
    virtual int WriteKeyTable(int profile, const std::vector<KeyAssignRecord>& keyList);
    virtual int WriteKeyTableFromProfile();
    virtual int UploadMacros(const std::vector<int>& macros);
    virtual int WriteSystemBlock(int profile, int a, int b, int c, int d);
    virtual void ReloadPanelLists();
    virtual void SetKeyNameMap(const KeyNameMap& map);
    virtual int StepDecay(int led, int mode);
    virtual void StartDecayGroup();
    virtual void RotateRing(int direction);
    virtual void ClearDecay();
    virtual void SetFunctionPage(int page);
    virtual int GetFunctionPage() const;
    virtual void SetProfilePaths();
    virtual QString GetProfileName() const;
    virtual void SaveProfile();
    virtual void SetModelIndex(int index);
    virtual int GetModelIndex() const;
    virtual void StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3);
    virtual void StoreAudioLightSettings(int a, int b, int c);
    virtual std::array<int, 3> GetAudioLightSettings();
    virtual void SelectButton(int index);
    virtual void FeedAudioLevels(const uint8_t* levels, size_t count);
    virtual void FeedAudioBands(const uint8_t* bands, size_t count);
    // Added by every family after the operations above.
    virtual void BuildPanel();
    virtual std::array<uint32_t, 4> GetLightSettings() const;

    // --- non-virtual operations
    // Keeps the slot record of the command interface; kind and role follow it.
    void AssignSlot(const DeviceSlot& slot);
    const DeviceSlot& Slot() const { return slot_; }
    DeviceKind Kind() const { return kind_; }
    void SetKind(DeviceKind kind) { kind_ = kind; }
    InterfaceRole Role() const { return role_; }

    // Host lighting control; switching on resumes the lighting of a keyboard on its own cable.
    void SetLightingControl(bool on);
    bool LightingControl() const { return lightingControl_.load(); }
    void SetWindowActive(bool active) { windowActive_.store(active); }
    bool WindowActive() const { return windowActive_.load(); }
    // A hidden device (window in the tray) skips its power queries.
    void SetHidden(bool hidden) { hidden_.store(hidden); }
    bool Hidden() const { return hidden_.load(); }

    // Whether more than one device is on-line (synchronised lighting is offered then), and
    // whether this device takes part in synchronised lighting.
    void SetSeveralOnline(bool several) { severalOnline_.store(several); }
    bool SeveralOnline() const { return severalOnline_.load(); }
    void SetSynchronisedLighting(bool on) { synchronisedLighting_.store(on); }
    bool SynchronisedLighting() const { return synchronisedLighting_.load(); }

    void SetDeviceEntry(CDeviceOptionUI* entry);
    CDeviceOptionUI* DeviceEntry() const;
    void SetPowerControl(CMpDevicePowerUI* power);
    CMpDevicePowerUI* PowerControl() const;
    void SetProfileListIndex(int index);
    int ProfileListIndex() const { return profileListIndex_; }
    // Receives the window's notifications (registers with its paint manager).
    void SetPaintManager(ui::PaintManager* paintManager);

    void SetPageFile(const QString& file) { pageFile_ = file; }
    const QString& PageFile() const { return pageFile_; }
    void SetProfileId(const QString& id) { profileId_ = id; }
    const QString& ProfileId() const { return profileId_; }
    void SetDeviceFolderName(const std::string& name) { folderName_ = name; }
    const std::string& DeviceFolderName() const { return folderName_; }
    void SetLightConfigName(const std::string& name) { lightConfigName_ = name; }
    const std::string& LightConfigName() const { return lightConfigName_; }
    // Both resize and clear the button lists, the frame and the fade counters.
    void SetKeyCount(int count);
    void SetLedCount(int count);
    int KeyCount() const { return static_cast<int>(keyButtons_.size()); }
    int LedCount() const { return static_cast<int>(ledButtons_.size()); }
    void SetBattery(bool battery);
    bool HasBattery() const { return battery_; }
    void SetDeviceListIndex(int index) { deviceListIndex_ = index; }
    int DeviceListIndex() const { return deviceListIndex_; }
    int SelectedKey() const { return selectedKey_; }

    // Receiver flag: the device is reached through its 2.4 GHz receiver.
    void SetReceiver(bool receiver) { receiver_.store(receiver); }
    bool Receiver() const { return receiver_.load(); }

    DeviceLink& CommandLink() { return commandLink_; }
    DeviceLink& NotificationLink() { return notificationLink_; }
    const std::array<uint8_t, kIdentitySize>& Identity() const { return identity_; }

    // The user's folder of this family (created when missing) and the shipped defaults.
    std::filesystem::path UserDeviceFolder() const;
    static std::filesystem::path DefaultDataFolder();
    std::filesystem::path DefaultProfilePath() const;

    // Opens a notification interface (the receiver's for kinds 6 and 9, else the cable's) and
    // starts its thread. False when the interface does not open.
    bool OpenNotificationInterface(const std::string& path, DeviceKind kind);
    // Stops that interface's thread, then closes it.
    void CloseNotificationInterface(bool receiver);
    bool NotificationOpen(bool receiver) const;
    void StopNotificationThreads();
    // Closes both command interfaces and clears the open flag.
    void CloseCommandInterfaces();

    const std::vector<QPointer<QWidget>>& KeyButtons() const { return keyButtons_; }
    const std::vector<QPointer<QWidget>>& LedButtons() const { return ledButtons_; }
    QWidget* SelectPanel() const { return selectPanel_; }
    // A copy of the frame as the effects left it.
    lighting::LightFrame Frame() const;
    // The fade counters (the effect state's levels) and the 23-byte ring of the lighting.
    std::array<uint8_t, kFadeCount> FadeCounters() const;
    std::array<uint8_t, kRingSize>& Ring();
    lighting::LightSettings& Light() { return light_; }
    // The device's lighting engine (the kind's effects; created with the LED count).
    lighting::LightingEngine* Lighting() const { return lighting_.get(); }

    // INotifyUI: only notifications of this device's own controls are handled.
    void Notify(ui::TNotifyUI& msg) override;

  protected:
    // The family's reaction to a notification code; runs on the notification thread.
    virtual void OnNotificationCode(uint16_t code, bool receiver);
    // The family's handling of a notification of its own controls (UI thread).
    virtual void HandleNotify(ui::TNotifyUI& msg);
    // The diagnostic line a notification thread writes when it ends.
    virtual std::string NotificationExitLine() const;
    // Asks the device's list entry to run RefreshFromDevice after `delayMs` (any thread: the
    // request is handed to the UI thread).
    void RequestRefresh(int delayMs);
    // Runs `RefreshPanel` on the UI thread (from any thread).
    void RequestPanelRefresh();
    // Begin, identity, end, while the command channel is open. The command result.
    int ReadIdentity();
    // The shared keyboard and mouse queries: only behind the receiver, on-line and not hidden.
    void ReceiverPowerQuery();
    int ReceiverPresenceQuery();
    // Reads the power record (no presence gate) and hands it to the power control.
    void ReadAndShowPowerRecord();
    void ShowPowerRecord(const uint8_t* record, size_t length);

    // The kind's lighting engine: base steps, fades and ring of every kind, and the kind's own
    // effects. The keyboard's engine is the keyboard lighting, the mouse's the mouse preview...
    virtual std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const;
    // Runs `step` on the engine under its lock, with the device's light settings.
    template <class Step>
    void RunLightingStep(Step&& step) {
        if (!lighting_) return;
        lighting_->ApplySettings(light_);
        lighting_->WithState(step);
        frameWritten_.store(true);
    }

    std::unique_ptr<lighting::LightingEngine> lighting_;
    // Set once an effect wrote the frame: until then the picture keeps the lights AttachPanel
    // gave it instead of showing the cleared frame.
    std::atomic<bool> frameWritten_{false};
    // The LED effect list and the timed effects live in the engine, under its own two locks.
    lighting::LightSettings light_;

  private:
    void ResizeFrame();

    DeviceLink commandLink_;
    DeviceLink notificationLink_;
    std::atomic<bool> receiver_{false};
    std::atomic<bool> notificationCableOpen_{false};
    std::atomic<bool> notificationReceiverOpen_{false};
    NotificationThread cableThread_;
    NotificationThread receiverThread_;
    std::array<uint8_t, kIdentitySize> identity_{};

    QPointer<ui::PaintManager> paintManager_;
    QPointer<CDeviceOptionUI> entry_;
    QPointer<CMpDevicePowerUI> power_;
    QPointer<QWidget> selectPanel_;
    QPointer<QWidget> functionSwitch_;
    QPointer<QWidget> keyFunctionSwitch_;
    bool switchesLookedUp_ = false;

    QString pageFile_;
    QString profileId_;
    QString secondProfileString_;
    std::string folderName_;
    std::string lightConfigName_;
    DeviceKind kind_ = DeviceKind::KeyboardWired;
    InterfaceRole role_ = InterfaceRole::Command;
    DeviceSlot slot_;
    int modelIndex_ = 0;
    std::atomic<int> page_{1};
    int selectedKey_ = -1;
    int deviceListIndex_ = -1;
    int profileListIndex_ = 0;
    int refreshValue_ = 0;
    bool battery_ = false;
    bool showPicture_ = true;
    bool secondDisplayFlag_ = true;

    std::vector<QPointer<QWidget>> keyButtons_;
    std::vector<QPointer<QWidget>> ledButtons_;
    std::array<KeyNameMap, 3> keyNameMaps_;
    std::array<uint32_t, 4> lightWords_{};
    std::array<int, 3> audioLight_{};
    std::atomic<bool> lightingControl_{false};
    std::atomic<bool> windowActive_{false};
    std::atomic<bool> hidden_{false};
    std::atomic<bool> severalOnline_{false};
    std::atomic<bool> synchronisedLighting_{false};
};

// Whether a control is of a skin class ("SelectPanel", "DeviceKeyButton", ...), whatever the
// C++ name of the class that made it.
bool IsSkinClass(const QWidget* control, const char* skinClass);

}  // namespace qx::devices
