// The macro editor of a device page ("MacroControlItem"): the list of the device's macros with
// add, rename, delete, import and export; the event rows of the selected macro with recording,
// the insertion menu, mouse moves, row buttons, delays and saving.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

#include "macros/macro_event_list.h"
#include "macros/macro_recorder.h"
#include "macros/macro_store.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QTableWidget;
class QWidget;

namespace qx::devices {

class COrvaneUSBDevice;
class InputCaptureSession;

class CMacroControlUI : public QObject {
    Q_OBJECT
  public:
    // Asks the user a yes/no question (tests answer it); the default shows a message box.
    using Confirm = std::function<bool(const QString& text)>;
    static void SetConfirm(Confirm confirm);

    // Binds the controls inside `panel` (the page's "MacroControlItem").
    CMacroControlUI(COrvaneUSBDevice& device, QWidget* panel);
    ~CMacroControlUI() override;
    // The editor on the device's page; nullptr when it has none.
    static CMacroControlUI* Of(const COrvaneUSBDevice* device);

    InputCaptureSession& Capture() { return *capture_; }
    const macros::MacroEventList& Rows() const { return rows_; }
    MacroStore Store() const;

    // The list operations of the buttons.
    void LoadList();
    // The list again after a change from outside: the selected macro stays selected with its
    // rows as they are (unsaved edits too) while it exists; else the first macro is shown.
    void ReloadList();
    void SelectMacro(int position);
    std::optional<int> SelectedMacro() const;
    void AddMacro();
    void RenameMacro();
    void DeleteMacro();
    void ImportMacro();
    void ExportMacro();
    void SaveMacro();
    void StartRecording(macros::DelayMode delayMode, macros::Placement placement);
    void StopRecording();
    // Feeds one captured input as the capture does (in-window or system-wide).
    void OnInput(const platform::CapturedInput& input);

  private:
    void Bind();
    void BuildMenu();
    void ShowRows();
    void ShowStatus(const QString& text);
    void SetSectionsEnabled();
    void SetRecordingLock(bool recording);
    void InsertMouseButton(int buttonBit, bool down, bool up);
    void InsertMove(int type, bool down, QLineEdit* distance);
    void RowButton(bool (macros::MacroEventList::*op)());
    void TakeDelays();
    bool InsideStopButton() const;
    void AfterListChange();

    COrvaneUSBDevice& device_;
    QPointer<QWidget> panel_;
    QPointer<QListWidget> names_;
    QPointer<QTableWidget> table_;
    QPointer<QLineEdit> nameEdit_, fixedTime_;
    QPointer<QLineEdit> moveLeft_, moveRight_, moveUp_, moveDown_;
    QPointer<QAbstractButton> start_, stop_, constantCheck_, exportButton_, deleteButton_,
        renameButton_, menuButton_;
    QPointer<QLabel> status_;
    QPointer<QWidget> eventSection_, moveSection_;
    QMenu* menu_ = nullptr;
    macros::MacroEventList rows_;
    macros::MacroRecorder recorder_{rows_};
    InputCaptureSession* capture_ = nullptr;
};

}  // namespace qx::devices
