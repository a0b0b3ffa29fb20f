// The program's one top-level window: hosts the skinned page with the device list and pages, owns
// the slot table, the worker threads, the device list and the tray icon, and routes every
// notification of its page and every message (private, registered, from other programs) to the
// device or panel that handles it.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/audio_feed.h"
#include "app/copy_data.h"
#include "app/worker_table.h"
#include "devices/discovery_thread.h"
#include "devices/slot_table.h"
#include "settings/update_service.h"
#include "ui/custom_message.h"
#include "ui/notify.h"

class QSystemTrayIcon;

namespace qx::ui {
class PaintManager;
class SkinLoader;
}  // namespace qx::ui

namespace qx::devices {
class DeviceListController;
class COrvaneUSBDevice;
}  // namespace qx::devices

namespace qx::settings {
class CSetWnd;
class CAboutWnd;
class CSkinFrame;
}  // namespace qx::settings

namespace qx::app {

class TrayMenuWnd;
class LightSync;

struct MainWndOptions {
    // The size of the monitor the window is on; empty: asked from the window's screen.
    std::function<QSize()> monitorSize;
    // The update service the settings window asks (empty: the address from the environment).
    std::function<UpdateService()> updateService;
    // Start the discovery thread at "windowinit" (tests of the routing alone may leave it off).
    bool startDiscovery = true;
    // Whether the desktop shows tray icons (where it does not, closing the window ends the
    // program: a hidden window could not be brought back). Empty: asked from the desktop.
    std::function<bool()> trayAvailable;
    // The backend the devices are reached through (nullptr: the machine's hidraw nodes).
    HidBackend* backend = nullptr;
    // The supported-device rows discovery matches (the simulation of every kind gives the
    // receiver, mouse and pad rows the simulator's identities).
    std::vector<SupportedDeviceRow> supportedRows{kSupportedDevices.begin(),
                                                  kSupportedDevices.end()};
};

class CMainWnd : public QWidget,
                 public ui::CustomMessageHandler,
                 public CopyDataReceiver,
                 public DiscoveryOwner {
    Q_OBJECT
  public:
    // Window timers.
    static constexpr int kFitTimer = 1011;
    static constexpr int kTrayMenuTimer = 1032;
    static constexpr int kGameRestoreTimer = 1066;
    static constexpr int kGameRestoreDelayMs = 5000;
    // Mouse events on the tray icon (lParam of kTrayIcon).
    static constexpr qintptr kLButtonUp = 0x0202;
    static constexpr qintptr kRButtonUp = 0x0205;

    explicit CMainWnd(MainWndOptions options = {}, QWidget* parent = nullptr);
    ~CMainWnd() override;

    // Loads the page ("main.ui"), wires it and runs InitWindow and "windowinit". The window stays
    // hidden until the first discovery pass is done. False (with LastError()) when the page can't
    // be loaded.
    bool Create();
    QString LastError() const { return lastError_; }

    // Ends the program's window: stops the workers, removes the tray icon, then emits Exited.
    void Exit();
    bool Exiting() const { return exiting_; }

    ui::PaintManager& PaintManager() const { return *paintManager_; }
    QWidget* FindControl(const QString& name) const;
    devices::DeviceListController* Devices() const { return devices_.get(); }
    // The synchronised lighting (nullptr before "windowinit").
    LightSync* SyncLighting() const { return lightSync_.get(); }
    // What the capture program sent and what of it fed the first keyboard.
    const AudioFeed::Counts& SoundFeedCounts() const { return audioFeed_.Statistics(); }
    QSystemTrayIcon* TrayIcon() const { return tray_; }
    TrayMenuWnd* TrayMenu() const { return trayMenu_; }
    SlotTable& Slots() { return slots_; }
    bool LightingControl() const { return lightingControl_; }
    bool Awake() const { return awake_; }
    bool FirstPassDone() const { return firstPassDone_; }
    int PageDpi() const { return dpi_; }
    QByteArray CopyDataBuffer(int kind) const;

    // ui::CustomMessageHandler
    qintptr HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) override;
    // Notifications of the window's own page (its routing by control name).
    void Notify(ui::TNotifyUI& msg);
    // CopyDataReceiver: a block another program sent; 1 taken, 0 refused.
    int ReceiveCopyData(const CopyDataParam& param) override;
    // DiscoveryOwner (discovery thread)
    void OnDeviceArrived(int slot) override;
    void OnDeviceRemoved(int slot) override;
    void OnFirstPassDone() override;
    void OnDevicesNotOpenable(const std::vector<std::string>& reasons) override;

    // Shows a notice in the bar under the title (a language key), until the user closes it.
    void ShowNotice(const QString& textKey);
    // The empty device list's hint for devices that are plugged in but do not open (UI thread).
    void ShowAccessHint(const QStringList& reasons);

    // Fits the window to its monitor: display scale by the monitor's size, window 1000 x 640 at
    // 96 dots per inch, centred; visibility unchanged.
    void FitToDisplay();

  signals:
    // A registered message this window broadcasts to other programs.
    void Broadcast(const QString& name, int wParam, int lParam);
    // The answer to an outside tool's device-table query (1024 bytes).
    void ToolQueryAnswer(const QByteArray& data);
    // The window was brought up (first discovery pass, another instance, tray).
    void BroughtUp();
    // Exit() has stopped everything; the program's loop ends on it.
    void Exited();
    // Whether a keyboard's effect follows the sound (the capture program is wanted then).
    void SoundEffectWanted(bool wanted);
    // Which blocks of the capture program a keyboard's effect draws from: samples (the sound
    // effect) and six values (the host-colour effect).
    void SoundBlocksWanted(bool samples, bool values);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* CreateControl(const QString& className, QWidget* parent);
    void InitWindow();
    void OnWindowInit();
    void OnTimer(int id);
    void OnClick(ui::TNotifyUI& msg);
    // The popups: the settings window (beside the settings button, or centred), the about
    // window, the background chooser. One of each at a time.
    void OpenSettingsWindow(bool besideButton, bool updateMode);
    void OpenAboutWindow();
    void OpenSkinFrame();
    void ClosePopups();
    void ToggleAutostart();
    void OnSelectChanged(ui::TNotifyUI& msg);
    void HideToTray();
    // Emits SoundEffectWanted when whether a keyboard shows a sound effect changed.
    void UpdateSoundEffect();
    void BringUp();
    void ToggleFromTray();
    void SetLightingControlFlag(bool on, bool broadcast);
    void BroadcastRegistered(unsigned message, int wParam, int lParam);
    void GameLighting(qintptr wParam, qintptr lParam);
    void RestoreGameEffect();
    // Saves the stored lighting words and writes them to the device.
    void ApplyGameLighting(devices::COrvaneUSBDevice& device);
    void CreateTray();
    void ShowTrayMenu();
    void MenuCommand(const QString& item);
    void StopWorkers();
    QSize MonitorSize() const;
    HidBackend& Backend() const {
        return options_.backend != nullptr ? *options_.backend : HidrawBackend();
    }

    MainWndOptions options_;
    std::unique_ptr<ui::PaintManager> paintManager_;
    std::unique_ptr<ui::SkinLoader> loader_;
    QPointer<QWidget> root_;
    SlotTable slots_;
    std::unique_ptr<devices::DeviceListController> devices_;
    std::unique_ptr<DiscoveryThread> discovery_;
    std::unique_ptr<LightSync> lightSync_;
    WorkerTable workers_;
    QSystemTrayIcon* tray_ = nullptr;
    TrayMenuWnd* trayMenu_ = nullptr;
    QPointer<settings::CSetWnd> setWnd_;
    QPointer<settings::CAboutWnd> aboutWnd_;
    QPointer<settings::CSkinFrame> skinFrame_;
    std::array<QByteArray, 2> copyData_;
    AudioFeed audioFeed_;
    bool soundWanted_ = false;
    std::pair<bool, bool> soundBlocks_{false, false};
    QString lastError_;
    QSize screen_;  // read at "windowinit"
    int dpi_ = 96;
    bool initialised_ = false;
    bool sizePending_ = false;
    bool lightingControl_ = true;
    bool windowActive_ = false;
    bool mouseInside_ = false;
    bool awake_ = true;
    bool exiting_ = false;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> firstPassDone_{false};
};

}  // namespace qx::app
