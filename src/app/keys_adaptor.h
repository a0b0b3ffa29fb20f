// The interface org.mirvel.QX580.Keys: the functions of a device's keys for scripts, through the
// running program that owns the device and its profile (the window shows a change at once).
// A device is named as on org.mirvel.QX580.Devices ("keyboard", "mouse"); a key by its number
// (from 0) or by the name of its own function ("A", "F1", "Esc"); a function in the text form
// of key_functions.h ("mouse:left", "key:ctrl+C", "macro:0,count=3", "default"). Errors: those
// of the Devices interface, and org.freedesktop.DBus.Error.InvalidArgs for a key or function
// that cannot be read.
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

class KeysAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Keys")
  public:
    KeysAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection);

  public slots:
    // JSON: {"device", "keys": [{"key", "name", "function", "value", "default",
    // "defaultValue"}]}; every key when `key` is empty.
    QString Get(const QString& device, const QString& key, const QDBusMessage& call);
    // Makes `function` the key's function: stored in the profile, then the macros the keys use
    // and the key table are written to the device; the answer comes once the device took them.
    void Set(const QString& device, const QString& key, const QString& function,
             const QDBusMessage& call);
    // The key's own function back, as Set does it.
    void Reset(const QString& device, const QString& key, const QDBusMessage& call);

  private:
    devices::COrvaneUSBDevice* Find(const QString& name, const QDBusMessage& call);
    void Refuse(const QDBusMessage& call, const char* error, const QString& text);
    void Store(devices::COrvaneUSBDevice& device, int key, const QString& function,
               const QDBusMessage& call);

    QPointer<CMainWnd> window_;
    QDBusConnection connection_;
};

}  // namespace qx::app
