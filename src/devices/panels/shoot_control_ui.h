// The recoil panel ("ShootControlItem") of the mouse page: four guns of thirty bullets, each
// bullet a horizontal and a vertical step with a pause. A bullet is shown and saved in its gun's
// file; "save" also sends the four guns to the mouse; a gun can be reset to its default,
// imported from a file and exported to one.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <memory>

#include "macros/recoil_store.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QWidget;

namespace qx::devices {

class COrvaneMouseDevice;

class CShootControlUI : public QObject {
    Q_OBJECT
  public:
    // Binds the panel inside `container` to the mouse's folders.
    CShootControlUI(COrvaneMouseDevice& mouse, QWidget* container);

    // Every named control was found.
    bool Usable() const { return usable_; }
    // Restores missing or damaged gun files from the defaults, shows gun 0 and its first bullet.
    void InitRecoil();
    void SelectGun(int gun);
    void SelectBullet(int bullet);
    void ShowBullet();
    // Saves the edits into the selected bullet; false (and a message) when the file was not
    // written.
    bool SaveBullet();
    void ResetGun();
    void ImportGun(const QString& path);
    void ExportGun(const QString& path);
    // Saves the bullet and sends the four guns to the mouse (its worker); the user is told when
    // the mouse did not take them or they do not fit.
    void Upload();

    int Gun() const { return gun_; }
    int Bullet() const { return bullet_; }
    RecoilStore& Store() { return *store_; }

  private:
    void Subscribe();
    void ShowDirection();

    COrvaneMouseDevice& mouse_;
    std::unique_ptr<RecoilStore> store_;
    bool usable_ = false;
    int gun_ = 0;
    int bullet_ = -1;
    std::array<QPointer<QAbstractButton>, RecoilStore::kGunCount> guns_{};
    std::array<QPointer<QAbstractButton>, RecoilStore::kBulletCount> bullets_{};
    QPointer<QAbstractButton> import_, export_, save_, reset_, prev_, next_;
    QPointer<QStackedWidget> pictures_;
    QPointer<QWidget> editLayout_;
    QPointer<QLabel> index_;
    QPointer<QAbstractButton> xCheck_, yCheck_;
    QPointer<QLineEdit> xEdit_, yEdit_, delayEdit_;
};

}  // namespace qx::devices
