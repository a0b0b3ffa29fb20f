#include "devices/base/device_option_ui.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QButtonGroup>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

#include "core/diagnostics.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/skin_image.h"
#include "ui/custom_message.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {

namespace {

// The shortest time between two paints of a device picture from the cable's frames.
constexpr int kPicturePaintMs = 33;
// How much sooner than its timer a paint may come on a wake that something else caused.
constexpr int kMostEarlyPaintMs = 8;

// The icon stem of a kind code and variant; nullptr when nothing is to change.
const char* IconStem(int kindCode, int variant) {
    switch (kindCode) {
        case 1:
            return "kb";
        case 2:
            return "ms";
        case 3:
            if (variant == 0) return "hard_mp";
            if (variant == 1) return "soft_mp";
            return nullptr;
        case 4:
        case 7:
            return "hd";
        case 5:
            return "hub";
        default:
            return "unknow";
    }
}

}  // namespace

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent) {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &CDeviceOptionUI::PaintInPassing);
}

CDeviceOptionUI::~CDeviceOptionUI() {
    if (paintManager_) {
        paintManager_->KillTimers(this);
        paintManager_->Unsubscribe(this);
    }
}

QAbstractButton* CDeviceOptionUI::SelectOption() const {
    return qobject_cast<QAbstractButton*>(ui::PaintManager::FindSubControlByName(
        const_cast<CDeviceOptionUI*>(this), "device_select"));
}

QAbstractButton* CDeviceOptionUI::SynchroOption() const {
    return qobject_cast<QAbstractButton*>(ui::PaintManager::FindSubControlByName(
        const_cast<CDeviceOptionUI*>(this), "synchro_device_select"));
}

QLabel* CDeviceOptionUI::NameLabel() const {
    return qobject_cast<QLabel*>(ui::PaintManager::FindSubControlByName(
        const_cast<CDeviceOptionUI*>(this), "device_select_name"));
}

void CDeviceOptionUI::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractButton* option = SelectOption();
    if (event->button() != Qt::LeftButton || option == nullptr || !rect().contains(event->pos())) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    // Clicked as the user clicks the icon: the same notifications follow.
    if (!option->isChecked()) option->click();
}

void CDeviceOptionUI::SetSynchroVisible(bool visible) {
    if (QAbstractButton* synchro = SynchroOption()) synchro->setVisible(visible);
    ApplyImages();
}

void CDeviceOptionUI::SetSynchroSelected(bool selected) {
    if (QAbstractButton* synchro = SynchroOption()) synchro->setChecked(selected);
    ApplyImages();
}

bool CDeviceOptionUI::IsSynchroSelected() const {
    QAbstractButton* synchro = SynchroOption();
    return synchro != nullptr && synchro->isChecked();
}

void CDeviceOptionUI::SetSelected(bool selected) {
    QAbstractButton* option = SelectOption();
    if (option == nullptr || option->isChecked() == selected) return;
    // An exclusive group keeps its last checked option: unchecking needs the group lifted.
    QButtonGroup* group = option->group();
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive && !selected) group->setExclusive(false);
    option->setChecked(selected);
    if (exclusive && !selected) group->setExclusive(true);
}

bool CDeviceOptionUI::IsSelected() const {
    QAbstractButton* option = SelectOption();
    return option != nullptr && option->isChecked();
}

void CDeviceOptionUI::SetKind(int kindCode, int variant) {
    const char* stem = IconStem(kindCode, variant);
    if (stem == nullptr) return;
    kindCode_ = kindCode;
    variant_ = variant;
    const QString base = QString("common/device_ico/%1_device_").arg(QString::fromLatin1(stem));
    normalImage_ = base + "normal.png";
    selectedImage_ = base + "selected.png";
    synchroSelectedImage_ = base + "synchro_selected.png";
    synchroNormalImage_ = base + "synchro_normal.png";
    if (QLabel* label = NameLabel()) {
        ui::SetControlText(label, QString("%1_device_name_text").arg(QString::fromLatin1(stem)));
    }
    ApplyImages();
}

void CDeviceOptionUI::ApplyImages() {
    if (normalImage_.isEmpty()) return;
    const bool synchro = IsSynchroSelected();
    SetOptionImages(SelectOption(), synchro ? synchroNormalImage_ : normalImage_,
                    synchro ? synchroSelectedImage_ : selectedImage_);
}

void CDeviceOptionUI::BindPage(const QString& layoutName, int index) {
    pageLayout_ = layoutName;
    pageIndex_ = index;
    if (QAbstractButton* option = SelectOption()) {
        option->setProperty("bindtablayoutname", layoutName);
        option->setProperty("bindtabindex", index);
    }
}

void CDeviceOptionUI::SetPowerPage(const QString& layoutName, int index) {
    powerLayout_ = layoutName;
    powerIndex_ = index;
}

void CDeviceOptionUI::SetGroup(const QString& group) {
    if (QAbstractButton* option = SelectOption()) {
        option->setProperty("group", group);
        option->setCheckable(true);
    }
}

void CDeviceOptionUI::SetNameText(const QString& name) {
    name_ = name;
    setProperty("devicename", name);
}

void CDeviceOptionUI::SetDevice(COrvaneUSBDevice* device) {
    if (device_) disconnect(device_, nullptr, this, nullptr);
    device_ = device;
    if (device == nullptr) return;
    device->SetDeviceEntry(this);
    connect(device, &COrvaneUSBDevice::FrameChanged, this, &CDeviceOptionUI::StartFrameTimer,
            Qt::QueuedConnection);
}

COrvaneUSBDevice* CDeviceOptionUI::Device() const { return device_; }

void CDeviceOptionUI::SetPaintManager(ui::PaintManager* paintManager) {
    if (paintManager_ == paintManager) return;
    if (paintManager_) paintManager_->Unsubscribe(this);
    paintManager_ = paintManager;
    // The entry's own timers are its clock; nothing else of the window reaches it.
    if (paintManager_) {
        paintManager_->OnNotify(this, QStringLiteral("timer"), this, [this](ui::TNotifyUI& msg) {
            OnTimer(static_cast<int>(msg.wParam));
        });
    }
}

ui::PaintManager* CDeviceOptionUI::Manager() const {
    return paintManager_ ? paintManager_.data() : ui::PaintManager::Of(this);
}

bool CDeviceOptionUI::SetTimer(int id, int delayMs) {
    ui::PaintManager* manager = Manager();
    return manager != nullptr && manager->SetTimer(this, id, delayMs);
}

void CDeviceOptionUI::KillTimer(int id) {
    if (ui::PaintManager* manager = Manager()) manager->KillTimer(this, id);
}

void CDeviceOptionUI::StartContact() { SetTimer(kContactTimer, 500); }

void CDeviceOptionUI::StartPresencePolling(int delayMs) {
    if (device_ && device_->Online()) SetTimer(kPresenceTimer, delayMs);
}

void CDeviceOptionUI::StartFrameTimer() {
    if (device_ && device_->Online()) ArmFrameTimer(5);
}

void CDeviceOptionUI::ArmFrameTimer(int delayMs) {
    if (!SetTimer(kFrameTimer, delayMs)) return;
    frameDelayMs_ = delayMs;
    frameArmed_.start();
}

// The frame timer wakes the UI thread only to paint. While something else wakes it often (the
// capture program's colours come 60 times a second while frames stream), the paint is done on
// such a wake once it is nearly due (a few ms before its time), and the timer starts again from
// there: it then never fires, and the picture costs no wake-ups of its own.
void CDeviceOptionUI::PaintInPassing() {
    if (!device_ || !frameArmed_.isValid()) return;
    // Early by at most a quarter of the interval and by no more than a few ms: the rates stay.
    const int early = std::min(frameDelayMs_ / 4, kMostEarlyPaintMs);
    if (frameArmed_.elapsed() < frameDelayMs_ - early) return;
    ui::PaintManager* manager = Manager();
    if (manager == nullptr || !manager->HasTimer(this, kFrameTimer)) return;
    ++paintsInPassing_;
    OnTimer(kFrameTimer);
}

void CDeviceOptionUI::StartRefresh(int delayMs) { SetTimer(kRefreshTimer, delayMs); }

void CDeviceOptionUI::ShowEntry(bool shown) {
    shown_ = shown;
    setVisible(shown);
}

void CDeviceOptionUI::SendOnline(int online) {
    if (!device_) return;
    ui::SendMessage(messageTarget_, msg::kEntryOnline, device_->DeviceListIndex(), online);
}

// Every exchange a timer asks for runs on the device's worker; what it shows, and the re-arming of
// the timer, come back here on the UI thread. A timer is re-armed only after its exchange is done,
// so a silent device never piles up queries.
void CDeviceOptionUI::OnTimer(int id) {
    KillTimer(id);
    if (!device_) return;
    COrvaneUSBDevice* device = device_;
    QPointer<CDeviceOptionUI> self(this);
    switch (id) {
        case kFrameTimer:
            // Only a picture on screen is painted: while the window is in the tray (or another
            // device's page is shown) the timer stops, and the page's return starts it again.
            if (!device->PictureShown()) break;
            // The LED buttons whose light changed repaint themselves; the rest of the picture
            // is left alone. While the frame stays the same the timer rests.
            // The picture follows the frames at most 30 times a second, smooth to the eye,
            // and each paint of a whole picture costs far more than computing its frame (the
            // device itself still gets every frame from the light thread).
            if (device->PushFrame() && device->Online())
                ArmFrameTimer(device->Receiver() ? 500 : kPicturePaintMs);
            break;
        case kContactTimer:
            device->Post([device, self] {
                const bool behindReceiver = device->Receiver() && device->Online();
                if (behindReceiver && device->PresenceQuery() == 0) {
                    device->OnUiThread([self] {
                        if (!self) return;
                        self->presenceFailures_ = (self->presenceFailures_ + 1) % kFailuresWrapAt;
                        if (self->shown_) self->SendOnline(0);
                        self->SetTimer(kContactTimer, 3000);
                    });
                    return;
                }
                if (behindReceiver) {
                    device->OnUiThread([self] {
                        if (self) self->SendOnline(1);
                    });
                }
                device->Contact();
                // Every open ends with a fresh light thread over what first contact read.
                device->StartLightThread();
                device->OnUiThread([self, device] {
                    if (!self) return;
                    self->presenceFailures_ = 0;
                    self->ArmFrameTimer(5);
                    if (device->HasBattery() && device->Online()) self->SetTimer(kPowerTimer, 50);
                    if (device->Receiver()) self->StartPresencePolling(2000);
                });
            });
            break;
        case kRefreshTimer:
            device->Post([device] { device->RefreshFromDevice(); });
            break;
        case kSpareTimer1:
        case kSpareTimer2:
            // Reserved timers: no family uses them.
            break;
        case kPowerTimer:
            device->Post([device, self] {
                device->PowerQuery();
                device->OnUiThread([self, device] {
                    if (self && device->HasBattery()) self->SetTimer(kPowerTimer, 5000);
                });
            });
            break;
        case kPresenceTimer:
            if (!device->Receiver()) break;
            device->Post([device, self] {
                const bool present = device->PresenceQuery() != 0;
                device->OnUiThread([self, device, present] {
                    if (!self) return;
                    if (present && !self->shown_) {
                        self->SendOnline(1);
                        if (device->HasBattery()) device->Post([device] { device->PowerQuery(); });
                    } else if (!present && self->shown_) {
                        self->SendOnline(0);
                    }
                    if (device->Online()) self->SetTimer(kPresenceTimer, 3000);
                });
            });
            break;
        default:
            break;
    }
}

}  // namespace qx::devices
