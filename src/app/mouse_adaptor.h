// The interface org.mirvel.QX580.Mouse: the mouse's DPI stages and its recoil data, for
// scripts, through the device the window owns (so the page shows a change at once). The mouse's
// polling rate is one of its options on org.mirvel.QX580.Devices.
//
// Errors as on the Devices interface: UnknownDevice (no mouse seen), Refused (a value out of
// range; the text gives the range), Failed (the mouse or a file did not take it; the text says
// why). Every change answers once the mouse took it.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QPointer>
#include <QString>

namespace qx::devices {
class COrvaneMouseDevice;
}

namespace qx::app {

class CMainWnd;

inline constexpr const char* kMouseInterface = "org.mirvel.QX580.Mouse";

class MouseAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Mouse")
  public:
    MouseAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection);

  public slots:
    // JSON: {"minimum", "maximum", "step", "active", "polling", "stages": [{"stage",
    // "enabled", "steps", "dpi", "colour": [r, g, b]}]}.
    QString Dpi(const QDBusMessage& call);
    // Stage 0-4: its DPI (0: unchanged; rounded down to the sensor's step), its colour (red
    // below 0: unchanged), whether it becomes the active stage.
    void SetDpiStage(uint stage, int dpi, int red, int green, int blue, bool active,
                     const QDBusMessage& call);
    // JSON: {"gun", "bullet", "left", "x", "up", "y", "delay"}.
    QString Bullet(uint gun, uint bullet, const QDBusMessage& call);
    void SetBullet(uint gun, uint bullet, bool left, int x, bool up, int y, int delay,
                   const QDBusMessage& call);
    // The four guns to the mouse.
    void UploadRecoil(const QDBusMessage& call);
    void ResetGun(uint gun, const QDBusMessage& call);
    void ImportGun(uint gun, const QString& path, const QDBusMessage& call);
    void ExportGun(uint gun, const QString& path, const QDBusMessage& call);

  private:
    devices::COrvaneMouseDevice* Mouse(const QDBusMessage& call);
    void Refuse(const QDBusMessage& call, const char* error, const QString& text);
    bool GunAndBullet(uint gun, uint bullet, const QDBusMessage& call);

    QPointer<CMainWnd> window_;
    QDBusConnection connection_;
};

}  // namespace qx::app
