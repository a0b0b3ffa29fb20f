#include "settings/set_wnd.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "core/check_date_file.h"
#include "core/diagnostics.h"
#include "core/language_list.h"
#include "platform/autostart.h"
#include "settings/desktop_shortcuts.h"
#include "settings/language_settings.h"
#include "settings/settings_messages.h"
#include "settings/update_check_thread.h"
#include "settings/update_info_list_item.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace qx::settings {
namespace {

constexpr int kWidth = 630;
constexpr int kHeight = 500;

bool IsSupportedDpi(int dpi) {
    for (const int allowed : {48, 72, 96, 120, 144, 168, 192}) {
        if (dpi == allowed) return true;
    }
    return false;
}

int Scaled(int units, int dpi) { return units * dpi / 96; }

QString StatusTextKey(int status) {
    switch (status) {
        case CSetWnd::kChecking:
            return QStringLiteral("GetUpdateInfoText");
        case CSetWnd::kHaveUpdate:
            return QStringLiteral("HaveUpdateInfoText");
        case CSetWnd::kNoConnection:
            return QStringLiteral("NoUpdateInfoText");
        case CSetWnd::kUpdating:
            return QStringLiteral("ISUpdateINGText");
        case CSetWnd::kIsLatest:
            return QStringLiteral("UpdateIsLastText");
        default:
            return {};
    }
}

bool Offered(int state) {
    return state == CUpdateInfoListItemUI::kNeedUpdate ||
           state == CUpdateInfoListItemUI::kNeedUpdateToo ||
           state == CUpdateInfoListItemUI::kUpdateFailed;
}

bool InProgress(int state) {
    return state == CUpdateInfoListItemUI::kDownloading ||
           state == CUpdateInfoListItemUI::kUpdating;
}

}  // namespace

CSetWnd::CSetWnd(SetWndOptions options, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      options_(std::move(options)),
      paintManager_(std::make_unique<ui::PaintManager>(this)),
      checkThread_(std::make_unique<UpdateCheckThread>()),
      languageIndex_(options_.languageIndex) {
    setObjectName(QStringLiteral("SetWnd"));
    setWindowTitle(QStringLiteral("  "));
    setAttribute(Qt::WA_DeleteOnClose, true);
    setWindowModality(Qt::ApplicationModal);
    connect(checkThread_.get(), &UpdateCheckThread::RowReady, this, &CSetWnd::OnRowReady);
    connect(checkThread_.get(), &UpdateCheckThread::Finished, this, &CSetWnd::OnCheckFinished);
    stallTimer_ = new QTimer(this);
    stallTimer_->setSingleShot(true);
    connect(stallTimer_, &QTimer::timeout, this, &CSetWnd::GiveUpStalledRows);
}

CSetWnd::~CSetWnd() { StopWorkers(); }

QWidget* CSetWnd::FindControl(const QString& name) const {
    return paintManager_->FindControl(name);
}

bool CSetWnd::Create() {
    ui::SkinLoader loader;
    QWidget* root = loader.BuildWindowContent(QStringLiteral("setwnd.ui"), this);
    if (root == nullptr) {
        DebugLine("setwnd.ui: " + loader.LastError().toStdString());
        return false;
    }
    if (QWidget* titleBar = root->findChild<QWidget*>(QStringLiteral("title_bar")))
        titleBar->installEventFilter(this);
    paintManager_->OnNotifyBelow(this, this, [this](ui::TNotifyUI& msg) { Notify(msg); });
    paintManager_->AttachControls(this);
    SetDpi(options_.dpi);

    if (options_.updateMode) {
        if (QWidget* hint = FindControl(QStringLiteral("update_tishi_layout"))) hint->show();
        if (QWidget* rows = FindControl(QStringLiteral("settings_layout"))) rows->hide();
    }
    if (auto* autostart = paintManager_->Find<QCheckBox>(QStringLiteral("autostart_check"))) {
        const QSignalBlocker quiet(autostart);
        autostart->setChecked(platform::AutostartEnabled());
        connect(autostart, &QCheckBox::toggled, this, &CSetWnd::OnAutostartToggled);
    }

    // Window start: languages, the check date, the rows, then the check on its worker.
    FillLanguageCombo();
    const std::filesystem::path datePath =
        options_.checkDatePath.empty() ? CheckDateFilePath() : options_.checkDatePath;
    lastCheckDate_ = QString::fromStdString(ReadOrStampCheckDate(datePath));
    AddPlaceholderRows();
    SetWindowStatus(kChecking);
    UpdateService service =
        options_.service ? options_.service() : UpdateService::FromEnvironment();
    checkThread_->Start(options_.targets, std::move(service), datePath);
    return true;
}

void CSetWnd::SetDpi(int dpi) {
    if (!IsSupportedDpi(dpi)) {
        DebugLine("SET_WND DPI SET ERROR");
        dpi = 96;
    }
    dpi_ = dpi;
    paintManager_->SetDpi(dpi);
    resize(Scaled(kWidth, dpi), Scaled(kHeight, dpi));
}

void CSetWnd::PlaceBeside(const QWidget* mainWindow) {
    if (mainWindow == nullptr) return;
    const QRect frame = mainWindow->frameGeometry();
    move(frame.right() + 1 - Scaled(30, dpi_) - width(), frame.top() + Scaled(60, dpi_));
}

void CSetWnd::CentreOver(const QWidget* mainWindow) {
    if (mainWindow == nullptr) return;
    move(mainWindow->frameGeometry().center() - QPoint(width() / 2, height() / 2));
}

bool CSetWnd::CheckRunning() const { return checkThread_->Running(); }

void CSetWnd::FillLanguageCombo() {
    auto* combo = paintManager_->Find<QComboBox>(QStringLiteral("Language_combox_info"));
    if (combo == nullptr) return;
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const LanguageEntry& entry : ReadLanguageList())
        combo->addItem(QString::fromStdString(entry.text));
    if (languageIndex_ >= 0 && languageIndex_ < combo->count())
        combo->setCurrentIndex(languageIndex_);
}

void CSetWnd::AddPlaceholderRows() {
    auto* list = FindControl(QStringLiteral("device_update_list_info"));
    auto* layout = list ? qobject_cast<QVBoxLayout*>(list->layout()) : nullptr;
    if (layout == nullptr) {
        DebugLine("CSetWnd device_update_list_info is NULL");
        return;
    }
    const QString updateData = QDir::tempPath() + QStringLiteral("/UpdateData/");
    for (const UpdateTarget& target : options_.targets) {
        const UpdateResult placeholder = PlaceholderResult(target);
        auto* row = new CUpdateInfoListItemUI(list);
        // Rows go above the list's closing spacer.
        layout->insertWidget(int(rows_.size()), row);
        if (!row->Create()) {
            delete row;
            continue;
        }
        row->SetName(QString::fromStdString(placeholder.name));
        row->SetCurrentVersion(QString::fromStdString(placeholder.currentVersionText));
        row->SetNewVersion(QString());
        row->SetState(CUpdateInfoListItemUI::kUpToDate);
        row->SetCheckEnabled(false);
        row->SetLocalFile(updateData + QString::fromStdString(placeholder.name));
        rows_.append(row);
    }
}

void CSetWnd::OnRowReady(int index, const UpdateResult& result) {
    if (index < 0 || index >= rows_.size()) return;
    CUpdateInfoListItemUI* row = rows_[index];
    row->SetName(QString::fromStdString(result.name));
    row->SetCurrentVersion(QString::fromStdString(result.currentVersionText));
    row->SetNewVersion(result.status == CUpdateInfoListItemUI::kUpToDate
                           ? QString()
                           : QString::fromStdString(result.newVersionText));
    row->SetState(result.status);
    row->SetError(result.error);
    row->SetDownloadPath(QString::fromStdString(result.downloadPath));
    row->SetCheckEnabled(false);
}

void CSetWnd::OnCheckFinished(const UpdateCheckOutcome& outcome) {
    lastCheckDate_ = QString::fromStdString(ReadOrStampCheckDate(
        options_.checkDatePath.empty() ? CheckDateFilePath() : options_.checkDatePath));
    bool offered = false;
    for (CUpdateInfoListItemUI* row : rows_) {
        const int state = row->State();
        if (state != CUpdateInfoListItemUI::kUpToDate &&
            state != CUpdateInfoListItemUI::kNotUpdatable) {
            row->SetCheckEnabled(true);
            row->SetChecked(true);
            offered = true;
        } else {
            row->SetCheckEnabled(false);
        }
    }
    UpdateOfferButton();
    if (offered) {
        SetWindowStatus(kHaveUpdate);
    } else if (outcome.status == UpdateCheckStatus::NoConnection) {
        SetWindowStatus(kNoConnection);
    } else {
        SetWindowStatus(kIsLatest);
    }
    emit CheckFinished();
}

void CSetWnd::SetWindowStatus(int status) {
    status_ = status;
    if (QWidget* ring = FindControl(QStringLiteral("update_status_ring")))
        ring->setVisible(status == kChecking);
    if (QWidget* image = FindControl(QStringLiteral("update_status_image")))
        image->setVisible(status != kChecking);
    RefreshStatusLine();
}

void CSetWnd::RefreshStatusLine() {
    QWidget* line = FindControl(QStringLiteral("Update_Status_text"));
    if (line == nullptr) return;
    if (status_ == kIsLatest) {
        ui::SetControlText(line, LanguageText(StatusTextKey(status_)) + lastCheckDate_);
    } else {
        ui::SetControlText(line, StatusTextKey(status_));
    }
}

void CSetWnd::UpdateOfferButton() {
    bool anyChecked = false;
    for (const CUpdateInfoListItemUI* row : rows_)
        anyChecked |= row->Checked() && row->CheckEnabled();
    if (QWidget* button = FindControl(QStringLiteral("update_fw_and_ap"))) {
        button->setEnabled(anyChecked);
        button->setVisible(anyChecked);
    }
}

// --- notifications

void CSetWnd::Notify(ui::TNotifyUI& msg) {
    const QString& name = msg.senderName;
    if (msg.type == QLatin1String("click")) {
        if (name == QLatin1String("closebtn") || name == QLatin1String("laterbtn")) {
            close();
        } else if (name == QLatin1String("minbtn")) {
            showMinimized();
        } else if (name == QLatin1String("maxbtn")) {
            showMaximized();
        } else if (name == QLatin1String("restorebtn")) {
            showNormal();
        } else if (name == QLatin1String("set_in_update_wnd_btn")) {
            if (QWidget* hint = FindControl(QStringLiteral("update_tishi_layout"))) hint->hide();
            if (QWidget* rows = FindControl(QStringLiteral("settings_layout"))) rows->show();
            resize(Scaled(kWidth, dpi_), Scaled(kHeight, dpi_));
        } else if (name == QLatin1String("update_fw_and_ap")) {
            if (auto* tabs =
                    paintManager_->Find<QStackedWidget>(QStringLiteral("get_update_tab_layout")))
                tabs->setCurrentIndex(1);
        } else if (name == QLatin1String("update_cancel_btn")) {
            if (auto* tabs =
                    paintManager_->Find<QStackedWidget>(QStringLiteral("get_update_tab_layout")))
                tabs->setCurrentIndex(0);
        } else if (name == QLatin1String("update_OK_btn")) {
            StartUpdate();
        } else if (name.startsWith(QLatin1String("windowdeviceset_"))) {
            bool ok = false;
            const int n = name.mid(name.lastIndexOf(QLatin1Char('_')) + 1).toInt(&ok);
            if (ok) OpenWindowDeviceSettings(n, this);
        }
    } else if (msg.type == QLatin1String("selectchanged")) {
        if (name == QLatin1String("check_name_select")) UpdateOfferButton();
    } else if (msg.type == QLatin1String("itemselect")) {
        if (name == QLatin1String("Language_combox_info")) {
            languageIndex_ = int(msg.wParam);
            if (options_.mainWindow != nullptr)
                ui::SendMessage(options_.mainWindow, msg::kLanguageChanged, languageIndex_, 0);
        }
    }
}

void CSetWnd::StartUpdate() {
    bool started = false;
    for (CUpdateInfoListItemUI* row : rows_) {
        const int state = row->State();
        if (state != CUpdateInfoListItemUI::kNeedUpdate &&
            state != CUpdateInfoListItemUI::kNeedUpdateToo)
            continue;
        if (row->Checked()) {
            row->SetState(CUpdateInfoListItemUI::kDownloadWait);
            started = true;
        } else {
            row->SetCheckEnabled(false);
        }
    }
    if (QWidget* button = FindControl(QStringLiteral("update_fw_and_ap")))
        button->setEnabled(false);
    if (auto* tabs = paintManager_->Find<QStackedWidget>(QStringLiteral("get_update_tab_layout")))
        tabs->setCurrentIndex(0);
    if (started) {
        SetWindowStatus(kUpdating);
        // A downloader must take the rows up; rows nobody takes up do not wait for ever.
        stallTimer_->start(options_.stallTimeoutMs);
    }
}

CUpdateInfoListItemUI* CSetWnd::RowBeingUpdated() const {
    for (CUpdateInfoListItemUI* row : rows_) {
        if (InProgress(row->State())) return row;
    }
    for (CUpdateInfoListItemUI* row : rows_) {
        if (row->State() == CUpdateInfoListItemUI::kDownloadWait) return row;
    }
    return nullptr;
}

void CSetWnd::AfterRowEnded() {
    for (const CUpdateInfoListItemUI* row : rows_) {
        const int state = row->State();
        if (state == CUpdateInfoListItemUI::kDownloadWait || InProgress(state) ||
            state == CUpdateInfoListItemUI::kDownloaded)
            return;  // the downloader goes on with the next row
    }
    stallTimer_->stop();
    bool offered = false;
    for (CUpdateInfoListItemUI* row : rows_) {
        if (Offered(row->State())) {
            row->SetCheckEnabled(true);
            offered = true;
        }
    }
    UpdateOfferButton();
    SetWindowStatus(offered ? kHaveUpdate : kIsLatest);
}

void CSetWnd::GiveUpStalledRows() {
    bool changed = false;
    for (CUpdateInfoListItemUI* row : rows_) {
        const int state = row->State();
        if (state == CUpdateInfoListItemUI::kDownloadWait || InProgress(state) ||
            state == CUpdateInfoListItemUI::kDownloaded) {
            DebugLine("update of " + row->Name().toStdString() + " had no progress: given up");
            row->SetState(CUpdateInfoListItemUI::kUpdateFailed);
            row->SetChecked(false);
            changed = true;
        }
    }
    if (changed) AfterRowEnded();
}

qintptr CSetWnd::HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) {
    if (message == msg::kUpdateProgress) {
        CUpdateInfoListItemUI* row = RowBeingUpdated();
        if (row == nullptr) return 0;
        stallTimer_->start(options_.stallTimeoutMs);
        if (wParam == 1) {
            row->SetCurrentVersion(row->NewVersion());
            row->SetNewVersion(QString());
            row->SetState(CUpdateInfoListItemUI::kUpToDate);
            row->SetChecked(false);
            AfterRowEnded();
        } else if (wParam == 2 || wParam == 3) {
            row->SetState(CUpdateInfoListItemUI::kUpdateFailed);
            row->SetChecked(false);
            AfterRowEnded();
        } else if (wParam == 4) {
            if (row->State() == CUpdateInfoListItemUI::kDownloadWait)
                row->SetState(CUpdateInfoListItemUI::kDownloading);
            row->SetProgress(int(lParam));
        }
        return 1;
    }
    if (message == msg::kLanguageChanged) {
        // The keys follow by themselves; the composed texts are written again.
        RefreshStatusLine();
        for (CUpdateInfoListItemUI* row : rows_) row->RefreshTexts();
        if (LanguageSettings::CurrentIndex() >= 0)
            languageIndex_ = LanguageSettings::CurrentIndex();
        FillLanguageCombo();
        if (layout() != nullptr) layout()->invalidate();
        update();
        return 1;
    }
    return 0;
}

// --- closing

bool CSetWnd::CanClose() const {
    for (const CUpdateInfoListItemUI* row : rows_) {
        if (InProgress(row->State())) return false;
    }
    return true;
}

void CSetWnd::closeEvent(QCloseEvent* event) {
    // A row being downloaded or written keeps the window (and its progress) open; anything else
    // closes this window alone, whoever asked (its buttons, the window manager).
    if (!CanClose()) {
        DebugLine("settings window stays open: an update is in progress");
        event->ignore();
        return;
    }
    StopWorkers();
    event->accept();
}

void CSetWnd::StopWorkers() {
    if (checkThread_) checkThread_->Stop();
    if (stallTimer_ != nullptr) stallTimer_->stop();
}

void CSetWnd::OnAutostartToggled(bool on) {
    std::string error;
    if (platform::SetAutostartEnabled(on, {}, &error)) return;
    DebugLine("autostart entry: " + error);
    if (auto* autostart = paintManager_->Find<QCheckBox>(QStringLiteral("autostart_check"))) {
        const QSignalBlocker quiet(autostart);
        autostart->setChecked(platform::AutostartEnabled());
    }
    ShowSettingsMessage(this, LanguageText(QStringLiteral("setwnd_autostart_failed_text")) +
                                  QString::fromStdString(error));
}

void CSetWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const bool maximised = isMaximized();
        if (QWidget* maximise = FindControl(QStringLiteral("maxbtn"))) maximise->setVisible(false);
        if (QWidget* restore = FindControl(QStringLiteral("restorebtn")))
            restore->setVisible(maximised);
    }
    QDialog::changeEvent(event);
}

bool CSetWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->objectName() == "title_bar") {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && windowHandle() != nullptr) {
            windowHandle()->startSystemMove();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qx::settings
