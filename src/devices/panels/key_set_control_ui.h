// The key assignment panel of a device page ("KeySetControlItem"): a click on key N of the picture
// while the page shows its keys (page 2) picks the key; the panel shows the key's function and
// every change of its controls becomes the key's function in the profile at once (the key cap
// and tooltip follow). "Write to device" sends the macros the keys use and the key table on the
// device's worker. The key edit learns a key pressed while it has the focus.
//
// The panel is a child object of its device (CKeySetControlUI::Of finds it) and works with any
// device that offers KeyAssignCapability and KeyTableCapability; the mouse's left-button guard
// applies to mice. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>

#include "macros/key_functions.h"
#include "macros/linux_key_codes.h"
#include "profiles/profile_records.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QWidget;

namespace qx::ui {
class PaintManager;
struct TNotifyUI;
}  // namespace qx::ui

namespace qx::devices {

class COrvaneUSBDevice;
class InputCaptureSession;

class CKeySetControlUI : public QObject {
    Q_OBJECT
  public:
    CKeySetControlUI(COrvaneUSBDevice& device, ui::PaintManager* manager);
    // A capture still running ends, and the device list is free again.
    ~CKeySetControlUI() override;
    static CKeySetControlUI* Of(const COrvaneUSBDevice* device);

    // Picks key `key` as a click on its button does (whatever page is shown). False when it is
    // not picked: no such key in the profile, or the mouse's only left button.
    bool SelectKey(int key);
    int SelectedKey() const { return key_; }

    // Stores the record and shows its current function.
    void ShowKey(const KeyAssignRecord& record);
    void ShowDefault();
    void ShowCurrent();
    void ShowValue(KeyFunction value);
    // The function the controls give.
    KeyFunction ReadValue() const;
    // The macro combo's names (its selection cleared; a shown key is shown again).
    void SetMacroNames(const QStringList& names);
    // The device's lists and the picked key's record again (a profile change, a macro import).
    void Refresh();

    // --- what the buttons and controls do
    // The controls' function becomes the picked key's (profile saved, key cap named).
    void Apply();
    void RestoreDefault();
    void Cancel();
    // Macros, then key table, then profile, on the device's worker; Written at the end.
    void WriteToDevice();
    // A key pressed while the key edit has the focus (Linux key code).
    void CaptureLinuxKey(unsigned linuxKey);
    // A key learnt by the capture (scan code and extended flag), anywhere in the system.
    void CaptureScanKey(macros::ScanKey key);
    bool Capturing() const { return capturing_; }
    // The single-key capture that runs while the key edit has the focus: system-wide without
    // grabbing where the input devices may be read, else inside the window only (the status
    // label says why and what fixes it). It ends with the first key that changes the edit's
    // text (a modifier only ticks its check and the capture goes on), when the edit loses the
    // focus or is hidden (another device or page, the device gone), when the window loses the
    // focus, when the input devices go away and after a time without keys.
    InputCaptureSession& Capture() { return *capture_; }
    // Apply, cancel and write are enabled after a change and disabled after cancel or a write.
    bool ButtonsEnabled() const { return buttonsEnabled_; }

  signals:
    // The end of a write: the macro upload's result (0 sent or nothing to send, -1 not taken,
    // above 0 too large) and whether the key table reached the device.
    void Written(int uploadResult, bool keyTableWritten);

  private:
    void Bind();
    void Subscribe();
    void OnKeyClicked(int key);
    void OnFunctionChosen();
    KeyFunctionForm ReadForm() const;
    void WriteForm(const KeyFunctionForm& form);
    void ShowSection(int function);
    void SetButtons(bool enabled);
    void SetCapture(bool on);
    void OnCaptureEnded(int reason);
    void OnKeyCaptured(macros::ScanKey key);
    void ShowCaptureStatus(const QString& text);
    void Tell(const QString& text) const;
    int MacroCount() const { return static_cast<int>(macroNames_.size()); }
    bool IsMouse() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    COrvaneUSBDevice& device_;
    QPointer<ui::PaintManager> manager_;
    int key_ = -1;
    KeyAssignRecord record_;
    QStringList macroNames_;
    int keyRow_ = -1;  // the row the key edit names
    bool buttonsEnabled_ = false;
    bool capturing_ = false;
    bool editFocused_ = false;  // between the key edit's "setfocus" and "killfocus"

    QPointer<QWidget> container_, layout_, cycleLayout_;
    QPointer<QLabel> selectedLabel_, captureStatus_;
    InputCaptureSession* capture_ = nullptr;
    QPointer<QComboBox> functionCombo_, mouseKeyCombo_, swingCombo_, wheelCombo_, dpiCombo_,
        mediaCombo_, systemCombo_, macroCombo_, repeatCombo_, gunCombo_, combinationCombo_;
    QPointer<QStackedWidget> tabs_;
    QPointer<QLineEdit> swingCount_, swingDelay_, swingSpeed_, wheelCount_, wheelDelay_,
        wheelSpeed_, fireInterval_, fireCount_, keyEdit_, macroTimes_;
    std::array<QPointer<QAbstractButton>, 5> modifierChecks_{};
    std::array<QPointer<QAbstractButton>, 4> buttons_{};  // apply, default, cancel, write
};

}  // namespace qx::devices
