#include "devices/panels/shoot_control_ui.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "devices/base/user_message.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "ui/file_dialogs.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

template <class T>
T* Find(QWidget* container, const QString& name) {
    return qobject_cast<T*>(ui::PaintManager::FindSubControlByName(container, name));
}

QString Text(const char* key) {
    return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
}

const QString kFilter = QStringLiteral("Shoot Files (*.shoot *.Shoot)");

// A distance or delay typed into an edit: leading digits, none gives 0, limited to what the
// device's event holds (a byte for distances, 16 bits for the delay).
int Number(const QLineEdit* edit, int maximum) {
    if (edit == nullptr) return 0;
    const QString text = edit->text().trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit()) ++digits;
    bool ok = false;
    const long long value = text.left(std::min<qsizetype>(digits, 9)).toLongLong(&ok);
    return ok ? static_cast<int>(std::min<long long>(value, maximum)) : 0;
}

}  // namespace

CShootControlUI::CShootControlUI(COrvaneMouseDevice& mouse, QWidget* container)
    : mouse_(mouse),
      store_(std::make_unique<RecoilStore>(mouse.UserDeviceFolder(),
                                           COrvaneUSBDevice::DefaultDataFolder())) {
    if (container == nullptr) return;
    for (int i = 0; i < RecoilStore::kGunCount; ++i)
        guns_[static_cast<size_t>(i)] =
            Find<QAbstractButton>(container, QStringLiteral("shoot_gun_op_%1").arg(i));
    for (int i = 0; i < RecoilStore::kBulletCount; ++i)
        bullets_[static_cast<size_t>(i)] =
            Find<QAbstractButton>(container, QStringLiteral("bullet_op_%1").arg(i));
    import_ = Find<QAbstractButton>(container, QStringLiteral("shootdate_import_btn"));
    export_ = Find<QAbstractButton>(container, QStringLiteral("shootdate_export_btn"));
    save_ = Find<QAbstractButton>(container, QStringLiteral("shootdate_save_btn"));
    reset_ = Find<QAbstractButton>(container, QStringLiteral("shootdate_reset_btn"));
    prev_ = Find<QAbstractButton>(container, QStringLiteral("bullet_selected_prev"));
    next_ = Find<QAbstractButton>(container, QStringLiteral("bullet_selected_next"));
    pictures_ = Find<QStackedWidget>(container, QStringLiteral("shoot_image_display_switch"));
    editLayout_ = Find<QWidget>(container, QStringLiteral("bullet_edit_layout"));
    index_ = Find<QLabel>(container, QStringLiteral("bullet_select_index"));
    xCheck_ = Find<QAbstractButton>(container, QStringLiteral("bullet_x_check"));
    yCheck_ = Find<QAbstractButton>(container, QStringLiteral("bullet_y_check"));
    xEdit_ = Find<QLineEdit>(container, QStringLiteral("bullet_x_eidt"));
    yEdit_ = Find<QLineEdit>(container, QStringLiteral("bullet_y_eidt"));
    delayEdit_ = Find<QLineEdit>(container, QStringLiteral("bullet_delay_eidt"));
    usable_ = import_ && export_ && save_ && reset_ && prev_ && next_ && pictures_ && editLayout_ &&
              index_ && xCheck_ && yCheck_ && xEdit_ && yEdit_ && delayEdit_;
    for (const auto& g : guns_) usable_ = usable_ && g;
    for (const auto& b : bullets_) usable_ = usable_ && b;
    if (!usable_) return;
    Subscribe();
}

void CShootControlUI::Subscribe() {
    ui::PaintManager* manager = mouse_.Manager();
    if (manager == nullptr) return;
    const QString click = QStringLiteral("click");
    const QString select = QStringLiteral("selectchanged");
    for (int i = 0; i < RecoilStore::kGunCount; ++i) {
        manager->OnNotify(guns_[static_cast<size_t>(i)], select, this,
                          [this, i](ui::TNotifyUI& msg) {
                              if (msg.wParam != 0) SelectGun(i);
                          });
    }
    for (int i = 0; i < RecoilStore::kBulletCount; ++i) {
        manager->OnNotify(bullets_[static_cast<size_t>(i)], select, this,
                          [this, i](ui::TNotifyUI& msg) {
                              if (msg.wParam != 0) SelectBullet(i);
                          });
    }
    manager->OnNotify(prev_, click, this, [this](ui::TNotifyUI&) { SelectBullet(bullet_ - 1); });
    manager->OnNotify(next_, click, this, [this](ui::TNotifyUI&) { SelectBullet(bullet_ + 1); });
    for (QLineEdit* edit : {xEdit_.data(), yEdit_.data(), delayEdit_.data()}) {
        manager->OnNotify(edit, QStringLiteral("killfocus"), this,
                          [this](ui::TNotifyUI&) { SaveBullet(); });
        manager->OnNotify(edit, QStringLiteral("return"), this,
                          [this](ui::TNotifyUI&) { SaveBullet(); });
    }
    for (QAbstractButton* check : {xCheck_.data(), yCheck_.data()}) {
        manager->OnNotify(check, select, this, [this](ui::TNotifyUI&) {
            ShowDirection();
            SaveBullet();
        });
    }
    manager->OnNotify(save_, click, this, [this](ui::TNotifyUI&) { Upload(); });
    manager->OnNotify(reset_, click, this, [this](ui::TNotifyUI&) { ResetGun(); });
    manager->OnNotify(import_, click, this, [this](ui::TNotifyUI&) {
        ImportGun(ui::FileDialogs::GetOpenFileName(nullptr, QString(), QString(), kFilter));
    });
    manager->OnNotify(export_, click, this, [this](ui::TNotifyUI&) {
        QString path = ui::FileDialogs::GetSaveFileName(nullptr, QString(), QString(), kFilter);
        if (!path.isEmpty() && !path.endsWith(QStringLiteral(".shoot"), Qt::CaseInsensitive))
            path += QStringLiteral(".shoot");
        ExportGun(path);
    });
}

void CShootControlUI::InitRecoil() {
    if (!store_->InitRecoil()) ShowUserMessage(Text("shoot_restore_failed_text"));
    if (!usable_) return;
    SelectGun(gun_);
    SelectBullet(bullet_);
}

void CShootControlUI::SelectGun(int gun) {
    gun_ = RecoilStore::ClampGun(gun);
    if (!usable_) return;
    for (int i = 0; i < RecoilStore::kGunCount; ++i) {
        const QSignalBlocker quiet(guns_[static_cast<size_t>(i)].data());
        guns_[static_cast<size_t>(i)]->setChecked(i == gun_);
    }
    if (gun_ < pictures_->count()) pictures_->setCurrentIndex(gun_);
    ShowBullet();
}

void CShootControlUI::SelectBullet(int bullet) {
    bullet_ = RecoilStore::ClampBullet(bullet);
    if (!usable_) return;
    for (int i = 0; i < RecoilStore::kBulletCount; ++i) {
        const QSignalBlocker quiet(bullets_[static_cast<size_t>(i)].data());
        bullets_[static_cast<size_t>(i)]->setChecked(i == bullet_);
    }
    index_->setText(QString::number(bullet_ + 1));
    ShowBullet();
}

void CShootControlUI::ShowBullet() {
    if (!usable_) return;
    bullet_ = RecoilStore::ClampBullet(bullet_);
    const BulletSetting setting = store_->ReadBullet(gun_, bullet_);
    {
        const QSignalBlocker quietX(xCheck_.data());
        const QSignalBlocker quietY(yCheck_.data());
        xCheck_->setChecked(setting.left);
        yCheck_->setChecked(setting.up);
    }
    ShowDirection();
    xEdit_->setText(QString::number(setting.x));
    yEdit_->setText(QString::number(setting.y));
    delayEdit_->setText(QString::number(setting.delay));
}

void CShootControlUI::ShowDirection() {
    if (!usable_) return;
    xCheck_->setText(
        Text(xCheck_->isChecked() ? "mouse_move_to_left_text" : "mouse_move_to_right_text"));
    yCheck_->setText(
        Text(yCheck_->isChecked() ? "mouse_move_to_up_text" : "mouse_move_to_down_text"));
}

bool CShootControlUI::SaveBullet() {
    if (!usable_) return false;
    bullet_ = RecoilStore::ClampBullet(bullet_);
    BulletSetting setting;
    setting.left = xCheck_->isChecked();
    setting.up = yCheck_->isChecked();
    setting.x = Number(xEdit_, 0xFF);
    setting.y = Number(yEdit_, 0xFF);
    setting.delay = Number(delayEdit_, 0xFFFF);
    // Only a changed bullet is written.
    if (store_->ReadBullet(gun_, bullet_) == setting) return true;
    if (!store_->SaveBullet(gun_, bullet_, setting)) {
        ShowUserMessage(Text("shoot_save_failed_text"));
        return false;
    }
    return true;
}

void CShootControlUI::ResetGun() {
    if (!store_->ResetGun(gun_)) ShowUserMessage(Text("shoot_restore_failed_text"));
    ShowBullet();
}

void CShootControlUI::ImportGun(const QString& path) {
    if (path.isEmpty()) return;
    if (!store_->ImportGun(gun_, path.toStdString())) {
        ShowUserMessage(Text("shoot_import_failed_text"));
        return;
    }
    ShowBullet();
}

void CShootControlUI::ExportGun(const QString& path) {
    if (path.isEmpty()) return;
    if (!store_->ExportGun(gun_, path.toStdString()))
        ShowUserMessage(Text("shoot_export_failed_text"));
}

void CShootControlUI::Upload() {
    if (usable_ && !SaveBullet()) return;
    COrvaneMouseDevice* mouse = &mouse_;
    const bool posted = mouse_.Post([mouse] {
        const COrvaneMouseDevice::RecoilUpload upload = mouse->UploadRecoil();
        mouse->OnUiThread([upload] {
            if (upload.overflowBytes > 0) {
                ShowUserMessage(Text("shoot_too_large_text")
                                    .arg(static_cast<qulonglong>(upload.overflowBytes)));
            } else if (upload.imageBytes == 0) {
                ShowUserMessage(Text("shoot_image_failed_text"));
            } else if (upload.result != kResultSuccess) {
                ShowUserMessage(COrvaneMouseDevice::ResultText(upload.result));
            }
        });
    });
    if (!posted) ShowUserMessage(COrvaneMouseDevice::ResultText(kResultFailed));
}

}  // namespace qx::devices
