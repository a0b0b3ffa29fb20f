// The settings window: the interface language, starting with the desktop, the desktop's keyboard
// and mouse settings, and the update list. Opening it starts an update check on a worker thread
// (UpdateCheckThread); the results come back to the UI thread, which fills the rows.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "settings/update_catalogue.h"
#include "settings/update_check.h"
#include "settings/update_service.h"
#include "ui/custom_message.h"
#include "ui/notify.h"

class QTimer;

namespace qx::ui {
class PaintManager;
}

namespace qx::settings {

class CUpdateInfoListItemUI;
class UpdateCheckThread;

struct SetWndOptions {
    // Receives the language choice (LanguageChanged with the index); may be null.
    QObject* mainWindow = nullptr;
    int languageIndex = 0;
    int dpi = 96;
    // The targets to check (those whose current version is not 0).
    std::vector<UpdateTarget> targets;
    // The service asked; empty: the address from the environment and libcurl.
    std::function<UpdateService()> service;
    // The check-date file; empty: "updatetime.config" in the user's folder.
    std::filesystem::path checkDatePath;
    // Opened because an update is known: the update hint is shown above the settings.
    bool updateMode = false;
    // How long a row may wait for its downloader's next progress message before it is given up
    // as failed.
    int stallTimeoutMs = 60000;
};

class CSetWnd : public QDialog, public ui::CustomMessageHandler {
    Q_OBJECT
  public:
    // Window status (the status line).
    enum Status { kChecking = 0, kHaveUpdate = 1, kNoConnection = 2, kUpdating = 3, kIsLatest = 4 };

    explicit CSetWnd(SetWndOptions options, QWidget* parent = nullptr);
    ~CSetWnd() override;

    // Loads "setwnd.ui", fills the language list and the rows, and starts the check. False when
    // the skin can't be loaded.
    bool Create();

    // Places the window: beside the main window's settings button (right edge 30, top 60 scaled
    // units inside the main window), or centred over it.
    void PlaceBeside(const QWidget* mainWindow);
    void CentreOver(const QWidget* mainWindow);

    // 48, 72, 96, 120, 144, 168, 192; anything else is shown at 96.
    void SetDpi(int dpi);
    int Dpi() const { return dpi_; }

    int WindowStatus() const { return status_; }
    QString LastCheckDate() const { return lastCheckDate_; }
    QList<CUpdateInfoListItemUI*> Rows() const { return rows_; }
    bool CheckRunning() const;
    // Whether a close would be taken now (no row is downloading or updating).
    bool CanClose() const;
    ui::PaintManager& PaintManager() const { return *paintManager_; }
    QWidget* FindControl(const QString& name) const;

    // ui::CustomMessageHandler: the update progress message and the language change.
    qintptr HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) override;
    void Notify(ui::TNotifyUI& msg);

  signals:
    // The check is over and the rows show its results.
    void CheckFinished();

  public slots:
    // Escape closes as the close button does.
    void reject() override { close(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillLanguageCombo();
    void AddPlaceholderRows();
    void OnRowReady(int row, const UpdateResult& result);
    void OnCheckFinished(const UpdateCheckOutcome& outcome);
    void SetWindowStatus(int status);
    void RefreshStatusLine();
    void UpdateOfferButton();
    void StartUpdate();
    // The row a downloader's progress message is about: the first one waiting, downloading or
    // updating.
    CUpdateInfoListItemUI* RowBeingUpdated() const;
    void AfterRowEnded();
    void GiveUpStalledRows();
    void StopWorkers();
    void OnAutostartToggled(bool on);

    SetWndOptions options_;
    std::unique_ptr<ui::PaintManager> paintManager_;
    std::unique_ptr<UpdateCheckThread> checkThread_;
    QList<CUpdateInfoListItemUI*> rows_;
    QTimer* stallTimer_ = nullptr;
    QString lastCheckDate_;
    int status_ = -1;
    int dpi_ = 96;
    int languageIndex_ = 0;
};

}  // namespace qx::settings
