#include "settings/skin_frame.h"

#include <QAbstractButton>
#include <QStackedWidget>
#include <QTimer>

#include "core/diagnostics.h"
#include "settings/settings_messages.h"
#include "ui/file_dialogs.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::settings {

CSkinFrame::CSkinFrame(QWidget* parent, QWidget* anchor)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint),
      paintManager_(std::make_unique<ui::PaintManager>(this)),
      owner_(parent),
      anchor_(anchor) {
    setObjectName(QStringLiteral("skinframe"));
    setAttribute(Qt::WA_DeleteOnClose, true);
}

CSkinFrame::~CSkinFrame() = default;

QWidget* CSkinFrame::FindControl(const QString& name) const {
    return paintManager_->FindControl(name);
}

bool CSkinFrame::Create() {
    ui::SkinLoader loader;
    QWidget* root = loader.BuildWindowContent(QStringLiteral("skin.ui"), this);
    if (root == nullptr) {
        DebugLine("skin.ui: " + loader.LastError().toStdString());
        return false;
    }
    paintManager_->OnNotifyBelow(this, this, [this](ui::TNotifyUI& msg) { Notify(msg); });
    paintManager_->AttachControls(this);
    adjustSize();
    if (anchor_ != nullptr) {
        const QPoint bottomRight =
            anchor_->mapToGlobal(QPoint(anchor_->width(), anchor_->height()));
        move(bottomRight.x() - width(), bottomRight.y());
    }
    return true;
}

void CSkinFrame::Notify(ui::TNotifyUI& msg) {
    const QString& name = msg.senderName;
    auto* tabs = paintManager_->Find<QStackedWidget>(QStringLiteral("skin_tab"));
    if (msg.type == QLatin1String("selectchanged")) {
        auto* option = qobject_cast<QAbstractButton*>(msg.sender);
        if (option == nullptr || !option->isChecked() || tabs == nullptr) return;
        if (name == QLatin1String("skin_image")) tabs->setCurrentIndex(0);
        if (name == QLatin1String("skin_color")) tabs->setCurrentIndex(1);
        return;
    }
    if (msg.type != QLatin1String("click") || msg.sender == nullptr) return;
    if (name.startsWith(QLatin1String("skin_color_btn_"))) {
        const std::optional<quint32> argb = ParseArgb(msg.sender->property("bkcolor").toString());
        if (!argb) return;
        ChooseSkin({true, *argb, QString()});
    } else if (name.startsWith(QLatin1String("skin_image_btn_"))) {
        const QString picture = msg.sender->property("userdata").toString();
        if (picture.isEmpty()) return;
        ChooseSkin({false, 0, picture});
    } else if (name == QLatin1String("skin_reset")) {
        ChooseSkin({false, 0, QLatin1String(kDefaultSkinPicture)});
    } else if (name == QLatin1String("skin_Custom")) {
        // The pop-up goes before the dialog takes the focus; the dialog opens over the owner.
        QPointer<QWidget> owner = owner_;
        QTimer::singleShot(0, owner.data(), [owner] {
            if (owner) ChooseUserPicture(owner);
        });
        close();
    }
}

void ChooseSkin(const SkinChangedParam& param) {
    SkinObserver::Instance().Broadcast(param);
    StoreSkinChoice(param);
}

bool ChooseUserPicture(QWidget* over) {
    const QString filter = LanguageText(QStringLiteral("skin_custom_filter")) +
                           QStringLiteral(" (*.png *.jpg *.jpeg *.bmp *.gif *.webp);;* (*)");
    const QString chosen = ui::FileDialogs::GetOpenFileName(
        over, LanguageText(QStringLiteral("skin_custom_title")), QString(), filter);
    if (chosen.isEmpty()) return false;
    ImportError error = ImportError::None;
    const QString copy = ImportUserPicture(chosen, &error);
    if (copy.isEmpty()) {
        if (error == ImportError::NotAPicture) {
            ShowSettingsMessage(over, QStringLiteral("skin_not_image_text"));
        } else {
            ShowSettingsMessage(over, LanguageText(QStringLiteral("skin_copy_failed_text")) +
                                          QString::fromStdString(UserSkinFolder().string()));
        }
        return false;
    }
    ChooseSkin({false, 0, copy});
    return true;
}

}  // namespace qx::settings
