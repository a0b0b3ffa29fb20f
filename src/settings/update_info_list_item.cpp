#include "settings/update_info_list_item.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>

#include "core/diagnostics.h"
#include "settings/settings_messages.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace qx::settings {
namespace {

struct StateLook {
    const char* textKey;
    bool checkEnabled;
    bool progress;
    bool done;
    quint32 textColour;      // text and selected text
    quint32 disabledColour;  // disabled text
};

constexpr StateLook kLooks[] = {
    {"LessUpdateText", false, false, false, 0xFFFFFFFF, 0xFF666666},
    {"NeedUpdateText", true, false, false, 0xFF0099FF, 0xFF0078C8},
    {"NeedUpdateText", true, false, false, 0xFF0099FF, 0xFF0078C8},
    {"DownloadWaitText", false, false, false, 0xFF0099FF, 0xFF0078C8},
    {"DownloadIngText", false, true, false, 0xFF0099FF, 0xFF0078C8},
    {"DownloadOkText", false, false, true, 0xFF0099FF, 0xFF0078C8},
    {"UpdateIngText", false, true, false, 0xFF0099FF, 0xFF0078C8},
    {"UpdateOkText", false, false, false, 0xFFFFFFFF, 0xFF666666},
    {"UpdateFailText", true, false, false, 0xFF0099FF, 0xFF0078C8},
};

QString Css(quint32 argb) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg((argb >> 16) & 0xFF)
        .arg((argb >> 8) & 0xFF)
        .arg(argb & 0xFF)
        .arg((argb >> 24) & 0xFF);
}

}  // namespace

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("UpdateInfoListItemUI"));
}

bool CUpdateInfoListItemUI::Create() {
    ui::SkinLoader loader;
    QWidget* root = loader.BuildWindowContent(
        QStringLiteral("XML/CustomControlXML/device_Update_list_item.ui"), this);
    if (root == nullptr) {
        DebugLine("device_Update_list_item.ui: " + loader.LastError().toStdString());
        return false;
    }
    check_ = findChild<QCheckBox*>(QStringLiteral("check_name_select"));
    oldRev_ = findChild<QLabel*>(QStringLiteral("OldRev"));
    newRev_ = findChild<QLabel*>(QStringLiteral("updateRev"));
    statusText_ = findChild<QLabel*>(QStringLiteral("update_status_text"));
    progressBar_ = findChild<QProgressBar*>(QStringLiteral("update_status_ing"));
    progressValue_ = findChild<QLabel*>(QStringLiteral("update_progress_value"));
    doneMark_ = findChild<QLabel*>(QStringLiteral("update_status_ok"));
    if (!check_ || !oldRev_ || !newRev_ || !statusText_ || !progressBar_ || !progressValue_ ||
        !doneMark_) {
        DebugLine("CUpdateInfoListItemUI control is NULL");
        return false;
    }
    if (ui::PaintManager* manager = ui::PaintManager::Of(parentWidget()))
        manager->AttachControls(this);
    SetState(kUpToDate);
    return true;
}

void CUpdateInfoListItemUI::SetName(const QString& name) {
    if (check_) check_->setText(name);
}

QString CUpdateInfoListItemUI::Name() const { return check_ ? check_->text() : QString(); }

void CUpdateInfoListItemUI::SetCurrentVersion(const QString& text) {
    currentVersion_ = text;
    if (oldRev_) oldRev_->setText(text);
}

void CUpdateInfoListItemUI::SetNewVersion(const QString& text) {
    newVersion_ = text;
    if (!newRev_) return;
    newRev_->setText(text.isEmpty() ? QString() : QStringLiteral("→ ") + text);
    newRev_->setVisible(!text.isEmpty());
}

QString CUpdateInfoListItemUI::StateTextKey(int state) {
    if (state < 0 || state >= int(std::size(kLooks))) return {};
    return QLatin1String(kLooks[state].textKey);
}

QString CUpdateInfoListItemUI::ErrorTextKey(UpdateError error) {
    switch (error) {
        case UpdateError::None:
            return {};
        case UpdateError::NoConnection:
            return QStringLiteral("update_error_no_connection");
        case UpdateError::Certificate:
            return QStringLiteral("update_error_certificate");
        case UpdateError::ServerStatus:
            return QStringLiteral("update_error_server");
        case UpdateError::ReplyTooLarge:
            return QStringLiteral("update_error_too_large");
        case UpdateError::BadReply:
            return QStringLiteral("update_error_bad_reply");
        case UpdateError::BadAddress:
            return QStringLiteral("update_error_address");
        case UpdateError::Cancelled:
            return QStringLiteral("update_error_cancelled");
    }
    return {};
}

bool CUpdateInfoListItemUI::SetState(int state) {
    if (state < 0 || state >= int(std::size(kLooks))) return false;
    if (state == state_) return true;
    state_ = state;
    const StateLook& look = kLooks[state];
    if (check_) check_->setEnabled(look.checkEnabled);
    ShowProgress(look.progress);
    if (doneMark_) doneMark_->setVisible(look.done);
    ApplyColours();
    RefreshTexts();
    return true;
}

void CUpdateInfoListItemUI::SetError(UpdateError error) {
    error_ = error;
    RefreshTexts();
}

void CUpdateInfoListItemUI::ApplyColours() {
    if (!check_ || state_ < 0) return;
    const StateLook& look = kLooks[state_];
    check_->setStyleSheet(QStringLiteral("QCheckBox { color: %1; } QCheckBox:checked { color: %1; }"
                                         " QCheckBox:disabled { color: %2; }")
                              .arg(Css(look.textColour), Css(look.disabledColour)));
}

void CUpdateInfoListItemUI::ShowProgress(bool shown) {
    // Showing or hiding the progress starts it again at 0.
    progress_ = 0;
    if (progressBar_) {
        progressBar_->setValue(0);
        progressBar_->setVisible(shown);
    }
    if (progressValue_) {
        progressValue_->setText(QStringLiteral("%1%2").arg(0).arg(QStringLiteral("%")));
        progressValue_->setVisible(shown);
    }
}

void CUpdateInfoListItemUI::SetProgress(int percent) {
    progress_ = qBound(0, percent, 100);
    if (progressBar_) progressBar_->setValue(progress_);
    if (progressValue_)
        progressValue_->setText(QStringLiteral("%1%2").arg(progress_).arg(QStringLiteral("%")));
}

bool CUpdateInfoListItemUI::ProgressShown() const {
    return progressBar_ && !progressBar_->isHidden();
}

bool CUpdateInfoListItemUI::Checked() const { return check_ && check_->isChecked(); }

void CUpdateInfoListItemUI::SetChecked(bool checked) {
    if (check_) check_->setChecked(checked);
}

void CUpdateInfoListItemUI::SetCheckEnabled(bool enabled) {
    if (check_) check_->setEnabled(enabled);
}

bool CUpdateInfoListItemUI::CheckEnabled() const { return check_ && check_->isEnabled(); }

QString CUpdateInfoListItemUI::StatusText() const {
    return statusText_ ? statusText_->text() : QString();
}

void CUpdateInfoListItemUI::RefreshTexts() {
    if (!statusText_) return;
    if (error_ != UpdateError::None && (state_ == kUpToDate || state_ == kNotUpdatable)) {
        // A row that could not be checked says so instead of claiming to be up to date.
        ui::SetControlText(statusText_, LanguageText(QStringLiteral("UpdateCheckFailText")) +
                                            LanguageText(ErrorTextKey(error_)));
        statusText_->setProperty("updateerror", true);
    } else {
        ui::SetControlText(statusText_, StateTextKey(state_));
        statusText_->setProperty("updateerror", false);
    }
}

}  // namespace qx::settings
