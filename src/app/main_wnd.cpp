#include "app/main_wnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/copy_data.h"
#include "app/display_fit.h"
#include "app/light_sync.h"
#include "app/msg_wnd.h"
#include "app/tool_query.h"
#include "app/tray_menu.h"
#include "core/diagnostics.h"
#include "core/paths.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/device_profile_ui.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/user_message.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "lighting/keyboard_lighting.h"
#include "platform/autostart.h"
#include "settings/about_wnd.h"
#include "settings/desktop_shortcuts.h"
#include "settings/language_settings.h"
#include "settings/set_wnd.h"
#include "settings/settings_messages.h"
#include "settings/skin_frame.h"
#include "settings/skin_settings.h"
#include "settings/update_catalogue.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace qx::app {
namespace {

QString Identity() {
    return QString::fromUtf8(kApplicationIdentity.data(), qsizetype(kApplicationIdentity.size()));
}

QString RegisteredQName(unsigned message) {
    const std::string_view name = msg::RegisteredName(message);
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

// Skin tags that stand for the control tree of another skin file.
struct FileTag {
    const char* tag;
    const char* file;
};
constexpr FileTag kFileTags[] = {
    {"DeviceProfileUI", "XML/CustomControlXML/DeviceProfile.ui"},
    {"LightSetControlUI", "XML/CustomControlXML/LightControl.ui"},
    {"Voice6533SetControlUI", "XML/CustomControlXML/Voice6533Control.ui"},
    {"MagicSetControlUI", "XML/CustomControlXML/MagicControl.ui"},
    {"KeySetControlUI", "XML/CustomControlXML/KeySetControl.ui"},
    {"MacroSetControlUI", "XML/CustomControlXML/MacroControl.ui"},
    {"ShootKeySetControlUI", "XML/CustomControlXML/ShootControl.ui"},
    {"VirtualSetControlUI", "XML/CustomControlXML/VirtualSet.ui"},
};

// The page tabs and the function page each selects on the current device.
struct PageTab {
    const char* name;
    int page;
};
constexpr PageTab kPageTabs[] = {
    {"deng_Op_tab", 1},   {"key_Op_tab", 2},        {"macro_Op_tab", 3}, {"system_Op_tab", 4},
    {"cursor_Op_tab", 5}, {"6533_voice_Op_tab", 6}, {"magic_Op_tab", 7}, {"Virtual7.1_Op_tab", 8},
};

bool IsHookMessage(unsigned message) {
    const std::string_view name = msg::RegisteredName(message);
    return name.substr(0, 8) == "WM_HOOK_";
}

bool IsGameMessage(unsigned message) {
    return message == msg::kGameStart || message == msg::kGameEnd || message == msg::kGameKill ||
           message == msg::kGameDeath;
}

// Byte i of the device's light settings (the four words hold them in order, low byte first).
uint8_t LightByte(const std::array<uint32_t, 4>& words, int index) {
    return static_cast<uint8_t>((words[size_t(index / 4)] >> (8 * (index % 4))) & 0xFF);
}
void SetLightByte(std::array<uint32_t, 4>& words, int index, uint8_t value) {
    const int shift = 8 * (index % 4);
    uint32_t& word = words[size_t(index / 4)];
    word = (word & ~(uint32_t(0xFF) << shift)) | (uint32_t(value) << shift);
}

}  // namespace

CMainWnd::CMainWnd(MainWndOptions options, QWidget* parent)
    : QWidget(parent), options_(std::move(options)), slots_(options_.supportedRows) {
    setWindowTitle(Identity());
    setObjectName(QStringLiteral("MainWnd"));
    paintManager_ = std::make_unique<ui::PaintManager>(this);
    // The profile panels ask and tell through the message window.
    devices::CDeviceProfileUI::SetMessageBox([](QWidget* over, const QString& text,
                                                int buttonMode) {
        const ui::PaintManager* manager = ui::PaintManager::Of(over);
        return ShowMessage(over, QString(), text, manager ? manager->Dpi() : 96, false, buttonMode);
    });
    loader_ = std::make_unique<ui::SkinLoader>(
        [this](const QString& className, QWidget* container) {
            return CreateControl(className, container);
        },
        this);
}

CMainWnd::~CMainWnd() {
    stopping_ = true;
    StopWorkers();
    devices::SetUserMessageSink({});
    devices_.reset();
    delete trayMenu_;
}

bool CMainWnd::Create() {
    QWidget* root = loader_->BuildWindowContent(QStringLiteral("main.ui"), this);
    if (root == nullptr) {
        lastError_ = loader_->LastError();
        DebugLine("main.ui: " + lastError_.toStdString());
        return false;
    }
    root_ = root;
    // The page draws its own title bar: the window has no frame, and the bar moves it.
    setWindowFlag(Qt::FramelessWindowHint, true);
    if (QWidget* titleBar = root->findChild<QWidget*>(QStringLiteral("title_bar")))
        titleBar->installEventFilter(this);
    paintManager_->OnNotifyBelow(this, this, [this](ui::TNotifyUI& msg) { Notify(msg); });
    paintManager_->AttachControls(this);
    InitWindow();
    paintManager_->SendNotify(this, QStringLiteral("windowinit"));
    return true;
}

QWidget* CMainWnd::FindControl(const QString& name) const {
    return paintManager_->FindControl(name);
}

QByteArray CMainWnd::CopyDataBuffer(int kind) const {
    if (kind < 1 || kind > 2) return {};
    return copyData_[size_t(kind - 1)];
}

QWidget* CMainWnd::CreateControl(const QString& className, QWidget* parent) {
    for (const FileTag& entry : kFileTags) {
        if (className.compare(QLatin1String(entry.tag), Qt::CaseInsensitive) != 0) continue;
        // A loader of its own: the outer file is still being read by loader_.
        ui::SkinLoader nested(
            [this](const QString& name, QWidget* p) { return CreateControl(name, p); });
        QWidget* tree = nested.Build(QString::fromLatin1(entry.file), parent);
        if (tree == nullptr)
            DebugLine(std::string(entry.file) + ": " + nested.LastError().toStdString());
        return tree;
    }
    return nullptr;  // the factory and Qt make the rest
}

void CMainWnd::InitWindow() {
    DebugLine("InitWindow");
    CreateTray();
}

void CMainWnd::OnWindowInit() {
    if (initialised_) return;
    initialised_ = true;
    BroadcastRegistered(msg::kLightControlBroadcast, 1, 1);
    settings::LanguageSettings::SetLanguage(settings::LanguageSettings::GetLanguageIndex());
    // The background: the one remembered in "main.ini", and each new choice.
    if (const auto skin = settings::ReadSkinChoice()) settings::ApplySkinBackground(root_, *skin);
    connect(&settings::SkinObserver::Instance(), &settings::SkinObserver::SkinChanged, this,
            [this](const settings::SkinChangedParam& param) {
                settings::ApplySkinBackground(root_, param);
            });
    settings::SetSettingsMessageBox([this](QWidget* over, const QString& text) {
        ShowMessage(over != nullptr ? over : this, QString(), text, paintManager_->Dpi(), false,
                    CMsgWnd::kConfirmOnly);
    });
    devices_ = std::make_unique<devices::DeviceListController>(this, *paintManager_, *loader_,
                                                               slots_, this, Backend());
    devices_->SetDeviceAddedHandler([this](devices::COrvaneUSBDevice& device) {
        connect(&device, &devices::COrvaneUSBDevice::LightingShown, this,
                &CMainWnd::UpdateSoundEffect);
    });
    devices_->CreatePlaceholderEntries();
    // What a device did not take is told in the message window.
    devices::SetUserMessageSink([this](const QString& text) {
        ShowMessage(this, QString(), text, paintManager_->Dpi(), false, CMsgWnd::kConfirmOnly);
    });
    lightSync_ = std::make_unique<LightSync>(devices_.get());
    workers_.Start(
        WorkerTable::kLightSync, [this] { lightSync_->Start(); }, [this] { lightSync_->Stop(); });
    screen_ = MonitorSize();
    hide();
    if (options_.startDiscovery) {
        discovery_ = std::make_unique<DiscoveryThread>(slots_, *this, Backend());
        workers_.Start(
            WorkerTable::kDiscovery, [this] { discovery_->Start(); },
            [this] { discovery_->Stop(); });
    }
    paintManager_->SetTimer(this, kFitTimer, 100);
    sizePending_ = true;
}

// --- notifications

void CMainWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.type != QLatin1String("timer"))
        DebugLine(msg.type.toStdString() + " " + msg.senderName.toStdString());
    if (msg.type == QLatin1String("windowinit")) {
        OnWindowInit();
    } else if (msg.type == QLatin1String("windowsize")) {
        if (msg.senderName == QLatin1String("root") && sizePending_) {
            sizePending_ = false;
            FitToDisplay();
        }
    } else if (msg.type == QLatin1String("click")) {
        OnClick(msg);
    } else if (msg.type == QLatin1String("selectchanged")) {
        OnSelectChanged(msg);
    } else if (msg.type == QLatin1String("timer")) {
        if (msg.sender == this) OnTimer(int(msg.wParam));
    }
    // The panels' events are handled by the device objects and panels themselves.
}

void CMainWnd::OnClick(ui::TNotifyUI& msg) {
    const QString& name = msg.senderName;
    if (name == QLatin1String("closebtn")) {
        ClosePopups();
        HideToTray();
    } else if (name == QLatin1String("nodevice_ok_btn")) {
        hide();
    } else if (name == QLatin1String("notice_close")) {
        if (QWidget* bar = FindControl(QStringLiteral("notice_bar"))) bar->hide();
    } else if (name == QLatin1String("control_light_status")) {
        SetLightingControlFlag(!lightingControl_, true);
    } else if (name == QLatin1String("minbtn")) {
        showMinimized();
    } else if (name == QLatin1String("maxbtn")) {
        if (isMaximized()) {
            showNormal();
        } else {
            showMaximized();
        }
    } else if (name == QLatin1String("restorebtn")) {
        showNormal();
    } else if (name == QLatin1String("deng_same_mode")) {
        if (lightSync_ && devices_) lightSync_->Toggle(devices_->CurrentDevice());
    } else if (name == QLatin1String("skinbtn")) {
        OpenSkinFrame();
    } else if (name == QLatin1String("setbtn")) {
        OpenSettingsWindow(true, false);
    } else if (name.startsWith(QLatin1String("windowdeviceset_"))) {
        bool ok = false;
        const int n = name.mid(name.lastIndexOf(QLatin1Char('_')) + 1).toInt(&ok);
        if (ok) settings::OpenWindowDeviceSettings(n, this);
    } else if (name == QLatin1String("device_select_prev")) {
        if (devices_) devices_->SelectPrevious();
    } else if (name == QLatin1String("device_select_next")) {
        if (devices_) devices_->SelectNext();
    }
}

void CMainWnd::OnSelectChanged(ui::TNotifyUI& msg) {
    if (!devices_) return;
    const QString& name = msg.senderName;
    auto* option = qobject_cast<QAbstractButton*>(msg.sender);
    const bool selected = option == nullptr || option->isChecked();
    if (name == QLatin1String("device_select")) {
        if (selected) devices_->OnDeviceSelected(msg.sender);
        return;
    }
    for (const PageTab& tab : kPageTabs) {
        if (name != QLatin1String(tab.name)) continue;
        if (!selected) return;
        if (devices::COrvaneUSBDevice* device = devices_->CurrentDevice()) {
            device->SetFunctionPage(tab.page);
            if (auto* panel = devices::CDeviceProfileUI::Of(device)) panel->SelectTab(tab.page);
        }
        return;
    }
}

void CMainWnd::OnTimer(int id) {
    switch (id) {
        case kFitTimer:
            paintManager_->KillTimer(this, kFitTimer);
            FitToDisplay();
            update();
            break;
        case kTrayMenuTimer:
            paintManager_->KillTimer(this, kTrayMenuTimer);
            ShowTrayMenu();
            break;
        case kGameRestoreTimer:
            paintManager_->KillTimer(this, kGameRestoreTimer);
            RestoreGameEffect();
            break;
        default:
            break;
    }
}

// --- messages

qintptr CMainWnd::HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) {
    if (message == msg::kActivate) {
        windowActive_ = mouseInside_ = wParam != 0;
        if (devices_) devices_->SetWindowActive(windowActive_);
        return 1;
    }
    if (message == msg::kIdentity) {
        char line[96];
        std::snprintf(line, sizeof line, "软件标示 %u，%llxd%llxd", message,
                      static_cast<unsigned long long>(wParam),
                      static_cast<unsigned long long>(lParam));
        DebugLine(line);
        BringUp();
        return 1;
    }
    if (message == msg::kUpdateProgress) {
        // For the settings window's update list.
        if (setWnd_) ui::PostMessage(setWnd_, message, wParam, lParam);
        return 1;
    }
    if (message == msg::kLightControlStatus) {
        if (wParam == 1 && (lParam == 0 || lParam == 1)) SetLightingControlFlag(lParam == 1, false);
        return 1;
    }
    if (message == msg::kToolQuery) {
        emit ToolQueryAnswer(BuildToolQueryAnswer(DeviceEntryRowsForTools()));
        return 1;
    }
    if (message == msg::kPowerBroadcast) {
        if (wParam == msg::kPowerResume) {
            awake_ = true;
            if (devices_) {
                devices_->SetLightingControl(lightingControl_);
                // A device may have lost its settings while the machine slept.
                devices_->RestoreSettings();
            }
        } else if (wParam == msg::kPowerSuspend) {
            awake_ = false;
            if (devices_) devices_->SetLightingControl(false);
        }
        return 1;
    }
    if (IsHookMessage(message)) {
        if (!awake_) return 0;
        if (msg::RegisteredName(message) == "WM_HOOK_KEY_MSMACRO_MSG")
            DebugLine("WM_HOOK_KEY_MSMACRO");
        return 0;  // the capture handlers come with key assignment and macro recording
    }
    if (IsGameMessage(message)) {
        if (!awake_) return 0;
        GameLighting(wParam, lParam);
        return 1;
    }
    switch (message) {
        case msg::kLanguageChanged:
            if (settings::LanguageSettings::SetLanguage(int(wParam))) {
                if (setWnd_) ui::SendMessage(setWnd_, msg::kLanguageChanged, 0, 0);
                if (aboutWnd_) ui::SendMessage(aboutWnd_, msg::kLanguageChanged, 0, 0);
            }
            if (devices_) {
                for (devices::COrvaneUSBDevice* device : devices_->Keyboards()) {
                    if (auto* keyboard = dynamic_cast<devices::COrvaneKeyboardDevice*>(device))
                        keyboard->RefreshKeyLabels();
                }
            }
            return 1;
        case msg::kDeviceArrived:
            if (devices_ && !stopping_) devices_->OnDeviceArrived(int(wParam));
            return 1;
        case msg::kDeviceRemoved:
            if (devices_ && !stopping_) devices_->OnDeviceRemoved(int(wParam));
            return 1;
        case msg::kOpenSettingsForUpdate:
            OpenSettingsWindow(false, true);
            return 1;
        case msg::kClearUpdateIndicator:
            if (QWidget* button = FindControl(QStringLiteral("setbtn"))) {
                button->setProperty("updatemark", false);
                button->style()->unpolish(button);
                button->style()->polish(button);
            }
            return 1;
        case msg::kShowSettingProgress:
            if (QWidget* progress = FindControl(QStringLiteral("setting_progress")))
                progress->show();
            return 1;
        case msg::kEntryOnline:
            if (lParam == 0) DebugLine("2.4gcesvdfherhue 1");
            if (devices_) devices_->OnEntryOnline(int(wParam), int(lParam));
            return 1;
        case msg::kDpiChangedNotice:
            DebugLine("界面 DPI 1发生变化");
            return 1;
        case msg::kTrayIcon:
            if (lParam == kLButtonUp) {
                ToggleFromTray();
            } else if (lParam == kRButtonUp) {
                paintManager_->SetTimer(this, kTrayMenuTimer, 10);
            }
            return 1;
        case msg::kDisplayChange:
            DebugLine("显示器分辨率发生变化");
            sizePending_ = true;
            FitToDisplay();
            return 1;
        default:
            return 0;
    }
}

// --- discovery (discovery thread)

void CMainWnd::OnDeviceArrived(int slot) {
    if (stopping_) return;
    ui::SendMessage(this, msg::kDeviceArrived, slot, 0);
}

void CMainWnd::OnDeviceRemoved(int slot) {
    if (stopping_) return;
    ui::SendMessage(this, msg::kDeviceRemoved, slot, 0);
}

void CMainWnd::OnFirstPassDone() {
    firstPassDone_ = true;
    ui::PostMessage(this, msg::kIdentity, 0, 0);
}

void CMainWnd::OnDevicesNotOpenable(const std::vector<std::string>& reasons) {
    if (stopping_) return;
    QStringList list;
    for (const std::string& reason : reasons) list.append(QString::fromStdString(reason));
    QMetaObject::invokeMethod(
        this, [this, list] { ShowAccessHint(list); }, Qt::QueuedConnection);
}

// --- notices

void CMainWnd::ShowNotice(const QString& textKey) {
    QWidget* bar = FindControl(QStringLiteral("notice_bar"));
    QWidget* text = FindControl(QStringLiteral("notice_text"));
    if (bar == nullptr || text == nullptr) return;
    ui::SetControlText(text, textKey);
    if (auto* close = qobject_cast<QAbstractButton*>(FindControl(QStringLiteral("notice_close"))))
        close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    bar->show();
}

void CMainWnd::ShowAccessHint(const QStringList& reasons) {
    QWidget* title = FindControl(QStringLiteral("nodevice_access_title"));
    auto* reason = qobject_cast<QLabel*>(FindControl(QStringLiteral("nodevice_access_reason")));
    if (title == nullptr || reason == nullptr) return;
    reason->setText(reasons.join(QLatin1Char('\n')));
    title->setVisible(!reasons.isEmpty());
    reason->setVisible(!reasons.isEmpty());
    if (!reasons.isEmpty()) DebugLine("devices not openable: " + reasons.join("; ").toStdString());
}

// --- showing and hiding

void CMainWnd::HideToTray() {
    const bool trayShown = options_.trayAvailable ? options_.trayAvailable()
                                                  : QSystemTrayIcon::isSystemTrayAvailable();
    if (!trayShown) {
        // No tray to come back from: the close button ends the program.
        DebugLine("no system tray: closing the window ends the program");
        Exit();
        return;
    }
    if (trayMenu_ != nullptr) trayMenu_->hide();
    hide();
    if (devices_) devices_->SetMiceAndKeyboardsHidden(true);
}

void CMainWnd::BringUp() {
    if (exiting_) return;
    if (devices_) {
        devices_->RefreshNoDeviceLink();
        devices_->SetMiceAndKeyboardsHidden(false);
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    emit BroughtUp();
}

void CMainWnd::ToggleFromTray() {
    if (devices_) devices_->RefreshNoDeviceLink();
    if (isVisible() && !isMinimized()) {
        HideToTray();
        return;
    }
    BringUp();
    FitToDisplay();
}

void CMainWnd::closeEvent(QCloseEvent* event) {
    // A close that does not come from the title bar's button (the window manager's, the
    // desktop's) ends the program, as the tray menu's exit does.
    event->accept();
    if (!exiting_) Exit();
}

void CMainWnd::enterEvent(QEnterEvent* event) {
    DebugLine("鼠标移入");
    if (devices_) devices_->SetWindowActive(true);
    QWidget::enterEvent(event);
}

void CMainWnd::leaveEvent(QEvent* event) {
    DebugLine("鼠标移出");
    if (devices_) devices_->SetWindowActive(false);
    QWidget::leaveEvent(event);
}

bool CMainWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->objectName() == "title_bar") {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && windowHandle() != nullptr) {
            windowHandle()->startSystemMove();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CMainWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        HandleCustomMessage(msg::kActivate, isActiveWindow() ? 1 : 0, 0);
    if (event->type() == QEvent::WindowStateChange) {
        // The title bar offers the way back from the state the window is in, whoever changed it
        // (its buttons, the window manager, a double click on a frame).
        const bool maximised = isMaximized();
        if (QWidget* maximise = FindControl(QStringLiteral("maxbtn")))
            maximise->setVisible(!maximised);
        if (QWidget* restore = FindControl(QStringLiteral("restorebtn")))
            restore->setVisible(maximised);
    }
    QWidget::changeEvent(event);
}

QSize CMainWnd::MonitorSize() const {
    if (options_.monitorSize) return options_.monitorSize();
    const QScreen* monitor = screen();
    if (monitor == nullptr) monitor = QGuiApplication::primaryScreen();
    return monitor != nullptr ? monitor->geometry().size() : QSize(kDesignWidth, kDesignHeight);
}

void CMainWnd::FitToDisplay() {
    const bool wasVisible = isVisible();
    const QSize monitor = MonitorSize();
    int dpi = DisplayDpiFor(monitor);
    if (!IsSupportedDpi(dpi)) {
        DebugLine("MAIN_WND DPI SET ERROR");
        dpi = 96;
    }
    paintManager_->SetDpi(96);
    resize(kDesignWidth, kDesignHeight);
    paintManager_->SetDpi(dpi);
    dpi_ = dpi;
    const QSize size = WindowSizeAt(dpi);
    resize(size);
    QRect area(QPoint(0, 0), monitor);
    if (!options_.monitorSize && screen() != nullptr) area = screen()->availableGeometry();
    move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    setVisible(wasVisible);
}

// --- lighting control

void CMainWnd::BroadcastRegistered(unsigned message, int wParam, int lParam) {
    emit Broadcast(RegisteredQName(message), wParam, lParam);
}

void CMainWnd::SetLightingControlFlag(bool on, bool broadcast) {
    lightingControl_ = on;
    if (broadcast) BroadcastRegistered(msg::kLightControlBroadcast, 1, on ? 1 : 0);
    if (QWidget* status = FindControl(QStringLiteral("control_light_status")))
        ui::SetControlText(status, on ? QStringLiteral("control_light_on_text")
                                      : QStringLiteral("control_light_off_text"));
    if (devices_) devices_->SetLightingControl(on);
    if (lightSync_) lightSync_->SetHostControl(on);
}

void CMainWnd::GameLighting(qintptr wParam, qintptr lParam) {
    devices::COrvaneUSBDevice* device = devices_ ? devices_->CurrentDevice() : nullptr;
    if (device != nullptr) {
        // The game's lighting takes over from the synchronised lighting.
        device->SetSynchronisedLighting(false);
        std::array<uint32_t, 4> words = device->GetLightSettings();
        const auto value = static_cast<uint8_t>(lParam);
        if (wParam == 0) {
            const uint8_t effect = LightByte(words, 0);
            SetLightByte(words, 13, effect == 0 || effect > 20 ? 1 : effect);
            SetLightByte(words, 0, value);
        } else if (wParam == 1 || wParam == 2) {
            SetLightByte(words, 0, value);
        }
        device->StoreLightSettings(words[0], words[1], words[2], words[3]);
        ApplyGameLighting(*device);
    }
    paintManager_->SetTimer(this, kGameRestoreTimer, kGameRestoreDelayMs);
}

void CMainWnd::RestoreGameEffect() {
    devices::COrvaneUSBDevice* device = devices_ ? devices_->CurrentDevice() : nullptr;
    if (device == nullptr) return;
    device->SetSynchronisedLighting(false);
    std::array<uint32_t, 4> words = device->GetLightSettings();
    SetLightByte(words, 0, LightByte(words, 13));
    device->StoreLightSettings(words[0], words[1], words[2], words[3]);
    ApplyGameLighting(*device);
}

void CMainWnd::ApplyGameLighting(devices::COrvaneUSBDevice& device) {
    if (devices::ProfileCapability* profiles = device.Profiles()) profiles->SaveProfile();
    device.RefreshLightPanel();
    // The device is written on its worker; the window goes on at once.
    const int width = screen_.width();
    const int height = screen_.height();
    device.Post([&device, width, height] {
        device.ApplyLighting();
        if (devices::KeyTableCapability* keys = device.KeyTable()) {
            if (keys->WriteSystemBlock(0, 0, 1, width, height) != kResultSuccess)
                DebugLine("the game lighting did not reach the device");
        }
    });
}

// --- tray

void CMainWnd::CreateTray() {
    if (tray_ != nullptr) return;
    const QString skin = ui::SkinLoader::SkinFolder();
    QIcon windowIcon(skin + QStringLiteral("/common/program_icon.png"));
    if (!windowIcon.isNull()) setWindowIcon(windowIcon);
    QIcon icon(skin + QStringLiteral("/common/tray_icon.png"));
    if (icon.isNull()) icon = windowIcon;
    if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    tray_ = new QSystemTrayIcon(icon, this);
    tray_->setToolTip(Identity());
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Handled later, as a click of the icon is: the menu opens on a timer.
                if (reason == QSystemTrayIcon::Trigger) {
                    QTimer::singleShot(0, this, [this] { ToggleFromTray(); });
                } else if (reason == QSystemTrayIcon::Context) {
                    paintManager_->SetTimer(this, kTrayMenuTimer, 10);
                }
            });
    tray_->show();
}

int CMainWnd::ReceiveCopyData(const CopyDataParam& param) {
    devices::COrvaneUSBDevice* keyboard =
        devices_ && !devices_->Keyboards().empty() ? devices_->Keyboards().front() : nullptr;
    if (!audioFeed_.Receive(param.kind, param.data, keyboard ? keyboard->Lighting() : nullptr))
        return 0;
    // Kept as received, the latest block of each kind.
    copyData_[param.kind - 1] = param.data;
    return 1;
}

// The keyboard effects drawn from what the capture program sends: sound styles, host colour.
constexpr int kSoundEffectId = 29;
constexpr int kHostColourEffectId = 30;

void CMainWnd::UpdateSoundEffect() {
    std::pair<bool, bool> blocks{false, false};
    if (devices_) {
        for (devices::COrvaneUSBDevice* keyboard : devices_->Keyboards()) {
            const int effect = static_cast<int>(keyboard->GetLightSettings()[0] & 0xFF);
            if (effect == kSoundEffectId) blocks.first = true;
            if (effect == kHostColourEffectId) blocks.second = true;
        }
    }
    if (blocks != soundBlocks_) {
        soundBlocks_ = blocks;
        emit SoundBlocksWanted(blocks.first, blocks.second);
    }
    const bool wanted = blocks.first || blocks.second;
    if (wanted == soundWanted_) return;
    soundWanted_ = wanted;
    emit SoundEffectWanted(wanted);
}

void CMainWnd::ShowTrayMenu() {
    // At most one menu: the previous one goes before a new one is built.
    delete trayMenu_;
    trayMenu_ = new TrayMenuWnd();
    connect(trayMenu_, &TrayMenuWnd::CommandChosen, this, &CMainWnd::MenuCommand);
    if (!trayMenu_->Create()) {
        delete trayMenu_;
        trayMenu_ = nullptr;
        return;
    }
    if (auto* autostart =
            trayMenu_->PaintManager().Find<QAbstractButton>(QStringLiteral("autostart_menu"))) {
        const QSignalBlocker quiet(autostart);
        autostart->setChecked(platform::AutostartEnabled());
    }
    trayMenu_->ShowAt(QCursor::pos());
}

void CMainWnd::MenuCommand(const QString& item) {
    if (item.compare(QLatin1String("exit"), Qt::CaseInsensitive) == 0) {
        if (trayMenu_ != nullptr) trayMenu_->hide();
        ClosePopups();
        Exit();
    } else if (item == QLatin1String("setwnd_menu")) {
        OpenSettingsWindow(false, false);
    } else if (item == QLatin1String("about_menu")) {
        OpenAboutWindow();
    } else if (item == QLatin1String("autostart_menu")) {
        ToggleAutostart();
    }
}

// --- popups

void CMainWnd::OpenSettingsWindow(bool besideButton, bool updateMode) {
    if (setWnd_ || exiting_) return;  // one at a time
    // Row k of the catalogue takes the firmware version of the device at list position k
    // (identity bytes 2-3, low byte first).
    std::vector<std::int32_t> firmware;
    if (devices_) {
        for (devices::COrvaneUSBDevice* device : devices_->AllDevices()) {
            const auto& identity = device->Identity();
            firmware.push_back(std::int32_t(identity[2] | (identity[3] << 8)));
        }
    }
    settings::SetWndOptions options;
    options.mainWindow = this;
    options.languageIndex = settings::LanguageSettings::CurrentIndex();
    options.dpi = paintManager_->Dpi();
    options.targets = TargetsToCheck(firmware, GetInstalledVersion());
    options.service = options_.updateService;
    options.updateMode = updateMode;
    auto* window = new settings::CSetWnd(std::move(options), this);
    if (!window->Create()) {
        delete window;
        return;
    }
    setWnd_ = window;
    if (besideButton) {
        window->PlaceBeside(this);
    } else {
        window->CentreOver(this);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void CMainWnd::OpenAboutWindow() {
    if (aboutWnd_ || exiting_) return;  // one at a time
    auto* window = new settings::CAboutWnd(this);
    if (!window->Create()) {
        delete window;
        return;
    }
    aboutWnd_ = window;
    window->move(frameGeometry().center() - QPoint(window->width() / 2, window->height() / 2));
    window->show();
    window->raise();
    window->activateWindow();
}

void CMainWnd::OpenSkinFrame() {
    if (skinFrame_) skinFrame_->close();
    auto* frame = new settings::CSkinFrame(this, FindControl(QStringLiteral("skinbtn")));
    if (!frame->Create()) {
        delete frame;
        return;
    }
    skinFrame_ = frame;
    frame->show();
}

void CMainWnd::ClosePopups() {
    if (skinFrame_) skinFrame_->close();
    if (aboutWnd_) aboutWnd_->close();
    if (setWnd_) setWnd_->close();
}

void CMainWnd::ToggleAutostart() {
    const bool on = !platform::AutostartEnabled();
    std::string error;
    if (!platform::SetAutostartEnabled(on, {}, &error)) {
        DebugLine("autostart entry: " + error);
        ShowMessage(this, QString(),
                    settings::LanguageText(QStringLiteral("setwnd_autostart_failed_text")) +
                        QString::fromStdString(error),
                    paintManager_->Dpi(), false, CMsgWnd::kConfirmOnly);
    }
}

// --- end

void CMainWnd::StopWorkers() {
    stopping_ = true;
    workers_.StopAll([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
}

void CMainWnd::Exit() {
    if (exiting_) return;
    exiting_ = true;
    DebugLine("退出测试");
    hide();
    StopWorkers();
    if (tray_ != nullptr) {
        tray_->hide();
        delete tray_;
        tray_ = nullptr;
    }
    close();
    emit Exited();
}

}  // namespace qx::app
