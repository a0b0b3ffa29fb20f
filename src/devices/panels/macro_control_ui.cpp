#include "devices/panels/macro_control_ui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QTableWidget>
#include <QToolButton>

#include "core/diagnostics.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/user_message.h"
#include "devices/panels/device_macros.h"
#include "devices/panels/input_capture_session.h"
#include "devices/panels/key_set_control_ui.h"
#include "macros/macro_deletion.h"
#include "macros/macro_event.h"
#include "ui/file_dialogs.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using macros::DelayMode;
using macros::Placement;

CMacroControlUI::Confirm& ConfirmHandler() {
    static CMacroControlUI::Confirm confirm;
    return confirm;
}

bool Ask(const QString& text) {
    if (ConfirmHandler()) return ConfirmHandler()(text);
    return QMessageBox::question(nullptr, QString(), text) == QMessageBox::Yes;
}

QString Text(const QString& key) { return ui::ResourceManager::GetInstance().Text(key); }

template <class T>
T* Find(QWidget* panel, const char* name) {
    return qobject_cast<T*>(
        ui::PaintManager::FindSubControlByName(panel, QString::fromLatin1(name)));
}

const QString kMacroFilter = QStringLiteral("Macro Files(*.mac)");

}  // namespace

void CMacroControlUI::SetConfirm(Confirm confirm) { ConfirmHandler() = std::move(confirm); }

CMacroControlUI::CMacroControlUI(COrvaneUSBDevice& device, QWidget* panel)
    : QObject(panel), device_(device), panel_(panel), capture_(new InputCaptureSession(this)) {
    Bind();
    BuildMenu();
    connect(capture_, &InputCaptureSession::Input, this, &CMacroControlUI::OnInput);
    connect(capture_, &InputCaptureSession::Ended, this,
            [this](InputCaptureSession::EndReason why) {
                if (why == InputCaptureSession::EndReason::FocusLost)
                    ShowStatus(Text(QStringLiteral("macro_capture_focus_lost")));
                else if (why == InputCaptureSession::EndReason::DevicesGone)
                    ShowStatus(Text(QStringLiteral("macro_capture_devices_gone")));
                else if (why == InputCaptureSession::EndReason::TimedOut)
                    ShowStatus(Text(QStringLiteral("macro_capture_timed_out")));
                StopRecording();
            });
    LoadList();
}

CMacroControlUI::~CMacroControlUI() = default;

CMacroControlUI* CMacroControlUI::Of(const COrvaneUSBDevice* device) {
    if (device == nullptr || device->Page() == nullptr) return nullptr;
    return device->Page()->findChild<CMacroControlUI*>();
}

MacroStore CMacroControlUI::Store() const { return DeviceMacroStore(device_); }

void CMacroControlUI::Bind() {
    QWidget* p = panel_;
    names_ = Find<QListWidget>(p, "macro_name_list");
    table_ = Find<QTableWidget>(p, "macro_action_list");
    nameEdit_ = Find<QLineEdit>(p, "macro_edit_macroname");
    fixedTime_ = Find<QLineEdit>(p, "macro_fixed_time_edit");
    moveLeft_ = Find<QLineEdit>(p, "mouse_x_left_edit");
    moveRight_ = Find<QLineEdit>(p, "mouse_x_right_edit");
    moveUp_ = Find<QLineEdit>(p, "mouse_y_up_edit");
    moveDown_ = Find<QLineEdit>(p, "mouse_y_down_edit");
    start_ = Find<QAbstractButton>(p, "macro_btn_starredio");
    stop_ = Find<QAbstractButton>(p, "macro_btn_stopredio");
    constantCheck_ = Find<QAbstractButton>(p, "macro_check_time");
    exportButton_ = Find<QAbstractButton>(p, "macro_btn_export");
    deleteButton_ = Find<QAbstractButton>(p, "macro_btn_name_sub");
    renameButton_ = Find<QAbstractButton>(p, "macro_btn_name_edit");
    menuButton_ = Find<QAbstractButton>(p, "macro_btn_action_menu");
    status_ = Find<QLabel>(p, "macro_capture_status_label");
    eventSection_ = Find<QWidget>(p, "macro_tab_macroaction_edit");
    moveSection_ = Find<QWidget>(p, "macro_tab_macrodelay_edit");
    if (fixedTime_) fixedTime_->setValidator(new QIntValidator(0, 9999999, fixedTime_));
    for (QLineEdit* edit :
         {moveLeft_.data(), moveRight_.data(), moveUp_.data(), moveDown_.data()}) {
        if (edit) edit->setValidator(new QIntValidator(0, 255, edit));
    }
    if (stop_) stop_->hide();
    if (table_) {
        table_->setColumnCount(3);
        table_->horizontalHeader()->setStretchLastSection(true);
        table_->verticalHeader()->hide();
        table_->setSelectionBehavior(QAbstractItemView::SelectRows);
        table_->setSelectionMode(QAbstractItemView::SingleSelection);
        table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) {
            rows_.Select(row >= 0 ? std::optional<int>(row) : std::nullopt);
        });
    }
    if (names_) {
        connect(names_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0) SelectMacro(row);
        });
    }
    const auto onClick = [this, p](const char* name, std::function<void()> action) {
        if (auto* button = Find<QAbstractButton>(p, name))
            connect(button, &QAbstractButton::clicked, this, [action] { action(); });
    };
    onClick("macro_btn_name_add", [this] { AddMacro(); });
    onClick("macro_btn_name_edit", [this] { RenameMacro(); });
    onClick("macro_btn_name_sub", [this] { DeleteMacro(); });
    onClick("macro_btn_import", [this] { ImportMacro(); });
    onClick("macro_btn_export", [this] { ExportMacro(); });
    onClick("macro_btn_save", [this] { SaveMacro(); });
    onClick("macro_btn_cancel", [this] {
        if (const auto selected = SelectedMacro()) SelectMacro(*selected);
    });
    onClick("macro_btn_starredio", [this] {
        const bool constant = constantCheck_ && constantCheck_->isChecked();
        StartRecording(constant ? DelayMode::Constant : DelayMode::Recorded, Placement::Append);
    });
    onClick("macro_btn_stopredio", [this] { StopRecording(); });
    onClick("macro_btn_up", [this] { RowButton(&macros::MacroEventList::MoveUp); });
    onClick("macro_btn_down", [this] { RowButton(&macros::MacroEventList::MoveDown); });
    onClick("macro_btn_uptop", [this] { RowButton(&macros::MacroEventList::MoveTop); });
    onClick("macro_btn_downbottom", [this] { RowButton(&macros::MacroEventList::MoveBottom); });
    onClick("macro_btn_delete", [this] { RowButton(&macros::MacroEventList::DeleteSelected); });
    onClick("macro_btn_deleteall", [this] {
        TakeDelays();
        rows_.Clear();
        ShowRows();
    });
    onClick("macro_inset_moveleftkey_btn",
            [this] { InsertMove(kEventMoveHorizontal, true, moveLeft_); });
    onClick("macro_inset_moverightkey_btn",
            [this] { InsertMove(kEventMoveHorizontal, false, moveRight_); });
    onClick("macro_inset_moveupkey_btn", [this] { InsertMove(kEventMoveVertical, true, moveUp_); });
    onClick("macro_inset_movedownkey_btn",
            [this] { InsertMove(kEventMoveVertical, false, moveDown_); });
}

void CMacroControlUI::BuildMenu() {
    menu_ = new QMenu(panel_);
    menu_->setObjectName(QStringLiteral("macro_action_menu"));
    const auto item = [this](const std::string& name, std::function<void()> action) {
        const QString key = QString::fromStdString(name);
        QAction* a = menu_->addAction(Text(key));
        a->setObjectName(key);
        connect(a, &QAction::triggered, this, [action] { action(); });
    };
    const auto recorded = [this] {
        return constantCheck_ && constantCheck_->isChecked() ? DelayMode::Constant
                                                             : DelayMode::Recorded;
    };
    item("redio_previous_record_time",
         [=, this] { StartRecording(recorded(), Placement::Before); });
    item("redio_previous_constant_time",
         [this] { StartRecording(DelayMode::Constant, Placement::Before); });
    item("redio_previous_ignore_time",
         [this] { StartRecording(DelayMode::None, Placement::Before); });
    item("redio_later_record_time", [=, this] { StartRecording(recorded(), Placement::After); });
    item("redio_later_constant_time",
         [this] { StartRecording(DelayMode::Constant, Placement::After); });
    item("redio_later_ignore_time", [this] { StartRecording(DelayMode::None, Placement::After); });
    item("macro_action_edit",
         [this] { StartRecording(DelayMode::None, Placement::ReplaceSelected); });
    menu_->addSeparator();
    const struct {
        const char* prefix;
        int bit;
    } buttons[] = {{"left_", 1}, {"middle_", 4}, {"right_", 2}, {"forward_", 16}, {"back_", 8}};
    for (const auto& b : buttons) {
        const int bit = b.bit;
        const std::string prefix = b.prefix;
        item(prefix + "down", [this, bit] { InsertMouseButton(bit, true, false); });
        item(prefix + "up", [this, bit] { InsertMouseButton(bit, false, true); });
        item(prefix + "click", [this, bit] { InsertMouseButton(bit, true, true); });
    }
    if (menuButton_) {
        if (auto* tool = qobject_cast<QToolButton*>(menuButton_.data())) {
            tool->setMenu(menu_);
            tool->setPopupMode(QToolButton::InstantPopup);
        } else {
            connect(menuButton_, &QAbstractButton::clicked, this,
                    [this] { menu_->popup(QCursor::pos()); });
        }
    }
}

void CMacroControlUI::LoadList() {
    if (!names_) return;
    const QSignalBlocker quiet(names_);
    names_->clear();
    for (const MacroInfo& info : Store().ReadMacroList()) {
        auto* item = new QListWidgetItem(QString::fromStdString(info.name), names_);
        item->setData(Qt::UserRole, QString::fromStdString(info.guid));
    }
    if (names_->count() > 0) {
        names_->setCurrentRow(0);
        SelectMacro(0);
    } else {
        rows_.Clear();
        ShowRows();
    }
    SetSectionsEnabled();
}

void CMacroControlUI::ReloadList() {
    if (!names_) return;
    const QListWidgetItem* item = names_->currentItem();
    const QString selected = item ? item->data(Qt::UserRole).toString() : QString();
    const std::vector<MacroInfo> list = Store().ReadMacroList();
    int keep = -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (!selected.isEmpty() && QString::fromStdString(list[i].guid) == selected)
            keep = static_cast<int>(i);
    if (keep < 0) {
        LoadList();
        return;
    }
    const QSignalBlocker quiet(names_);
    names_->clear();
    for (const MacroInfo& info : list) {
        auto* entry = new QListWidgetItem(QString::fromStdString(info.name), names_);
        entry->setData(Qt::UserRole, QString::fromStdString(info.guid));
    }
    names_->setCurrentRow(keep);
    SetSectionsEnabled();
}

std::optional<int> CMacroControlUI::SelectedMacro() const {
    if (!names_ || names_->currentRow() < 0) return std::nullopt;
    return names_->currentRow();
}

void CMacroControlUI::SelectMacro(int position) {
    const auto list = Store().ReadMacroList();
    if (position < 0 || position >= static_cast<int>(list.size())) return;
    if (names_ && names_->currentRow() != position) {
        const QSignalBlocker quiet(names_);
        names_->setCurrentRow(position);
    }
    rows_.Load(Store().LoadMacro(list[static_cast<size_t>(position)].guid));
    ShowRows();
}

void CMacroControlUI::AfterListChange() {
    if (auto* profiles = device_.Profiles()) profiles->ReloadPanelLists();
    SetSectionsEnabled();
}

void CMacroControlUI::AddMacro() {
    MacroStore store = Store();
    const auto added = store.AddMacro();
    if (!added) {
        ShowStatus(Text(QStringLiteral("macro_list_full_text")));
        return;
    }
    LoadList();
    SelectMacro(static_cast<int>(store.ReadMacroList().size()) - 1);
    AfterListChange();
}

void CMacroControlUI::RenameMacro() {
    const auto selected = SelectedMacro();
    if (!selected || !nameEdit_) return;
    MacroStore store = Store();
    const std::string result = store.RenameMacro(*selected, nameEdit_->text().toStdString());
    if (result == MacroStore::kEmptyNameMarker) return;
    if (result.empty()) {
        ShowUserMessage(Text(QStringLiteral("message_text_5")));
        return;
    }
    nameEdit_->clear();
    if (names_ && names_->item(*selected))
        names_->item(*selected)->setText(QString::fromStdString(result));
    AfterListChange();
}

void CMacroControlUI::DeleteMacro() {
    const auto selected = SelectedMacro();
    if (!selected) return;
    if (!Ask(Text(QStringLiteral("message_text_4")))) return;
    if (KeyAssignCapability* keys = device_.KeyAssign();
        keys != nullptr && KeyListUsesMacro(keys->KeyList(), *selected) &&
        !Ask(Text(QStringLiteral("message_text_2"))))
        return;

    const DeviceMacroDeletion result = DeleteDeviceMacro(device_, *selected);
    const MacroDeletion& deletion = result.deletion;
    if (result.profilesUnreadable || deletion.removedPosition < 0 || !deletion.unsaved.empty())
        ShowUserMessage(Text(QStringLiteral("macro_delete_failed_text")));
    if (result.profilesUnreadable) return;
    LoadList();
    ShowMacroListChange(device_, true);
    AfterListChange();
    if (deletion.removedPosition >= 0 && deletion.currentChanged) {
        // The keys that followed the renumbering and the macro image go to the device.
        QPointer<CMacroControlUI> self(this);
        WriteMacrosAndKeys(device_, [self](int uploaded, Result written) {
            if (self && (written != kResultSuccess || uploaded != 0))
                ShowUserMessage(Text(QStringLiteral("macro_device_write_failed_text")));
        });
    }
}

void CMacroControlUI::ImportMacro() {
    const QString path =
        ui::FileDialogs::GetOpenFileName(panel_, QString(), QString(), kMacroFilter);
    if (path.isEmpty()) return;
    const MacroImport imported = ImportDeviceMacro(device_, path.toStdString());
    if (imported.name.empty()) {
        DebugLine("macro import: " + imported.error);
        ShowUserMessage(Text(QStringLiteral("macro_import_failed_text")));
        return;
    }
    LoadList();
    SelectMacro(static_cast<int>(Store().ReadMacroList().size()) - 1);
    AfterListChange();
    if (CKeySetControlUI* panel = CKeySetControlUI::Of(&device_)) panel->Refresh();
}

void CMacroControlUI::ExportMacro() {
    const auto selected = SelectedMacro();
    if (!selected) return;
    const QString path =
        ui::FileDialogs::GetSaveFileName(panel_, QString(), QString(), kMacroFilter);
    if (path.isEmpty()) return;
    if (!Store().ExportMacro(*selected, path.toStdString()))
        ShowUserMessage(Text(QStringLiteral("macro_export_failed_text")));
}

void CMacroControlUI::TakeDelays() {
    if (!table_) return;
    for (int row = 0; row < rows_.Count() && row < table_->rowCount(); ++row) {
        if (auto* edit = qobject_cast<QLineEdit*>(table_->cellWidget(row, 2)))
            rows_.SetDelay(row, edit->text().toInt());
    }
}

void CMacroControlUI::SaveMacro() {
    const auto selected = SelectedMacro();
    if (!selected) return;
    TakeDelays();
    const auto list = Store().ReadMacroList();
    if (*selected >= static_cast<int>(list.size())) return;
    MacroInfo info = list[static_cast<size_t>(*selected)];
    if (!Store().SaveMacro(info, rows_.ToJson()))
        ShowUserMessage(Text(QStringLiteral("macro_save_failed_text")));
    ShowRows();
}

void CMacroControlUI::ShowRows() {
    if (!table_) return;
    const QSignalBlocker quiet(table_);
    table_->setRowCount(rows_.Count());
    for (int row = 0; row < rows_.Count(); ++row) {
        const macros::EventRowText text = macros::DescribeEvent(rows_.At(row));
        auto* action = new QTableWidgetItem(text.down ? QStringLiteral("↓") : QStringLiteral("↑"));
        action->setData(Qt::UserRole, text.down ? QStringLiteral("macro_label_down_style")
                                                : QStringLiteral("macro_label_up_style"));
        table_->setItem(row, 0, action);
        QString name = text.nameKey.empty() ? QString::number(text.number)
                                            : Text(QString::fromStdString(text.nameKey));
        if (!text.value.empty()) name += QStringLiteral(" ") + QString::fromStdString(text.value);
        auto* label = new QTableWidgetItem(name);
        label->setData(Qt::UserRole, text.keyboard ? QStringLiteral("macro_label_keyboard_style")
                                                   : QStringLiteral("macro_label_mouse_style"));
        table_->setItem(row, 1, label);
        auto* delay = new QLineEdit(QString::number(text.delay));
        delay->setObjectName(QStringLiteral("macro_delay"));
        delay->setMaxLength(6);
        delay->setValidator(new QIntValidator(0, 65535, delay));
        delay->setFixedHeight(25);
        delay->setStyleSheet(QStringLiteral("background-color: #444444;"));
        connect(delay, &QLineEdit::editingFinished, this, [this, delay, row] {
            rows_.SetDelay(row, delay->text().toInt());
            delay->setText(QString::number(macros::DescribeEvent(rows_.At(row)).delay));
        });
        table_->setCellWidget(row, 2, delay);
        table_->setRowHeight(row, 30);
    }
    if (const auto selected = rows_.Selected())
        table_->setCurrentCell(*selected, 0);
    else
        table_->clearSelection();
}

void CMacroControlUI::ShowStatus(const QString& text) {
    if (status_) status_->setText(text);
    DebugLine("macro editor: " + text.toStdString());
}

void CMacroControlUI::SetSectionsEnabled() {
    const bool any = names_ && names_->count() > 0;
    for (QWidget* w :
         {eventSection_.data(), moveSection_.data(), static_cast<QWidget*>(exportButton_.data()),
          static_cast<QWidget*>(deleteButton_.data()),
          static_cast<QWidget*>(renameButton_.data())}) {
        if (w) w->setEnabled(any);
    }
}

void CMacroControlUI::SetRecordingLock(bool recording) {
    for (QWidget* w : {static_cast<QWidget*>(names_.data()), eventSection_.data(),
                       moveSection_.data(), static_cast<QWidget*>(table_.data())}) {
        if (w) w->setEnabled(!recording);
    }
    if (start_) start_->setVisible(!recording);
    if (stop_) stop_->setVisible(recording);
    if (!recording) SetSectionsEnabled();
}

void CMacroControlUI::StartRecording(DelayMode delayMode, Placement placement) {
    if (!SelectedMacro()) return;
    TakeDelays();
    int constant = 0;
    if (delayMode == DelayMode::Constant && fixedTime_) {
        constant = fixedTime_->text().toInt();
        if (constant > 65535) {
            constant = 65535;
            fixedTime_->setText(QStringLiteral("65535"));
            fixedTime_->setCursorPosition(static_cast<int>(fixedTime_->text().size()));
        }
    }
    recorder_.Start(delayMode, constant, placement,
                    std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch()));
    SetRecordingLock(true);
    const QString limited = capture_->StartRecording(panel_ ? panel_->window() : nullptr);
    ShowStatus(limited.isEmpty() ? Text(QStringLiteral("macro_capture_system_text")) : limited);
}

void CMacroControlUI::StopRecording() {
    capture_->Stop();
    recorder_.Stop();
    SetRecordingLock(false);
    ShowRows();
    if (auto* profiles = device_.Profiles()) profiles->ReloadPanelLists();
}

bool CMacroControlUI::InsideStopButton() const {
    if (!stop_ || !stop_->isVisible()) return false;
    return stop_->rect().contains(stop_->mapFromGlobal(QCursor::pos()));
}

void CMacroControlUI::OnInput(const platform::CapturedInput& input) {
    const auto outcome = recorder_.Feed(input, InsideStopButton());
    if (outcome == macros::MacroRecorder::Outcome::Dropped) return;
    ShowRows();
    if (outcome == macros::MacroRecorder::Outcome::Finished) StopRecording();
}

void CMacroControlUI::InsertMouseButton(int buttonBit, bool down, bool up) {
    if (!SelectedMacro()) return;
    TakeDelays();
    int row = rows_.Selected() ? *rows_.Selected() + 1 : rows_.Count();
    if (down && rows_.Insert(row, MakeMacroEvent(buttonBit, true, kEventMouseButton, 0))) ++row;
    if (up) rows_.Insert(row, MakeMacroEvent(buttonBit, false, kEventMouseButton, 0));
    ShowRows();
}

void CMacroControlUI::InsertMove(int type, bool down, QLineEdit* distance) {
    if (!SelectedMacro() || !distance) return;
    TakeDelays();
    const int row = rows_.Selected() ? *rows_.Selected() + 1 : rows_.Count();
    if (!rows_.Insert(row, MakeMacroEvent(distance->text().toInt(), down, type, 0))) return;
    ShowRows();
    SaveMacro();
}

void CMacroControlUI::RowButton(bool (macros::MacroEventList::*op)()) {
    TakeDelays();
    if ((rows_.*op)()) ShowRows();
}

}  // namespace qx::devices
