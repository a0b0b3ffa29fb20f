// The interface org.mirvel.QX580.Lighting: the devices' lighting from other programs, through
// the running program, which owns the devices, their profiles and the lighting panels.
//   Get(device) -> JSON        a device's lighting ("" = every device) and the synchronised state
//   Set(device, effect, brightness, speed, direction, r, g, b)
//                              -1 keeps a value; answers once the device took the change (or
//                              with the reason it did not)
//   Sync(on)                   the synchronised lighting on (from the shown device, else the
//                              first connected one) or off; answers once every device took it
//   SetSound(device, style, bkR, bkG, bkB, fgR, fgG, fgB, colourful, edited)
//                              the sound effect's style and colours (keyboard); -1 keeps a
//                              value; answers once the profile holds it
//   SoundStatistics() -> JSON  the capture program's blocks received, ignored and fed
// Errors follow the Devices interface (UnknownDevice, Refused, Failed, InvalidArgs).
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QPointer>
#include <QString>

namespace qx::devices {
class COrvaneUSBDevice;
}

namespace qx::app {

class CMainWnd;

inline constexpr const char* kLightingInterface = "org.mirvel.QX580.Lighting";

class LightingAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Lighting")
  public:
    LightingAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection);

  public slots:
    // {"sync": bool, "devices": [{"device", "online", "synchronised", "effect", "effectName",
    // "effects", "brightness", "speed", "direction", "colourful", "red", "green", "blue",
    // "preset", "customGroup", and for a device with sound settings "sound": {"style",
    // "background": [r, g, b], "foreground": [r, g, b], "colourful", "edited"}}]}
    QString Get(const QString& device, const QDBusMessage& call);
    void Set(const QString& device, int effect, int brightness, int speed, int direction, int red,
             int green, int blue, const QDBusMessage& call);
    void Sync(bool on, const QDBusMessage& call);
    void SetSound(const QString& device, int style, int bkRed, int bkGreen, int bkBlue, int fgRed,
                  int fgGreen, int fgBlue, int colourful, int edited, const QDBusMessage& call);
    // {"sampleBlocks", "valueBlocks", "ignored", "levelFeeds", "valueFeeds"}
    QString SoundStatistics();

  private:
    devices::COrvaneUSBDevice* Find(const QString& name, const QDBusMessage& call);
    void Refuse(const QDBusMessage& call, const char* error, const QString& text);

    QPointer<CMainWnd> window_;
    QDBusConnection connection_;
};

}  // namespace qx::app
