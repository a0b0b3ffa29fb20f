// One row of the settings window's update list: the target's name on a check box, its current and
// new version, and its state (0-8) shown as a text, a progress bar or a done mark.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QString>
#include <QWidget>

#include "settings/update_result.h"

namespace qx::settings {

class CUpdateInfoListItemUI : public QWidget {
    Q_OBJECT
  public:
    // Row states; 1 and 7 are also what the update service answers.
    enum State {
        kNotUpdatable = 0,
        kNeedUpdate = 1,
        kNeedUpdateToo = 2,
        kDownloadWait = 3,
        kDownloading = 4,
        kDownloaded = 5,
        kUpdating = 6,
        kUpToDate = 7,
        kUpdateFailed = 8,
    };

    explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);

    // Builds the row from "XML/CustomControlXML/device_Update_list_item.ui"; false when the skin
    // can't be loaded.
    bool Create();

    void SetName(const QString& name);
    QString Name() const;
    void SetCurrentVersion(const QString& text);
    QString CurrentVersion() const { return currentVersion_; }
    // Hidden while empty.
    void SetNewVersion(const QString& text);
    QString NewVersion() const { return newVersion_; }

    // Shows a state (texts, check box, progress, done mark, colours). The state it already has
    // changes nothing. Unknown states are refused.
    bool SetState(int state);
    int State() const { return state_; }
    // Why the row could not be checked (shown in place of its state's text); None clears it.
    void SetError(UpdateError error);
    UpdateError Error() const { return error_; }

    // 0-100, shown while the progress bar is.
    void SetProgress(int percent);
    int Progress() const { return progress_; }
    bool ProgressShown() const;

    QCheckBox* CheckBox() const { return check_; }
    bool Checked() const;
    void SetChecked(bool checked);
    void SetCheckEnabled(bool enabled);
    bool CheckEnabled() const;

    // The reply's download path (the row's user data) and where a downloader would put it.
    void SetDownloadPath(const QString& path) { downloadPath_ = path; }
    QString DownloadPath() const { return downloadPath_; }
    void SetLocalFile(const QString& file) { localFile_ = file; }
    QString LocalFile() const { return localFile_; }

    // The text the status label shows now (translated).
    QString StatusText() const;
    // Re-reads the texts after a language change.
    void RefreshTexts();

    // The language key of a state's text; empty for an unknown state.
    static QString StateTextKey(int state);
    // The language key of an error's reason.
    static QString ErrorTextKey(UpdateError error);

  private:
    void ShowProgress(bool shown);
    void ApplyColours();

    QPointer<QCheckBox> check_;
    QPointer<QLabel> oldRev_;
    QPointer<QLabel> newRev_;
    QPointer<QLabel> statusText_;
    QPointer<QProgressBar> progressBar_;
    QPointer<QLabel> progressValue_;
    QPointer<QLabel> doneMark_;
    int state_ = -1;
    int progress_ = 0;
    UpdateError error_ = UpdateError::None;
    QString currentVersion_;
    QString newVersion_;
    QString downloadPath_;
    QString localFile_;
};

}  // namespace qx::settings
