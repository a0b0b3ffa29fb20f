// The profile panel of a device page: the combo of the device's profiles, the menu of profile
// buttons (new, delete, copy, import, export, reset, rename), the restore-defaults button and the
// page tabs. It holds the device's ProfileManager (the files) and runs every flow with its
// confirmations and messages; a selection is applied to the device after a 400 ms wait that a
// further selection restarts. Device writes run on the device's worker. UI thread only.
//
// The panel is a child object of its device object (CDeviceProfileUI::Of finds it) and binds
// the controls of the device's page by name; a page without them leaves the panel without its
// controls, and the file side still works (the device interface on the bus uses it).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>

#include "core/device_kind.h"
#include "core/result_codes.h"
#include "profiles/profile_manager.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace qx::ui {
class PaintManager;
struct TNotifyUI;
}  // namespace qx::ui

namespace qx::devices {

class COrvaneUSBDevice;

class CDeviceProfileUI : public QObject {
    Q_OBJECT
  public:
    static constexpr int kSelectionTimer = 1055;
    static constexpr int kSelectionDelayMs = 400;
    static constexpr int kTabCount = 8;

    // Shows a message box over `parent` and returns 1 (confirm) or 0: `text` is a language key
    // or a text, `buttonMode` 0 (confirm only) or 1 (confirm and cancel). The program gives
    // its message window; without one, a box answers 0 (a question is never taken as a yes).
    using MessageBoxFunction =
        std::function<int(QWidget* parent, const QString& text, int buttonMode)>;
    static void SetMessageBox(MessageBoxFunction function);

    // The result of an apply sequence, for the window and for tests: the macro upload's result,
    // and whether the key table was written after it.
    struct ApplyOutcome {
        int uploadResult = 0;
        bool keyTableWritten = false;
        // What became of the settings block of the selected profile.
        Result blockResult = kResultSuccess;
    };

    // Binds the controls of the device's page (the window's paint manager: may be nullptr in
    // tests without a window). Becomes a child of `device`.
    CDeviceProfileUI(COrvaneUSBDevice& device, ui::PaintManager* manager);
    ~CDeviceProfileUI() override;

    // The panel of a device, nullptr when it has none.
    static CDeviceProfileUI* Of(const COrvaneUSBDevice* device);

    // Device start-up: kind, folders, the list (the first start makes "profile1"), the combo,
    // the tabs of the kind, tab 1; then the device takes the selected profile's identifier.
    // False when the list could not be made (the message says why).
    bool Start();

    void SetDeviceKind(DeviceKind kind);
    void SetFolders(const std::filesystem::path& deviceFolder,
                    const std::filesystem::path& defaultProfilePath);
    bool InitProfileList();
    // Selects entry `index` in the combo and the list file; raiseEvent also starts the wait
    // after which the selection is applied, as a choice in the combo does.
    void SelectProfile(int index, bool raiseEvent);
    int GetSelectedIndex() const { return manager_.GetSelectedIndex(); }
    QString GetCurrentProfileId() const;
    QString GetNameEditText() const;
    void SetNameEditText(const QString& text);
    void SetProfileMenuVisible(bool visible);
    bool IsProfileMenuVisible() const;
    int GetProfileCount() const { return manager_.GetProfileCount(); }
    std::filesystem::path GetProfilePathAt(int index) const {
        return manager_.GetProfilePathAt(index);
    }
    // Tab n (1-8) selected, the others not, without events; any other n unselects tabs 1-7.
    void SelectTab(int n);
    QStringList Names() const;
    const ProfileManager& Profiles() const { return manager_; }

    // --- the flows of the buttons (each as its button does it)
    void NewFlow();
    void DeleteFlow();
    void CopyFlow();
    void ImportFlow();
    void ExportFlow();
    void RenameFlow();
    void ResetFlow();
    void RestoreDefaultsFlow();

    // --- the same actions without questions or messages (scripts through the bus): an empty
    // text when done, else why not. Reset and import apply the profile to the device as their
    // buttons do.
    QString NewProfile();
    QString CopyProfile();
    QString DeleteProfile();
    // NameInUse and Blank come back in `result` too.
    QString RenameProfile(const QString& name, ProfileManager::RenameResult* result = nullptr);
    QString ImportProfile(const QString& path);
    QString ExportProfile(const QString& path);
    QString ResetProfile();

    // A choice in the combo: (re)starts the 400 ms wait.
    void OnComboSelected();
    bool SelectionPending() const;
    // The selection flow: stores the combo's selection and applies it to the device.
    void RunSelection();
    // Selects and applies entry `index` at once (the device interface's SelectProfile). False
    // for an index outside the list.
    bool SelectAndApply(int index);
    // Writes what the device object holds of the selected profile to the device again, as its
    // selection did, without loading it anew (so a game's passing effect stays): a device that
    // came back after a replug or the machine's sleep.
    void ApplyAgain() { ApplySelection(false); }

  signals:
    // The list of names or the selection changed (the window and the bus show it).
    void ProfilesChanged();
    // A selection, reset or restore-defaults sequence reached its end on the device.
    void Applied(ApplyOutcome outcome);

  private:
    void Bind();
    void Subscribe();
    void FillCombo();
    void HideTabsOfKind();
    QWidget* Parent() const;
    int Ask(const QString& key) const;
    void Tell(const QString& textOrKey) const;
    // The combo after a change of the list: every name, the selection.
    void ShowList();
    // A failed write of the files: its message.
    void TellFailure(const ProfileStatus& status) const;
    void TellFailure(const std::string& error) const;
    // The messages of an upload result (nothing for 0).
    void TellUploadResult(int result) const;
    // Load, drop dangling macros, panel (unless `load` is false), settings block, macros, key
    // table.
    void ApplySelection(bool load = true);
    // Load, panel, settings block, then (keyboard and mouse) macros and key table.
    void ApplyReset();

    COrvaneUSBDevice& device_;
    QPointer<ui::PaintManager> paintManager_;
    ProfileManager manager_;
    DeviceKind kind_ = DeviceKind::KeyboardWired;
    QPointer<QComboBox> combo_;
    QPointer<QLineEdit> nameEdit_;
    QPointer<QWidget> menu_;
    QPointer<QWidget> tabs_[kTabCount];
    ProfileStatus lastStatus_;  // of the last action on the files
};

}  // namespace qx::devices
