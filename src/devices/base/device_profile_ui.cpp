#include "devices/base/device_profile_ui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <utility>

#include "core/diagnostics.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/panels/light_control_ui.h"
#include "devices/panels/sound_styles.h"
#include "ui/file_dialogs.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

// The page tabs, numbered 1 to 8 in this order.
constexpr const char* kTabNames[CDeviceProfileUI::kTabCount] = {
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

// The key assignment controls a reset leaves as "key_butt_keycancel" does.
constexpr const char* kKeyEditButtons[] = {"key_butt_keysave", "key_butt_keycancel",
                                           "key_butt_prosave"};

CDeviceProfileUI::MessageBoxFunction& MessageBox() {
    static CDeviceProfileUI::MessageBoxFunction function;
    return function;
}

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize(1920, 1080);
}

QString FileFilter() {
    return ui::ResourceManager::GetInstance().Text(QStringLiteral("profile_file_filter")) +
           QStringLiteral(" (*.json)");
}

bool IsKeyboardOrMouse(DeviceKind kind) {
    return kind == DeviceKind::KeyboardWired || kind == DeviceKind::MouseWired;
}

}  // namespace

void CDeviceProfileUI::SetMessageBox(MessageBoxFunction function) {
    MessageBox() = std::move(function);
}

CDeviceProfileUI::CDeviceProfileUI(COrvaneUSBDevice& device, ui::PaintManager* manager)
    : QObject(&device), device_(device), paintManager_(manager) {
    setObjectName(QStringLiteral("DeviceProfileUI"));
    Bind();
    Subscribe();
}

CDeviceProfileUI::~CDeviceProfileUI() {
    if (paintManager_ && combo_) paintManager_->KillTimer(combo_, kSelectionTimer);
}

CDeviceProfileUI* CDeviceProfileUI::Of(const COrvaneUSBDevice* device) {
    if (device == nullptr) return nullptr;
    return device->findChild<CDeviceProfileUI*>(QString(), Qt::FindDirectChildrenOnly);
}

void CDeviceProfileUI::Bind() {
    QWidget* page = device_.Page();
    if (page == nullptr) return;
    auto find = [page](const char* name) {
        return ui::PaintManager::FindSubControlByName(page, QString::fromLatin1(name));
    };
    combo_ = qobject_cast<QComboBox*>(find("device_profile_combo"));
    nameEdit_ = qobject_cast<QLineEdit*>(find("device_profile_name_edit"));
    menu_ = find("profile_menu_layout");
    for (int i = 0; i < kTabCount; ++i) tabs_[i] = find(kTabNames[i]);
    // The menu's icons are the desktop theme's.
    const struct {
        const char* name;
        QStyle::StandardPixmap icon;
    } icons[] = {{"device_add_btn", QStyle::SP_FileDialogNewFolder},
                 {"device_sub_btn", QStyle::SP_TrashIcon},
                 {"device_copy_btn", QStyle::SP_FileDialogDetailedView},
                 {"device_import_btn", QStyle::SP_DialogOpenButton},
                 {"device_export_btn", QStyle::SP_DialogSaveButton},
                 {"device_reset_btn", QStyle::SP_BrowserReload},
                 {"profile_fun_spread_btn", QStyle::SP_ToolBarVerticalExtensionButton}};
    for (const auto& entry : icons) {
        if (auto* button = qobject_cast<QAbstractButton*>(find(entry.name))) {
            if (button->icon().isNull()) button->setIcon(page->style()->standardIcon(entry.icon));
        }
    }
}

void CDeviceProfileUI::Subscribe() {
    QWidget* page = device_.Page();
    if (page == nullptr || !paintManager_) return;
    auto onClick = [this, page](const char* name, void (CDeviceProfileUI::*flow)()) {
        QWidget* control = ui::PaintManager::FindSubControlByName(page, QString::fromLatin1(name));
        if (control == nullptr) return;
        paintManager_->OnNotify(control, QStringLiteral("click"), this,
                                [this, flow](ui::TNotifyUI&) { (this->*flow)(); });
    };
    onClick("device_add_btn", &CDeviceProfileUI::NewFlow);
    onClick("device_sub_btn", &CDeviceProfileUI::DeleteFlow);
    onClick("device_copy_btn", &CDeviceProfileUI::CopyFlow);
    onClick("device_import_btn", &CDeviceProfileUI::ImportFlow);
    onClick("device_export_btn", &CDeviceProfileUI::ExportFlow);
    onClick("device_reset_btn", &CDeviceProfileUI::ResetFlow);
    onClick("device_profile_edit_save_btn", &CDeviceProfileUI::RenameFlow);
    onClick("default_btn", &CDeviceProfileUI::RestoreDefaultsFlow);
    if (QWidget* spread = ui::PaintManager::FindSubControlByName(
            page, QStringLiteral("profile_fun_spread_btn"))) {
        paintManager_->OnNotify(spread, QStringLiteral("click"), this, [this](ui::TNotifyUI&) {
            SetProfileMenuVisible(!IsProfileMenuVisible());
        });
    }
    if (combo_) {
        paintManager_->OnNotify(combo_, QStringLiteral("itemselect"), this,
                                [this](ui::TNotifyUI&) { OnComboSelected(); });
        paintManager_->OnNotify(combo_, QStringLiteral("timer"), this, [this](ui::TNotifyUI& msg) {
            if (msg.wParam != kSelectionTimer) return;
            paintManager_->KillTimer(combo_, kSelectionTimer);
            RunSelection();
        });
    }
}

// --- start-up and the list

bool CDeviceProfileUI::Start() {
    SetDeviceKind(device_.Kind());
    SetFolders(device_.UserDeviceFolder(), device_.DefaultProfilePath());
    const bool made = InitProfileList();
    SelectTab(1);
    device_.SetProfileId(GetCurrentProfileId());
    return made;
}

void CDeviceProfileUI::SetDeviceKind(DeviceKind kind) {
    kind_ = kind;
    manager_.SetDeviceKind(kind);
}

void CDeviceProfileUI::SetFolders(const std::filesystem::path& deviceFolder,
                                  const std::filesystem::path& defaultProfilePath) {
    manager_.SetFolders(deviceFolder, defaultProfilePath);
}

bool CDeviceProfileUI::InitProfileList() {
    const ProfileStatus status = manager_.InitProfileList();
    if (!status) {
        DebugLine("InitProfileList: " + status.error);
        TellFailure(status);
    } else if (manager_.Recovery()) {
        Tell(QString::fromStdString(manager_.Recovery()->Message()));
    }
    FillCombo();
    HideTabsOfKind();
    emit ProfilesChanged();
    return bool(status);
}

void CDeviceProfileUI::FillCombo() {
    if (combo_) {
        const QSignalBlocker quiet(combo_.data());
        combo_->clear();
        for (const std::string& name : manager_.Names()) {
            combo_->addItem(QString::fromStdString(name));
            combo_->setItemData(combo_->count() - 1, QSize(0, 30), Qt::SizeHintRole);
        }
        combo_->setCurrentIndex(manager_.GetSelectedIndex());
    }
    const int selected = manager_.GetSelectedIndex();
    if (selected >= 0 && size_t(selected) < manager_.Names().size())
        SetNameEditText(QString::fromStdString(manager_.Names()[size_t(selected)]));
}

void CDeviceProfileUI::HideTabsOfKind() {
    auto hide = [this](int n) {
        if (tabs_[n - 1]) tabs_[n - 1]->setVisible(false);
    };
    switch (kind_) {
        case DeviceKind::KeyboardWired:
            hide(5);
            break;
        case DeviceKind::MousePad:
            for (int n : {5, 3, 4, 2}) hide(n);
            break;
        case DeviceKind::Headset:
            for (int n : {5, 3, 4, 2}) hide(n);
            for (int n : {6, 7, 8}) {
                if (tabs_[n - 1]) tabs_[n - 1]->setVisible(true);
            }
            break;
        default:
            break;
    }
}

void CDeviceProfileUI::SelectProfile(int index, bool raiseEvent) {
    const ProfileStatus status = manager_.SelectProfile(index);
    if (status.code == ProfileStatus::Code::WriteFailed) TellFailure(status);
    if (combo_) {
        const QSignalBlocker quiet(combo_.data());
        combo_->setCurrentIndex(manager_.GetSelectedIndex());
        if (raiseEvent) combo_->setFocus();
    }
    const int selected = manager_.GetSelectedIndex();
    if (selected >= 0 && size_t(selected) < manager_.Names().size())
        SetNameEditText(QString::fromStdString(manager_.Names()[size_t(selected)]));
    emit ProfilesChanged();
    if (raiseEvent) OnComboSelected();
}

QString CDeviceProfileUI::GetCurrentProfileId() const {
    return QString::fromStdString(manager_.GetCurrentProfileId());
}

QString CDeviceProfileUI::GetNameEditText() const {
    return nameEdit_ ? nameEdit_->text() : QString();
}

void CDeviceProfileUI::SetNameEditText(const QString& text) {
    if (nameEdit_) nameEdit_->setText(text);
}

void CDeviceProfileUI::SetProfileMenuVisible(bool visible) {
    if (menu_) menu_->setVisible(visible);
}

bool CDeviceProfileUI::IsProfileMenuVisible() const { return menu_ && !menu_->isHidden(); }

void CDeviceProfileUI::SelectTab(int n) {
    for (int i = 0; i < kTabCount; ++i) {
        auto* tab = qobject_cast<QAbstractButton*>(tabs_[i].data());
        if (tab == nullptr) continue;
        if (n < 1 || n > kTabCount) {
            if (i == kTabCount - 1) continue;  // any other n leaves tab 8 as it is
        }
        const QSignalBlocker quiet(tab);
        // An exclusive group would refuse to leave every button unchecked.
        const bool exclusive = tab->autoExclusive();
        tab->setAutoExclusive(false);
        tab->setChecked(i + 1 == n);
        tab->setAutoExclusive(exclusive);
    }
}

QStringList CDeviceProfileUI::Names() const {
    QStringList names;
    for (const std::string& name : manager_.Names()) names << QString::fromStdString(name);
    return names;
}

// --- messages

QWidget* CDeviceProfileUI::Parent() const {
    return paintManager_ ? paintManager_->Window() : device_.Page();
}

int CDeviceProfileUI::Ask(const QString& key) const {
    if (!MessageBox()) {
        DebugLine("no message window for the question " + key.toStdString());
        return 0;
    }
    return MessageBox()(Parent(), key, 1);
}

void CDeviceProfileUI::Tell(const QString& textOrKey) const {
    if (!MessageBox()) {
        DebugLine("message: " + textOrKey.toStdString());
        return;
    }
    MessageBox()(Parent(), textOrKey, 0);
}

void CDeviceProfileUI::TellFailure(const ProfileStatus& status) const {
    if (status.code == ProfileStatus::Code::WriteFailed) TellFailure(status.error);
}

void CDeviceProfileUI::TellFailure(const std::string& error) const {
    const QString text =
        ui::ResourceManager::GetInstance().Text(QStringLiteral("profile_write_failed_text"));
    Tell(text + QString::fromStdString(error));
}

void CDeviceProfileUI::TellUploadResult(int result) const {
    if (result == 0) return;
    if (result == -1) {
        Tell(QStringLiteral("message_text_7"));
        return;
    }
    QString text = ui::ResourceManager::GetInstance().Text(QStringLiteral("message_text_16"));
    // A text without its placeholder (a language that lacks it) still says the number.
    if (text.contains(QLatin1String("%d")))
        text.replace(QLatin1String("%d"), QString::number(result));
    else
        text += QStringLiteral(" (%1)").arg(result);
    Tell(text);
}

// --- actions

namespace {

QString StatusText(const ProfileStatus& status, const char* refusal, ProfileStatus& last) {
    last = status;
    if (status) return {};
    if (status.code == ProfileStatus::Code::WriteFailed)
        return QString::fromStdString(status.error);
    return QString::fromLatin1(refusal);
}

}  // namespace

void CDeviceProfileUI::ShowList() {
    FillCombo();
    emit ProfilesChanged();
}

QString CDeviceProfileUI::NewProfile() {
    const ProfileStatus status = manager_.NewProfile();
    // The selection stays; the new entry is the one selected at the next start.
    if (status) ShowList();
    return StatusText(status, "a device keeps at most 50 profiles; none was added", lastStatus_);
}

QString CDeviceProfileUI::CopyProfile() {
    const ProfileStatus status = manager_.CopyProfile();
    if (status) ShowList();
    return StatusText(status, "no profile is selected", lastStatus_);
}

QString CDeviceProfileUI::DeleteProfile() {
    const ProfileStatus status = manager_.DeleteProfile();
    if (status) ShowList();
    return StatusText(status, "the only profile cannot be deleted", lastStatus_);
}

QString CDeviceProfileUI::RenameProfile(const QString& name, ProfileManager::RenameResult* result) {
    const ProfileManager::RenameResult outcome = manager_.RenameProfile(name.toStdString());
    if (result != nullptr) *result = outcome;
    switch (outcome) {
        case ProfileManager::RenameResult::Done:
            ShowList();
            return {};
        case ProfileManager::RenameResult::NameInUse:
            return QStringLiteral("the name \"%1\" is used by another profile").arg(name);
        case ProfileManager::RenameResult::Blank:
            return QStringLiteral("a profile name cannot be blank");
        case ProfileManager::RenameResult::NoSelection:
            return QStringLiteral("no profile is selected");
        case ProfileManager::RenameResult::WriteFailed:
            break;
    }
    return QString::fromStdString(manager_.LastError());
}

QString CDeviceProfileUI::ImportProfile(const QString& path) {
    if (!ProfileManager::IsImportable(path.toStdString()))
        return QStringLiteral(
                   "\"%1\" is not a profile file (JSON with \"profilename\" and "
                   "\"profileUUID\")")
            .arg(path);
    const ProfileStatus status = manager_.ImportProfile(path.toStdString());
    if (status) ShowList();
    return StatusText(status, "the file was not imported", lastStatus_);
}

QString CDeviceProfileUI::ExportProfile(const QString& path) {
    return StatusText(manager_.ExportProfile(path.toStdString()),
                      "no profile is selected to export", lastStatus_);
}

QString CDeviceProfileUI::ResetProfile() {
    const ProfileStatus status = manager_.ResetProfile();
    if (!status) return StatusText(status, "the selected profile cannot be reset", lastStatus_);
    // The program's sound styles: the file, and what the capture program is sent.
    SoundStyles::Instance().Reset();
    ApplyReset();
    return {};
}

// --- flows

void CDeviceProfileUI::NewFlow() {
    // A refusal (50 profiles) says nothing; a failed write says why.
    if (!NewProfile().isEmpty()) TellFailure(lastStatus_);
}

void CDeviceProfileUI::DeleteFlow() {
    if (!DeleteProfile().isEmpty()) {
        TellFailure(lastStatus_);
        return;
    }
    // The combo moved to another item: that is a selection, applied after the wait.
    OnComboSelected();
}

void CDeviceProfileUI::CopyFlow() {
    if (!CopyProfile().isEmpty()) TellFailure(lastStatus_);
}

void CDeviceProfileUI::ImportFlow() {
    if (manager_.GetSelectedIndex() < 0) return;
    const QString path =
        ui::FileDialogs::GetOpenFileName(Parent(), QString(), QString(), FileFilter());
    if (path.isEmpty()) return;
    // A file that is not a profile is passed over, as the dialog's filter promises only those.
    if (!ProfileManager::IsImportable(path.toStdString())) {
        DebugLine("not a profile file: " + path.toStdString());
        return;
    }
    const QString error = ImportProfile(path);
    if (!error.isEmpty()) {
        TellFailure(error.toStdString());
        return;
    }
    OnComboSelected();
}

void CDeviceProfileUI::ExportFlow() {
    if (manager_.GetSelectedIndex() < 0) return;
    // A new file is the usual answer of a save dialog: it need not exist.
    const QString path =
        ui::FileDialogs::GetSaveFileName(Parent(), QString(), QString(), FileFilter());
    if (path.isEmpty()) return;
    if (!ExportProfile(path).isEmpty()) TellFailure(lastStatus_);
}

void CDeviceProfileUI::RenameFlow() {
    const QString name = GetNameEditText();
    if (name.isEmpty()) return;
    ProfileManager::RenameResult result{};
    const QString error = RenameProfile(name, &result);
    switch (result) {
        case ProfileManager::RenameResult::NameInUse:
            Tell(QStringLiteral("message_text_5"));
            break;
        case ProfileManager::RenameResult::Blank:
            Tell(QStringLiteral("message_text_25"));
            break;
        case ProfileManager::RenameResult::WriteFailed:
            TellFailure(error.toStdString());
            break;
        default:
            break;
    }
}

void CDeviceProfileUI::ResetFlow() {
    if (Ask(QStringLiteral("message_text_22")) != 1) return;
    if (!ResetProfile().isEmpty()) TellFailure(lastStatus_);
}

void CDeviceProfileUI::RestoreDefaultsFlow() {
    if (Ask(QStringLiteral("message_text_22")) != 1) return;
    COrvaneUSBDevice* device = &device_;
    const QSize screen = ScreenSize();
    device->Post([this, device, screen] {
        if (ProfileCapability* profiles = device->Profiles()) profiles->ReloadProfile();
        device->OnUiThread([device] { device->RefreshPanel(); });
        ApplyOutcome outcome;
        if (KeyTableCapability* keys = device->KeyTable()) {
            outcome.keyTableWritten = keys->WriteKeyTableFromProfile() == kResultSuccess;
            if (keys->WriteSystemBlock(0, 0, 1, screen.width(), screen.height()) != kResultSuccess)
                DebugLine("the settings block of the restored defaults was not written");
        }
        device->OnUiThread([this, outcome] { emit Applied(outcome); });
    });
}

void CDeviceProfileUI::OnComboSelected() {
    if (paintManager_ && combo_) {
        paintManager_->SetTimer(combo_, kSelectionTimer, kSelectionDelayMs);
        return;
    }
    RunSelection();  // no window: nothing to wait for
}

bool CDeviceProfileUI::SelectionPending() const {
    return paintManager_ && combo_ && paintManager_->HasTimer(combo_, kSelectionTimer);
}

void CDeviceProfileUI::RunSelection() {
    const int index = combo_ ? combo_->currentIndex() : manager_.GetSelectedIndex();
    if (index < 0) return;
    SelectProfile(index, false);
    ApplySelection();
}

bool CDeviceProfileUI::SelectAndApply(int index) {
    if (index < 0 || index >= int(manager_.Names().size())) return false;
    if (paintManager_ && combo_) paintManager_->KillTimer(combo_, kSelectionTimer);
    SelectProfile(index, false);
    ApplySelection();
    return true;
}

// --- the device's part, on its worker

void CDeviceProfileUI::ApplySelection(bool load) {
    device_.SetProfileId(GetCurrentProfileId());
    COrvaneUSBDevice* device = &device_;
    const QSize screen = ScreenSize();
    device->Post([this, device, screen, load] {
        KeyTableCapability* keys = device->KeyTable();
        if (load) {
            if (ProfileCapability* profiles = device->Profiles()) profiles->LoadProfile();
            if (keys != nullptr) keys->DropDanglingMacros();
            device->OnUiThread([device] { device->RefreshPanel(); });
        }
        ApplyOutcome outcome;
        bool written = true;
        if (keys != nullptr) {
            outcome.blockResult = keys->WriteSystemBlock(0, 0, 1, screen.width(), screen.height());
            if (outcome.blockResult != kResultSuccess) {
                DebugLine("the settings block of the selected profile was not written");
                written = false;
            }
            outcome.uploadResult = keys->UploadMacros(keys->CollectMacros());
            if (outcome.uploadResult == 0 || outcome.uploadResult == -1) {
                outcome.keyTableWritten = keys->WriteKeyTableFromProfile() == kResultSuccess;
                written = written && outcome.keyTableWritten;
            }
        } else {
            // A family whose block holds only its lighting (the pad).
            outcome.blockResult = device->WriteLightingBlock();
            written = outcome.blockResult == kResultSuccess;
        }
        const DeviceKind kind = device->Kind();
        device->OnUiThread([this, outcome, written, kind] {
            TellUploadResult(outcome.uploadResult);
            // The mouse and the pad name why their block did not reach them; otherwise a
            // device that left or refused the writes is told of once (the macros' message says
            // it already); it gets the profile again when it comes back.
            const bool blockFamily = kind == DeviceKind::MouseWired ||
                                     kind == DeviceKind::MouseWireless ||
                                     kind == DeviceKind::MousePad;
            if (blockFamily && outcome.blockResult != kResultSuccess)
                Tell(LightWriteErrorText(outcome.blockResult));
            else if (!written && outcome.uploadResult != -1)
                Tell(QStringLiteral("profile_apply_failed_text"));
            emit Applied(outcome);
        });
    });
}

void CDeviceProfileUI::ApplyReset() {
    COrvaneUSBDevice* device = &device_;
    const QSize screen = ScreenSize();
    const DeviceKind kind = kind_;
    if (kind == DeviceKind::KeyboardWired) {
        if (QWidget* keyset = paintManager_ ? ui::PaintManager::FindSubControlByName(
                                                  device->Page(), QStringLiteral("keyset_layout"))
                                            : nullptr)
            keyset->setVisible(false);
    }
    device->Post([this, device, screen, kind] {
        if (ProfileCapability* profiles = device->Profiles()) profiles->LoadProfile();
        device->OnUiThread([device] { device->RefreshPanel(); });
        ApplyOutcome outcome;
        KeyTableCapability* keys = device->KeyTable();
        if (keys != nullptr) {
            if (keys->WriteSystemBlock(0, 0, 1, screen.width(), screen.height()) != kResultSuccess)
                DebugLine("the settings block of the reset profile was not written");
            if (IsKeyboardOrMouse(kind)) {
                outcome.uploadResult = keys->UploadMacros(keys->CollectMacros());
                if (outcome.uploadResult == 0 || outcome.uploadResult == -1)
                    outcome.keyTableWritten = keys->WriteKeyTableFromProfile() == kResultSuccess;
            }
        }
        device->OnUiThread([this, device, kind, outcome] {
            TellUploadResult(outcome.uploadResult);
            const bool wentOn = outcome.uploadResult == 0 || outcome.uploadResult == -1;
            if (IsKeyboardOrMouse(kind) && wentOn && device->Page() != nullptr) {
                if (kind == DeviceKind::MouseWired) {
                    if (QWidget* keyset = ui::PaintManager::FindSubControlByName(
                            device->Page(), QStringLiteral("keyset_layout")))
                        keyset->setVisible(false);
                }
                for (const char* name : kKeyEditButtons) {
                    if (QWidget* button = ui::PaintManager::FindSubControlByName(
                            device->Page(), QString::fromLatin1(name)))
                        button->setEnabled(false);
                }
            }
            emit Applied(outcome);
        });
    });
}

}  // namespace qx::devices
