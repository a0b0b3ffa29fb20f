// One entry of the device list ("DeviceOption"): the option that selects a device, its icons and
// name, and the device's clock: its timers drive first contact, the frame push, the refresh after
// a notification, the power query and, behind a receiver, the presence polling.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "ui/notify.h"

class QAbstractButton;
class QLabel;
class QMouseEvent;

namespace qx::ui {
class PaintManager;
}

namespace qx::devices {

class COrvaneUSBDevice;

class CDeviceOptionUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kFrameTimer = 1000;
    static constexpr int kContactTimer = 1001;
    static constexpr int kRefreshTimer = 1002;
    static constexpr int kSpareTimer1 = 1003;
    static constexpr int kSpareTimer2 = 1004;
    static constexpr int kPowerTimer = 1005;
    static constexpr int kPresenceTimer = 1007;
    static constexpr int kFailuresWrapAt = 20;

    explicit CDeviceOptionUI(QWidget* parent = nullptr);
    ~CDeviceOptionUI() override;

    void SetSynchroVisible(bool visible);
    void SetSynchroSelected(bool selected);
    bool IsSynchroSelected() const;
    void SetSelected(bool selected);
    bool IsSelected() const;
    // Chooses the icons and the name text key by kind code and variant.
    void SetKind(int kindCode, int variant);
    int KindCode() const { return kindCode_; }
    void BindPage(const QString& layoutName, int index);
    int PageIndex() const { return pageIndex_; }
    const QString& PageLayoutName() const { return pageLayout_; }
    void SetPowerPage(const QString& layoutName, int index);
    int PowerPageIndex() const { return powerIndex_; }
    const QString& PowerPageName() const { return powerLayout_; }
    void SetGroup(const QString& group);
    void SetNameText(const QString& name);
    QString NameText() const { return name_; }
    // Also gives the device its entry.
    void SetDevice(COrvaneUSBDevice* device);
    COrvaneUSBDevice* Device() const;
    // The window's toolkit side (timers, notifications) and the receiver of kEntryOnline.
    void SetPaintManager(ui::PaintManager* paintManager);
    void SetMessageTarget(QObject* target) { messageTarget_ = target; }

    void StartContact();                     // timer 1001 after 500 ms
    void StartPresencePolling(int delayMs);  // timer 1007, only while the channel is open
    void StartRefresh(int delayMs);          // timer 1002
    // Timer 1000 after 5 ms: the device wrote a frame while the frame timer rested.
    void StartFrameTimer();
    void ShowEntry(bool shown);
    bool IsShown() const { return shown_; }
    int PresenceFailures() const { return presenceFailures_; }

    QAbstractButton* SelectOption() const;
    QAbstractButton* SynchroOption() const;
    QLabel* NameLabel() const;
    QString NormalImage() const { return normalImage_; }
    QString SelectedImage() const { return selectedImage_; }

    // A timer of this entry fired (also callable directly).
    void OnTimer(int id);
    // Frames the picture took while the UI thread was awake for something else (tests).
    int PaintsInPassing() const { return paintsInPassing_; }

  protected:
    // A click anywhere on the entry (its name, its free space) selects the device, as a click
    // on its icon does.
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool SetTimer(int id, int delayMs);
    void KillTimer(int id);
    void ArmFrameTimer(int delayMs);
    // Before the UI thread sleeps: the frame timer's paint, when it is nearly due.
    void PaintInPassing();
    void ApplyImages();
    void SendOnline(int online);
    ui::PaintManager* Manager() const;

    QPointer<COrvaneUSBDevice> device_;
    QPointer<ui::PaintManager> paintManager_;
    QPointer<QObject> messageTarget_;
    int kindCode_ = 0;
    int variant_ = 0;
    QString pageLayout_;
    int pageIndex_ = -1;
    QString powerLayout_;
    int powerIndex_ = -1;
    bool shown_ = false;
    int presenceFailures_ = 0;
    QElapsedTimer frameArmed_;  // since the frame timer was last armed, for frameDelayMs_
    int frameDelayMs_ = 0;
    int paintsInPassing_ = 0;
    QString name_;
    QString normalImage_, selectedImage_, synchroNormalImage_, synchroSelectedImage_;
};

}  // namespace qx::devices
