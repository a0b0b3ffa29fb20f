#include "devices/panels/key_set_control_ui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "core/diagnostics.h"
#include "devices/base/device_families.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/user_message.h"
#include "devices/panels/input_capture_session.h"
#include "macros/key_code_rows.h"
#include "macros/linux_key_codes.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

constexpr int kKeyPage = 2;
constexpr int kFunctionRole = Qt::UserRole;
// X11 and Wayland give the Linux key code plus 8 as the native scan code.
constexpr quint32 kNativeScanCodeOffset = 8;

QString Text(const char* key) {
    return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
}

int ComboIndex(const QComboBox* combo) { return combo ? combo->currentIndex() : -1; }

void SetComboIndex(QComboBox* combo, int index) {
    if (combo == nullptr) return;
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// What an edit shows as a decimal number; text without leading digits is 0.
int EditNumber(const QLineEdit* edit) {
    if (edit == nullptr) return 0;
    const QString text = edit->text().trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit()) ++digits;
    return text.left(digits).toInt();
}

void SetEditNumber(QLineEdit* edit, int value) {
    if (edit == nullptr) return;
    const QSignalBlocker quiet(edit);
    edit->setText(QString::number(value));
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(COrvaneUSBDevice& device, ui::PaintManager* manager)
    : QObject(&device),
      device_(device),
      manager_(manager),
      capture_(new InputCaptureSession(this)) {
    setObjectName(QStringLiteral("KeySetControlUI"));
    connect(capture_, &InputCaptureSession::KeyCaptured, this,
            [this](macros::ScanKey key) { OnKeyCaptured(key); });
    connect(capture_, &InputCaptureSession::Ended, this,
            [this](InputCaptureSession::EndReason why) { OnCaptureEnded(static_cast<int>(why)); });
    Bind();
    Subscribe();
    SetButtons(false);
    // Hidden until a key is picked.
    if (container_) container_->setVisible(false);
}

CKeySetControlUI::~CKeySetControlUI() {
    if (!capturing_) return;
    // The device may be half gone already: only the capture and the window's list are touched.
    capture_->Stop();
    if (manager_)
        if (QWidget* list = manager_->FindControl(QStringLiteral("device_select_layout")))
            list->setEnabled(true);
}

CKeySetControlUI* CKeySetControlUI::Of(const COrvaneUSBDevice* device) {
    if (device == nullptr) return nullptr;
    return device->findChild<CKeySetControlUI*>(QString(), Qt::FindDirectChildrenOnly);
}

bool CKeySetControlUI::IsMouse() const {
    return device_.Family() != nullptr && device_.Family()->family == DeviceFamily::Mouse;
}

void CKeySetControlUI::Bind() {
    QWidget* page = device_.Page();
    if (page == nullptr) return;
    container_ = ui::PaintManager::FindSubControlByName(page, QStringLiteral("KeySetControlItem"));
    if (!container_) return;
    auto find = [this](const char* name) {
        return ui::PaintManager::FindSubControlByName(container_, QString::fromLatin1(name));
    };
    auto combo = [&find](const char* name) { return qobject_cast<QComboBox*>(find(name)); };
    auto edit = [&find](const char* name, int maximum) {
        auto* line = qobject_cast<QLineEdit*>(find(name));
        if (line != nullptr && maximum > 0) line->setValidator(new QIntValidator(0, maximum, line));
        return line;
    };
    layout_ = find("keyset_layout");
    cycleLayout_ = find("keyset_macro_cycle_layout");
    selectedLabel_ = qobject_cast<QLabel*>(find("keyset_selected_label"));
    captureStatus_ = qobject_cast<QLabel*>(find("keyset_capture_status_label"));
    tabs_ = qobject_cast<QStackedWidget*>(find("function_switch_tablayout"));
    functionCombo_ = combo("keyset_function_combo");
    mouseKeyCombo_ = combo("keyset_mousekey_combo");
    swingCombo_ = combo("keyset_mouseswing_combo");
    wheelCombo_ = combo("keyset_mousewheel_combo");
    dpiCombo_ = combo("keyset_mousedpi_combo");
    mediaCombo_ = combo("keyset_media_combo");
    systemCombo_ = combo("keyset_system_combo");
    macroCombo_ = combo("keyset_macro_combo");
    repeatCombo_ = combo("keyset_macro_over_combo");
    gunCombo_ = combo("keyset_gunkey_combo");
    combinationCombo_ = combo("keyset_combokey_combo");
    swingCount_ = edit("keyset_mouseswing_num_edit", 127);
    swingDelay_ = edit("keyset_mouseswing_delay_edit", 15);
    swingSpeed_ = edit("keyset_mouseswing_speed_edit", 15);
    wheelCount_ = edit("keyset_mousewheel_num_edit", 127);
    wheelDelay_ = edit("keyset_mousewheel_delay_edit", 15);
    wheelSpeed_ = edit("keyset_mousewheel_speed_edit", 15);
    fireInterval_ = edit("keyset_mousefire_interval_edit", 255);
    fireCount_ = edit("keyset_mousefire_num_edit", 255);
    macroTimes_ = edit("keyset_macro_cycle_edit", 255);
    keyEdit_ = edit("keyset_keyboard_text_edit", 0);
    if (keyEdit_) keyEdit_->installEventFilter(this);
    for (size_t i = 0; i < modifierChecks_.size(); ++i)
        modifierChecks_[i] = qobject_cast<QAbstractButton*>(
            find(QStringLiteral("key_ComBox_check_%1").arg(i).toLatin1().constData()));
    const char* buttons[] = {"key_butt_keysave", "key_butt_keydefalut", "key_butt_keycancel",
                             "key_butt_prosave"};
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i] = qobject_cast<QAbstractButton*>(find(buttons[i]));

    // Each item of the function combo carries its function number; a keyboard has neither DPI
    // steps nor gun keys.
    if (functionCombo_) {
        const bool keyboard =
            device_.Family() != nullptr && device_.Family()->family == DeviceFamily::Keyboard;
        for (int i = 0; i < functionCombo_->count(); ++i) functionCombo_->setItemData(i, i);
        for (int i = functionCombo_->count() - 1; i >= 0; --i)
            if (!FunctionOffered(i, keyboard)) functionCombo_->removeItem(i);
    }
}

void CKeySetControlUI::Subscribe() {
    if (!manager_) return;
    for (size_t i = 0; i < device_.KeyButtons().size(); ++i) {
        if (QWidget* button = device_.KeyButtons()[i]) {
            manager_->OnNotify(button, QStringLiteral("click"), this,
                               [this, i](ui::TNotifyUI&) { OnKeyClicked(static_cast<int>(i)); });
        }
    }
    if (!container_) return;
    const QString itemSelect = QStringLiteral("itemselect");
    auto apply = [this](ui::TNotifyUI&) { Apply(); };
    if (functionCombo_)
        manager_->OnNotify(functionCombo_, itemSelect, this,
                           [this](ui::TNotifyUI&) { OnFunctionChosen(); });
    for (QComboBox* combo : {mouseKeyCombo_.data(), swingCombo_.data(), wheelCombo_.data(),
                             dpiCombo_.data(), mediaCombo_.data(), systemCombo_.data(),
                             macroCombo_.data(), gunCombo_.data(), combinationCombo_.data()})
        if (combo != nullptr) manager_->OnNotify(combo, itemSelect, this, apply);
    if (repeatCombo_) {
        manager_->OnNotify(repeatCombo_, itemSelect, this, [this](ui::TNotifyUI&) {
            if (cycleLayout_)
                cycleLayout_->setVisible(repeatCombo_->currentIndex() == kMacroRepeatTimes);
            Apply();
        });
    }
    // A number is taken when the edit is left or Enter is pressed.
    for (QLineEdit* edit : {swingCount_.data(), swingDelay_.data(), swingSpeed_.data(),
                            wheelCount_.data(), wheelDelay_.data(), wheelSpeed_.data(),
                            fireInterval_.data(), fireCount_.data(), macroTimes_.data()}) {
        if (edit == nullptr) continue;
        manager_->OnNotify(edit, QStringLiteral("killfocus"), this, apply);
        manager_->OnNotify(edit, QStringLiteral("return"), this, apply);
    }
    for (QAbstractButton* check : modifierChecks_) {
        if (check == nullptr) continue;
        manager_->OnNotify(check, QStringLiteral("selectchanged"), this,
                           [this](ui::TNotifyUI& msg) {
                               if (msg.wParam != 0) Apply();
                           });
    }
    if (keyEdit_) {
        manager_->OnNotify(keyEdit_, QStringLiteral("setfocus"), this, [this](ui::TNotifyUI&) {
            editFocused_ = true;
            SetCapture(true);
        });
        manager_->OnNotify(keyEdit_, QStringLiteral("killfocus"), this, [this](ui::TNotifyUI&) {
            editFocused_ = false;
            SetCapture(false);
        });
    }
    void (CKeySetControlUI::*actions[])() = {
        &CKeySetControlUI::Apply, &CKeySetControlUI::RestoreDefault, &CKeySetControlUI::Cancel,
        &CKeySetControlUI::WriteToDevice};
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (!buttons_[i]) continue;
        manager_->OnNotify(buttons_[i], QStringLiteral("click"), this,
                           [this, action = actions[i]](ui::TNotifyUI&) { (this->*action)(); });
    }
}

// --- picking a key

void CKeySetControlUI::OnKeyClicked(int key) {
    // On the other pages a key click belongs to the lighting (custom colours).
    if (device_.GetFunctionPage() != kKeyPage) return;
    SelectKey(key);
}

bool CKeySetControlUI::SelectKey(int key) {
    KeyAssignCapability* keys = device_.KeyAssign();
    if (keys == nullptr) return false;
    const std::vector<KeyAssignRecord> list = keys->KeyList();
    // Without a profile there is nothing to show.
    if (key < 0 || key >= static_cast<int>(list.size())) return false;
    // One button always keeps the left click.
    if (IsMouse() && HoldsLastLeftButton(list, key)) {
        Tell(Text("message_text_6"));
        return false;
    }
    device_.SelectButton(key);
    key_ = key;
    macroNames_ = keys->MacroNames();
    SetMacroNames(macroNames_);
    if (container_) {
        container_->setVisible(true);
        container_->setEnabled(true);
    }
    if (selectedLabel_) {
        const std::optional<int> row =
            RowOfFunction(KeyFunction::Of(list[static_cast<size_t>(key)].defaults));
        const QString name =
            row ? ui::ResourceManager::GetInstance().Text(QString::fromUtf8(
                      KeyCodeRows()[static_cast<size_t>(*row)].nameKey.data(),
                      static_cast<qsizetype>(
                          KeyCodeRows()[static_cast<size_t>(*row)].nameKey.size())))
                : QString::number(key + 1);
        selectedLabel_->setText(Text("keyset_selected_text") + name);
    }
    ShowKey(list[static_cast<size_t>(key)]);
    return true;
}

void CKeySetControlUI::ShowKey(const KeyAssignRecord& record) {
    record_ = record;
    ShowValue(KeyFunction::Of(record_.current));
}

void CKeySetControlUI::ShowDefault() { ShowValue(KeyFunction::Of(record_.defaults)); }

void CKeySetControlUI::ShowCurrent() { ShowValue(KeyFunction::Of(record_.current)); }

void CKeySetControlUI::ShowValue(KeyFunction value) {
    KeyFunctionForm form = ReadForm();
    const KeyFunction before = value;
    ShowFunction(value, MacroCount(), form);
    // A key the table does not know was emptied: the stored value says so too.
    if (value != before && before == KeyFunction::Of(record_.current)) value.Into(record_.current);
    WriteForm(form);
}

void CKeySetControlUI::ShowSection(int function) {
    const int item = functionCombo_ ? functionCombo_->findData(function, kFunctionRole) : -1;
    if (item < 0) {
        if (layout_) layout_->setVisible(false);
        SetComboIndex(functionCombo_, -1);
        return;
    }
    if (layout_) layout_->setVisible(true);
    SetComboIndex(functionCombo_, item);
    if (tabs_ && function < tabs_->count()) tabs_->setCurrentIndex(function);
}

KeyFunction CKeySetControlUI::ReadValue() const {
    return ReadFunction(ReadForm(), KeyFunction::Of(record_.current),
                        KeyFunction::Of(record_.defaults), MacroCount());
}

void CKeySetControlUI::SetMacroNames(const QStringList& names) {
    macroNames_ = names;
    if (macroCombo_) {
        const QSignalBlocker quiet(macroCombo_.data());
        macroCombo_->clear();
        macroCombo_->addItems(names);
        macroCombo_->setCurrentIndex(-1);
    }
}

void CKeySetControlUI::Refresh() {
    KeyAssignCapability* keys = device_.KeyAssign();
    if (keys == nullptr) return;
    SetMacroNames(keys->MacroNames());
    if (key_ < 0) return;
    const std::vector<KeyAssignRecord> list = keys->KeyList();
    if (key_ >= static_cast<int>(list.size())) return;
    ShowKey(list[static_cast<size_t>(key_)]);
}

// --- the controls

KeyFunctionForm CKeySetControlUI::ReadForm() const {
    KeyFunctionForm form;
    if (functionCombo_ && functionCombo_->currentIndex() >= 0)
        form.function = functionCombo_->currentData(kFunctionRole).toInt();
    form.mouseButton = ComboIndex(mouseKeyCombo_);
    form.swingDirection = ComboIndex(swingCombo_);
    form.swingCount = EditNumber(swingCount_);
    form.swingDelay = EditNumber(swingDelay_);
    form.swingSpeed = EditNumber(swingSpeed_);
    form.wheelDirection = ComboIndex(wheelCombo_);
    form.wheelCount = EditNumber(wheelCount_);
    form.wheelDelay = EditNumber(wheelDelay_);
    form.wheelSpeed = EditNumber(wheelSpeed_);
    form.dpi = ComboIndex(dpiCombo_);
    form.fireInterval = EditNumber(fireInterval_);
    form.fireCount = EditNumber(fireCount_);
    form.modifierCheck = -1;
    for (size_t i = 0; i < modifierChecks_.size(); ++i)
        if (modifierChecks_[i] && modifierChecks_[i]->isChecked()) form.modifierCheck = int(i);
    form.keyRow = keyEdit_ && keyEdit_->text().isEmpty() ? -1 : keyRow_;
    form.media = ComboIndex(mediaCombo_);
    form.system = ComboIndex(systemCombo_);
    form.macro = ComboIndex(macroCombo_);
    form.macroRepeat = ComboIndex(repeatCombo_);
    form.macroTimes = EditNumber(macroTimes_);
    form.macroTimesShown = cycleLayout_ && !cycleLayout_->isHidden();
    form.gunKey = ComboIndex(gunCombo_);
    form.combination = ComboIndex(combinationCombo_);
    return form;
}

void CKeySetControlUI::WriteForm(const KeyFunctionForm& form) {
    SetComboIndex(mouseKeyCombo_, form.mouseButton);
    SetComboIndex(swingCombo_, form.swingDirection);
    SetEditNumber(swingCount_, form.swingCount);
    SetEditNumber(swingDelay_, form.swingDelay);
    SetEditNumber(swingSpeed_, form.swingSpeed);
    SetComboIndex(wheelCombo_, form.wheelDirection);
    SetEditNumber(wheelCount_, form.wheelCount);
    SetEditNumber(wheelDelay_, form.wheelDelay);
    SetEditNumber(wheelSpeed_, form.wheelSpeed);
    SetComboIndex(dpiCombo_, form.dpi);
    SetEditNumber(fireInterval_, form.fireInterval);
    SetEditNumber(fireCount_, form.fireCount);
    for (size_t i = 0; i < modifierChecks_.size(); ++i) {
        QAbstractButton* check = modifierChecks_[i];
        if (check == nullptr) continue;
        const QSignalBlocker quiet(check);
        // Unchecking the whole group needs the exclusivity off for a moment.
        const bool exclusive = check->autoExclusive();
        check->setAutoExclusive(false);
        check->setChecked(static_cast<int>(i) == form.modifierCheck);
        check->setAutoExclusive(exclusive);
    }
    keyRow_ = form.keyRow;
    if (keyEdit_) {
        const QSignalBlocker quiet(keyEdit_.data());
        if (form.keyRow >= 0 && form.keyRow < kKeyCodeRowCount) {
            const std::string_view name = KeyCodeRows()[static_cast<size_t>(form.keyRow)].nameKey;
            keyEdit_->setText(ui::ResourceManager::GetInstance().Text(
                QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
        } else {
            keyEdit_->clear();
        }
    }
    SetComboIndex(mediaCombo_, form.media);
    SetComboIndex(systemCombo_, form.system);
    SetComboIndex(macroCombo_, form.macro);
    SetComboIndex(repeatCombo_, form.macroRepeat);
    SetEditNumber(macroTimes_, form.macroTimes);
    if (cycleLayout_) cycleLayout_->setVisible(form.macroTimesShown);
    SetComboIndex(gunCombo_, form.gunKey);
    SetComboIndex(combinationCombo_, form.combination);
    ShowSection(form.function);
}

void CKeySetControlUI::OnFunctionChosen() {
    if (functionCombo_ && tabs_ && functionCombo_->currentIndex() >= 0) {
        const int function = functionCombo_->currentData(kFunctionRole).toInt();
        if (function < tabs_->count()) tabs_->setCurrentIndex(function);
    }
    Apply();
}

// --- actions

void CKeySetControlUI::Apply() {
    KeyAssignCapability* keys = device_.KeyAssign();
    if (keys == nullptr || key_ < 0) return;
    KeyAssignHalf wanted = record_.current;
    ReadValue().Into(wanted);
    if (!keys->StoreKeyFunction(key_, wanted)) {
        Tell(Text("keyset_not_saved_text"));
        ShowCurrent();
        return;
    }
    record_.current = wanted;
    keys->RefreshKeyLabels();
    SetButtons(true);
}

void CKeySetControlUI::RestoreDefault() {
    if (key_ < 0) return;
    ShowDefault();
    Apply();
    if (!buttonsEnabled_) return;  // not stored
    // The keyboard takes its default at once.
    if (device_.Family() == nullptr || device_.Family()->family != DeviceFamily::Keyboard) return;
    KeyTableCapability* table = device_.KeyTable();
    if (table == nullptr) return;
    COrvaneUSBDevice* device = &device_;
    device->Post([this, device, table] {
        const Result result = table->WriteKeyTableFromProfile();
        if (result == kResultSuccess) return;
        device->OnUiThread([this, result] {
            Tell(Text("keyset_write_failed_text") +
                 Text(result == kResultStatusFF || result == kResultStatusFE
                          ? "keyset_error_refused"
                          : "keyset_error_no_answer"));
        });
    });
}

void CKeySetControlUI::Cancel() {
    ShowCurrent();
    SetButtons(false);
}

void CKeySetControlUI::WriteToDevice() {
    KeyTableCapability* table = device_.KeyTable();
    if (table == nullptr) return;
    COrvaneUSBDevice* device = &device_;
    const bool posted = device->Post([this, device, table] {
        const int upload = table->UploadMacros(table->CollectMacros());
        // Macros the device did not take leave the keys on them: the table goes all the same. A
        // too large image stops here, so that no key names a macro the device lacks.
        Result written = kResultFailed;
        if (upload == 0 || upload == -1) {
            written = table->WriteKeyTableFromProfile();
            if (ProfileCapability* profiles = device->Profiles()) profiles->SaveProfile();
        }
        device->OnUiThread([this, upload, written] {
            if (upload == -1) {
                Tell(Text("message_text_7"));
            } else if (upload > 0) {
                QString text = Text("message_text_16");
                if (text.contains(QLatin1String("%d")))
                    text.replace(QLatin1String("%d"), QString::number(upload));
                else
                    text += QStringLiteral(" (%1)").arg(upload);
                Tell(text);
            }
            const bool tableWritten = written == kResultSuccess;
            if ((upload == 0 || upload == -1) && !tableWritten) {
                Tell(Text("keyset_write_failed_text") +
                     Text(written == kResultStatusFF || written == kResultStatusFE
                              ? "keyset_error_refused"
                              : "keyset_error_no_answer"));
            }
            // A write that did not get through can be tried again.
            if (tableWritten) SetButtons(false);
            emit Written(upload, tableWritten);
        });
    });
    if (!posted) DebugLine("the key table could not be queued for the device");
}

void CKeySetControlUI::SetButtons(bool enabled) {
    buttonsEnabled_ = enabled;
    for (size_t i : {size_t{0}, size_t{2}, size_t{3}})
        if (buttons_[i]) buttons_[i]->setEnabled(enabled);
}

// --- the key edit's capture

void CKeySetControlUI::SetCapture(bool on) {
    if (capturing_ == on) return;
    capturing_ = on;
    DebugLine(on ? "key capture on" : "key capture off");
    // While a key is learnt the device and its profile stay as they are.
    if (manager_)
        if (QWidget* list = manager_->FindControl(QStringLiteral("device_select_layout")))
            list->setEnabled(!on);
    if (QWidget* page = device_.Page())
        if (QWidget* profiles =
                ui::PaintManager::FindSubControlByName(page, QStringLiteral("DeviceProfileItem")))
            profiles->setEnabled(!on);
    if (!on) {
        if (capture_->Running() && capture_->SystemWide()) ShowCaptureStatus(QString());
        capture_->Stop();
        return;
    }
    SetButtons(true);
    const QString limited = capture_->StartSingleKey(keyEdit_ ? keyEdit_->window() : nullptr);
    ShowCaptureStatus(limited.isEmpty() ? Text("keyset_capture_system_text") : limited);
}

void CKeySetControlUI::OnCaptureEnded(int reason) {
    switch (static_cast<InputCaptureSession::EndReason>(reason)) {
        case InputCaptureSession::EndReason::FocusLost:
            ShowCaptureStatus(Text("keyset_capture_focus_lost"));
            break;
        case InputCaptureSession::EndReason::DevicesGone:
            ShowCaptureStatus(Text("keyset_capture_devices_gone"));
            break;
        case InputCaptureSession::EndReason::TimedOut:
            ShowCaptureStatus(Text("keyset_capture_timed_out"));
            break;
        case InputCaptureSession::EndReason::KeyCaptured:
            return;  // OnKeyCaptured decides
        case InputCaptureSession::EndReason::Stopped:
            break;
    }
    // The capture is over: the device list and the profiles are free again. A key typed into
    // the edit while it keeps the focus is still learnt there.
    SetCapture(false);
}

void CKeySetControlUI::OnKeyCaptured(macros::ScanKey key) {
    const QString before = keyEdit_ ? keyEdit_->text() : QString();
    CaptureScanKey(key);
    const bool changed = !keyEdit_ || keyEdit_->text() != before;
    if (changed || !editFocused_ || !capturing_) {
        // The hint of a capture limited to the window stays: it names the fix.
        if (capture_->SystemWide()) ShowCaptureStatus(QString());
        SetCapture(false);
        return;
    }
    // A modifier (or a key without a row): the next key is still awaited.
    capture_->StartSingleKey(keyEdit_->window());
}

void CKeySetControlUI::ShowCaptureStatus(const QString& text) {
    if (captureStatus_) {
        captureStatus_->setText(text);
        captureStatus_->setVisible(!text.isEmpty());
    }
    if (!text.isEmpty()) DebugLine("key capture: " + text.toStdString());
}

void CKeySetControlUI::CaptureScanKey(macros::ScanKey key) {
    const std::optional<int> row = FindScanCodeRow(key.scanCode, key.extended);
    if (!row) return;
    KeyFunctionForm form = ReadForm();
    if (!CaptureKeyRow(*row, form)) return;
    form.function = kFunctionKeyboard;
    WriteForm(form);
    Apply();
}

void CKeySetControlUI::CaptureLinuxKey(unsigned linuxKey) {
    if (const std::optional<macros::ScanKey> scan = macros::ScanKeyFromLinuxKey(linuxKey))
        CaptureScanKey(*scan);
}

bool CKeySetControlUI::eventFilter(QObject* watched, QEvent* event) {
    // A hidden edit (another page or device shown, the device gone) learns nothing more.
    if (watched == keyEdit_ && event->type() == QEvent::Hide) {
        editFocused_ = false;
        SetCapture(false);
    }
    if (watched == keyEdit_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->nativeScanCode() > kNativeScanCodeOffset) {
            if (!key->isAutoRepeat())
                CaptureLinuxKey(key->nativeScanCode() - kNativeScanCodeOffset);
        } else {
            DebugLine("a key without a scan code was not learnt");
        }
        // The key is the one being learnt: it types nothing and moves no focus.
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CKeySetControlUI::Tell(const QString& text) const { ShowUserMessage(text); }

}  // namespace qx::devices
