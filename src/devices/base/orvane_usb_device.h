// The base of every device object: the owner of everything that belongs to one physical device
// (its command and notification interfaces, its worker, identity, lighting engine, notification
// threads) and the holder of the device's page in the main window, which the skin loader built.
// It is not a widget: the device logic runs without a display, and its page may be gone.
//
// Threads: the UI thread calls the public operations; every exchange with the device runs on
// the device's worker (Post), whose results come back to the UI thread (OnUiThread). The
// notification threads read the notification interfaces and hand their codes to the family.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/device_kind.h"
#include "devices/base/device_capabilities.h"
#include "devices/base/device_families.h"
#include "devices/base/device_worker.h"
#include "devices/base/notification_thread.h"
#include "devices/slot_table.h"
#include "hid/device_link.h"
#include "lighting/light_frame.h"
#include "lighting/light_settings.h"
#include "lighting/light_thread.h"
#include "lighting/lighting_engine.h"
#include "profiles/profile_records.h"
#include "ui/notify.h"

namespace qx {
class CBasicProfiledata;
}
namespace qx::ui {
class PaintManager;
}

namespace qx::devices {

class CDeviceOptionUI;
class CLedPictureUI;
class CMpDevicePowerUI;
class CLightControlUI;

class COrvaneUSBDevice : public QObject {
    Q_OBJECT
  public:
    using KeyNameMap = std::map<int, std::string>;
    static constexpr size_t kIdentitySize = 34;
    static constexpr size_t kFadeCount = 170;

    // The device's interfaces are reached through `backend` (hidraw, or the simulated bus).
    explicit COrvaneUSBDevice(HidBackend& backend, DeviceKind kind = DeviceKind::KeyboardWired);
    ~COrvaneUSBDevice() override;

    // --- the page
    // Takes the page the skin loader built for this device (nullptr: no page) and its family's
    // row: counts, names, battery flag, model index; then AttachPanel when there is a page.
    void Setup(const DeviceFamilyRow& family, QWidget* page);
    QWidget* Page() const { return page_; }
    const DeviceFamilyRow* Family() const { return family_; }
    // Binds the page's picture: key and LED buttons of its "SelectPanel".
    virtual void AttachPanel();
    // The family's panels (called by its AttachPanel).
    virtual void BuildPanel();
    // Shows what the device and its profile hold now (UI thread).
    virtual void RefreshPanel();
    virtual void SetFunctionPage(int page);
    int GetFunctionPage() const { return page_number_.load(); }
    void SelectButton(int index) { selectedKey_ = index; }
    int SelectedKey() const { return selectedKey_; }
    void SetKeyNameMap(const KeyNameMap& map) { keyNameMaps_[2] = map; }

    // --- exchanges (worker thread)
    // Contact once the device is open (the contact timer): the first of this run takes what the
    // device holds (FirstContact); a later one (a replug, a move between cable and receiver)
    // meets a device that may have lost its settings, so the family reads only what it needs to
    // talk to it (ContactAgain) and the profile is written to the device again (RestoreSettings).
    void Contact();
    virtual void FirstContact();
    virtual void RefreshFromDevice();
    virtual void PowerQuery();
    virtual int PresenceQuery();  // 1 reachable (the base is always reachable)
    virtual int ApplyLighting();

    // --- capabilities (nullptr when the family has none)
    virtual ProfileCapability* Profiles() { return nullptr; }
    virtual KeyTableCapability* KeyTable() { return nullptr; }
    virtual KeyAssignCapability* KeyAssign() { return nullptr; }
    virtual AudioLightCapability* AudioLight() { return nullptr; }
    virtual OptionCapability* Options() { return nullptr; }

    // --- the worker
    // Queues an exchange; false once the device is being torn down.
    bool Post(DeviceWorker::Job job) { return worker_.Post(std::move(job)); }
    DeviceWorker& Worker() { return worker_; }
    // Runs `action` on the UI thread, later (from any thread); dropped when the device is gone.
    void OnUiThread(std::function<void()> action);

    // --- interfaces, all opened and closed on the worker
    // Opens the command interface of the slot's side and takes its slot record (`record` is
    // the record the device is known by: for a receiver with a partner, the partner's). `done`
    // gets the result on the UI thread.
    void OpenCommand(const DeviceSlot& slot, const DeviceSlot& record,
                     std::function<void(bool opened)> done);
    // Cuts a running exchange short, drops pending ones and closes both command interfaces.
    void CloseCommand();
    // Moves the device to its other path (cable <-> receiver) at `path`; `done` gets the result
    // on the UI thread, after the presence and power queries of the new side.
    void SwitchConnection(const std::string& path, std::function<void(bool opened)> done);
    // Opens a notification interface (the receiver's for kinds 6 and 9, else the cable's) and
    // starts its thread. False when the interface does not open.
    bool OpenNotificationInterface(const std::string& path, DeviceKind kind);
    // Stops that interface's thread, then closes it.
    void CloseNotificationInterface(bool receiver);
    bool NotificationOpen(bool receiver) const;
    // Stops both notification threads, the worker (cutting its exchange short) and closes
    // every interface: removal from the window and exit.
    void Shutdown();

    // --- state
    void AssignSlot(const DeviceSlot& slot);
    const DeviceSlot& Slot() const { return slot_; }
    DeviceKind Kind() const { return kind_; }
    InterfaceRole Role() const { return role_; }
    bool Online() const { return commandLink_.IsOpen(); }
    bool Receiver() const { return receiver_.load(); }

    // Writes the selected profile into the device again, as selecting it does, then the lighting
    // block, and wakes the light thread: after a replug and after the machine woke up, when the
    // device may have lost what it was given. Nothing while it is off-line. UI thread.
    void RestoreSettings();

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
    void SetSynchronisedLighting(bool on) {
        synchronisedLighting_.store(on);
        WakeLightThread();
    }
    bool SynchronisedLighting() const { return synchronisedLighting_.load(); }

    void SetDeviceEntry(CDeviceOptionUI* entry);
    CDeviceOptionUI* DeviceEntry() const;
    void SetPowerControl(CMpDevicePowerUI* power);
    CMpDevicePowerUI* PowerControl() const;
    void SetProfileListIndex(int index);
    int ProfileListIndex() const { return profileListIndex_; }
    // Receives the notifications of the controls of its own page.
    void SetPaintManager(ui::PaintManager* paintManager);
    // The window's toolkit side: panels subscribe to their controls' notifications with it
    // (OnNotify) and run their timers on it. nullptr before the device is in a window.
    ui::PaintManager* Manager() const;

    QString PageFile() const;
    void SetProfileId(const QString& id) { profileId_ = id; }
    const QString& ProfileId() const { return profileId_; }
    const std::string& DeviceFolderName() const { return folderName_; }
    int KeyCount() const { return static_cast<int>(keyButtons_.size()); }
    int LedCount() const { return static_cast<int>(ledButtons_.size()); }
    bool HasBattery() const { return battery_; }
    int DeviceListIndex() const { return deviceListIndex_; }
    int GetModelIndex() const { return modelIndex_; }

    DeviceLink& CommandLink() { return commandLink_; }
    DeviceLink& NotificationLink() { return notificationLink_; }
    const std::array<uint8_t, kIdentitySize>& Identity() const { return identity_; }

    // The user's folder of this family (created when missing) and the shipped defaults.
    std::filesystem::path UserDeviceFolder() const;
    static std::filesystem::path DefaultDataFolder();
    std::filesystem::path DefaultProfilePath() const;

    const std::vector<QPointer<QWidget>>& KeyButtons() const { return keyButtons_; }
    const std::vector<QPointer<QWidget>>& LedButtons() const { return ledButtons_; }
    QWidget* SelectPanel() const { return selectPanel_; }

    // --- lighting
    // The device's lighting engine (the kind's effects; created with the LED count).
    lighting::LightingEngine* Lighting() const { return lighting_.get(); }
    // Runs one step of the engine under its lock with the device's light settings.
    void RunLightingStep(const std::function<void(lighting::LightingEngine&)>& step);
    // colour word: red | green << 8 | blue << 16; level word: the level (0-255).
    void SetLed(int index, uint32_t colour, uint32_t level);
    std::pair<uint32_t, uint32_t> GetLed(int index) const;
    int StepDecay(int led, int mode);
    void StartDecayGroup();
    void RotateRing(int direction);
    void ClearDecay();
    // Paints the picture from the frame (PaintFrame). False when the frame did not change since
    // the last push (the frame timer then rests until the next change).
    bool PushFrame();
    // A copy of the frame as the effects left it.
    lighting::LightFrame Frame() const;
    std::array<uint8_t, kFadeCount> FadeCounters() const;
    lighting::LightSettings& Light() { return light_; }
    // A family may keep the settings elsewhere too (the keyboard: in its profile).
    virtual void StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3);
    // Any thread: the window reads them while the worker stores what the device holds.
    std::array<uint32_t, 4> GetLightSettings() const;

    // --- lighting changes (device_light_change.cpp)
    // The light settings as the profile's "LightInfo" record (UI thread).
    LightInfoRecord LightRecord() const;
    // One change of the lighting, the same for every family, whoever makes it (the lighting
    // panel, the bus, the synchronised lighting): the record is stored as the light settings
    // (and the profile's "LightInfo"), then on the worker the profile is saved, the lighting
    // applied and the family's lighting block written. `done` gets the outcome on the UI thread
    // (an empty text on success, else the reason in the user's language); without `done` a
    // failure is shown to the user. UI thread.
    using LightChangeDone = std::function<void(const QString& error)>;
    void ChangeLighting(const LightInfoRecord& record, LightChangeDone done = {});
    // Writes the lighting settings into the device's own settings (worker). The base has no
    // lighting block and succeeds without a write; a family with one overrides it.
    virtual Result WriteLightingBlock();
    // What a device may have lost beyond its profile and lighting block, written again after a
    // replug or a wake-up (worker). Nothing in the base.
    virtual void RestoreExtraSettings() {}
    // Called by the worker when an open starts a new first contact: lighting changes made
    // until that contact is over are held and applied at its end (the device's settings are
    // not known before, and first contact would read over them).
    void ExpectFirstContact();
    // Forgets the held lighting changes (the device goes away).
    void DropHeldLightChanges();
    // Answers every change up to `lastId` not finished yet with a failure (the device went
    // away). UI thread, once no job of the worker can still finish them.
    void AnswerUnfinishedLightChanges(uint64_t lastId = UINT64_MAX);
    // The page's lighting panel (nullptr when the page has none).
    CLightControlUI* LightPanel() const;
    // Shows the current light settings and the effect list on the lighting panel (UI thread).
    void RefreshLightPanel();

  signals:
    // The device's light settings changed or were shown anew: changed, read from the device or
    // taken from a profile (UI thread).
    void LightingShown();
    // The frame changed while the frame timer rested (any thread; delivered on the UI thread).
    void FrameChanged();

  protected:
    // A later contact's reads (worker): the base reads as first contact does. A family whose
    // first contact takes the device's settings into the profile reads less, so that a device
    // that lost them does not overwrite the profile that is about to be written back.
    virtual void ContactAgain() { FirstContact(); }
    // The family's reaction to a notification code; runs on the notification thread.
    virtual void OnNotificationCode(uint16_t code, bool receiver);
    // The family's handling of a notification of the controls of its own page (UI thread): the
    // device subscribes to its page, so other devices' controls never reach it.
    virtual void HandleNotify(ui::TNotifyUI& msg);
    // The diagnostic line a notification thread writes when it ends.
    virtual std::string NotificationExitLine() const;
    // The kind's lighting engine: base steps, fades and ring of every kind, and its effects.
    virtual std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const;

    // Asks the device's list entry to run RefreshFromDevice after `delayMs` (any thread).
    void RequestRefresh(int delayMs);
    // Runs `RefreshPanel` on the UI thread (from any thread).
    void RequestPanelRefresh();
    // Begin, identity, end, while the command channel is open (worker). The identity result.
    Result ReadIdentity();
    // Keeps an identity block that a family's own read sequence got (worker).
    void StoreIdentity(const std::array<uint8_t, kIdentitySize>& identity) { identity_ = identity; }
    // The shared keyboard and mouse queries: only behind the receiver, on-line and not hidden.
    void ReceiverPowerQuery();
    int ReceiverPresenceQuery();
    // Reads the power record (no presence gate) and hands it to the power control.
    void ReadAndShowPowerRecord();
    // Marks the frame written and wakes the frame timer when it rests.
    void NoteFrameWritten();

    // --- the profile files every family keeps alike (device_profile_files.cpp)
    // Points `data` at the current profile's file, the shipped default and the family's light
    // configuration. Without a profile named yet, the profile list's selection becomes the
    // current one (the list is made from the shipped profile when the folder has none); an
    // identifier that is not a plain file name leaves `data` as it was. `who` names the device
    // in diagnostics ("the keyboard").
    void PointProfileData(CBasicProfiledata& data, const char* who);
    // The "profilename" of the profile file `data` is pointed at (empty when unreadable).
    static QString ProfileNameOf(const CBasicProfiledata& data);
    // This model's effect codes: the "value" of each effect of its row of the shipped
    // "default_light.json" (empty when the list is missing or damaged).
    std::vector<int> ModelEffectCodes() const;
    // The names of the macros in the family's macro list, in order.
    QStringList MacroListNames() const;

    std::unique_ptr<lighting::LightingEngine> lighting_;
    lighting::LightSettings light_;

  private:
    void ResizeFrame(int ledCount);
    // Binds the page's lighting panel, when it has one (Setup).
    void BindLightPanel();
    // Subscribes to the notifications of the page's controls once both page and manager exist.
    void SubscribePage();
    // The worker's part of OpenCommand and SwitchConnection.
    bool OpenSide(LinkSide side, const std::string& path);

    DeviceLink commandLink_;
    DeviceLink notificationLink_;
    NotificationThread cableThread_;
    NotificationThread receiverThread_;
    std::atomic<bool> receiver_{false};
    std::array<uint8_t, kIdentitySize> identity_{};

    const DeviceFamilyRow* family_ = nullptr;
    QPointer<QWidget> page_;
    QPointer<ui::PaintManager> paintManager_;
    QPointer<CDeviceOptionUI> entry_;
    QPointer<CMpDevicePowerUI> power_;
    QPointer<QWidget> selectPanel_;
    QPointer<QWidget> functionSwitch_;
    QPointer<QWidget> keyFunctionSwitch_;
    bool switchesLookedUp_ = false;

    QString profileId_;
    std::string folderName_;
    DeviceKind kind_;
    InterfaceRole role_ = InterfaceRole::Command;
    DeviceSlot slot_;
    int modelIndex_ = 0;
    std::atomic<int> page_number_{1};
    int selectedKey_ = -1;
    int deviceListIndex_ = -1;
    int profileListIndex_ = 0;
    bool battery_ = false;

    std::vector<QPointer<QWidget>> keyButtons_;
    std::vector<QPointer<QWidget>> ledButtons_;
    std::array<KeyNameMap, 3> keyNameMaps_;
    mutable std::mutex lightWordsMutex_;
    std::array<uint32_t, 4> lightWords_{};
    // Lighting changes made between an open and the end of its first contact (worker).
    struct HeldLightChange {
        std::optional<LightInfoRecord> record;
        std::vector<uint64_t> changes;
        bool awaitingContact = false;
    };
    std::mutex heldMutex_;
    HeldLightChange held_;
    // Lighting changes not answered yet, by number (UI thread).
    std::map<uint64_t, LightChangeDone> lightChanges_;
    uint64_t lastLightChange_ = 0;
    // Answers the changes `changes` with `error` (empty: success) and forgets them (UI thread).
    void FinishLightChanges(const std::vector<uint64_t>& changes, const QString& error);
    // Stores, saves, applies and writes `record` (worker); the outcome goes to every change.
    void RunLightChange(const LightInfoRecord& record, std::vector<uint64_t> changes);
    // At the end of first contact: the change held meanwhile is applied over what it read.
    void ApplyHeldLightChange();
    // Set once an effect wrote the frame: until then the picture keeps the lights AttachPanel
    // gave it instead of showing the cleared frame.
    std::atomic<bool> frameWritten_{false};
    // Frames written since the last push; the frame timer rests while it stays unchanged.
    std::atomic<uint64_t> frameGeneration_{0};
    uint64_t pushedGeneration_ = 0;
    std::atomic<bool> frameTimerResting_{true};
    std::atomic<bool> lightingControl_{false};
    std::atomic<bool> contacted_{false};  // a contact ran on an open channel in this run
    std::atomic<bool> windowActive_{false};
    std::atomic<bool> hidden_{false};
    std::atomic<bool> severalOnline_{false};
    std::atomic<bool> synchronisedLighting_{false};
    QPointer<CLightControlUI> lightPanel_;

    DeviceWorker worker_;

    // --- light thread (device_light_thread.cpp)
  public:
    // Starts the device's light thread, stopping a running one first (at the end of first
    // contact, on every open). It steps the effect at its speed, hands each changed frame to
    // the picture and, where the device takes frames, to the device on the worker; it rests
    // while the channel is closed, while the device takes part in synchronised lighting, while
    // nothing would see the frame, and while the effect stands still.
    void StartLightThread();
    // Sets the thread's exit event and joins it (Shutdown does this too).
    void StopLightThread();
    // Ends the thread's rest: something it draws from changed.
    void WakeLightThread();
    bool LightThreadRunning() const;
    // Passes the thread ran since its start (tests and measurements).
    uint64_t LightPasses() const;
    // Whether the device's picture is on screen (its page shown in a shown window).
    bool PictureShown() const;
    // Frames the device took, frames replaced by a newer one before they were sent, and
    // failed sends (each followed by a 200 ms pause of the stream).
    struct StreamCounts {
        uint64_t sent = 0;
        uint64_t dropped = 0;
        uint64_t failed = 0;
    };
    StreamCounts StreamStatistics() const;
    // Whether the cable's notification thread is parked (frames stream): the light thread then
    // takes the notifications.
    bool NotificationsParked() const { return cableThread_.Parked(); }

  protected:
    // Paints the picture's buttons from the frame (UI thread): the base paints the LED buttons.
    virtual void PaintFrame(const lighting::LightFrame& frame);
    // Hands the LED buttons' lights to the widget that draws them (made on first use; UI thread).
    void FollowLedPicture();

  public:
    // The widget drawing the picture's LEDs; null before the light thread first started.
    CLedPictureUI* LedPicture() const;

  protected:
    // Whether frames of the effect go to the device now (light thread); the base: when the
    // family streams (HostStreaming) and the device is not behind its receiver.
    virtual bool StreamsFrames(int effectId) const;
    virtual bool HostStreaming() const { return false; }
    // The frame as the device takes it into `out`; the number of bytes to send. The base:
    // 3 bytes per LED, each channel scaled by the LED's level.
    virtual size_t BuildStreamFrame(const lighting::LightFrame& frame,
                                    std::array<uint8_t, DeviceLink::kMaxBlockSize>& out) const;
    // Sends one frame (worker, or the light thread while the worker is idle). 1 when the device
    // took it; anything else pauses the stream for 200 ms. The base: the light-data write.
    virtual Result StreamFrame(const uint8_t* data, size_t length);

  private:
    struct LightThreadState;
    static std::shared_ptr<LightThreadState> MakeLightThreadState();
    lighting::LightThread::Next LightPass();
    lighting::LightThread::Next StepLighting();
    // Hands a computed frame to the worker: a frame not sent yet is replaced (light thread).
    void OfferStreamFrame(const lighting::LightFrame& frame);
    void QueueStreamJob();
    void RunStreamJob();
    void WatchPicture();
    std::shared_ptr<LightThreadState> lightThread_ = MakeLightThreadState();
};

// Whether a control is of a skin class ("SelectPanel", "DeviceKeyButton", ...), whatever the
// C++ name of the class that made it.
bool IsSkinClass(const QWidget* control, const char* skinClass);

}  // namespace qx::devices
