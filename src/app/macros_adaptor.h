// The interface org.mirvel.QX580.Macros: a device's macros for scripts, through the running
// program that owns the device's files (the macro editor and the key panel follow a change at
// once). A device is named as on org.mirvel.QX580.Devices ("keyboard", "mouse"); a macro by its
// name (exact, else ignoring case) or, when no macro has that name, by its number (from 0).
// Paths are the caller's absolute paths. Errors: those of the Devices interface,
// org.freedesktop.DBus.Error.InvalidArgs for a macro, name or file that cannot be used, and
// Refused while the device's editor is recording.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QPointer>
#include <QString>
#include <optional>

namespace qx::devices {
class COrvaneUSBDevice;
}

namespace qx::app {

class CMainWnd;

class MacrosAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Macros")
  public:
    MacrosAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection);

  public slots:
    // JSON: {"device", "macros": [{"number", "name", "events"}]}.
    QString List(const QString& device, const QDBusMessage& call);
    // JSON: {"device", "number", "name", "rows": [...]} with the rows of macro_rows.h.
    QString Show(const QString& device, const QString& macro, const QDBusMessage& call);
    // Adds the macro file at `path`, named `name` (or its default new name when empty); the
    // answer is the macro's name.
    QString Import(const QString& device, const QString& path, const QString& name,
                   const QDBusMessage& call);
    void Export(const QString& device, const QString& macro, const QString& path,
                const QDBusMessage& call);
    // Deletes the macro; the keys of every profile follow the renumbering, and when the current
    // profile's keys changed the macros and the key table are written to the device before the
    // answer comes.
    void Delete(const QString& device, const QString& macro, const QDBusMessage& call);

  private:
    devices::COrvaneUSBDevice* Find(const QString& name, const QDBusMessage& call);
    std::optional<int> FindMacro(devices::COrvaneUSBDevice& device, const QString& macro,
                                 const QDBusMessage& call);
    void Refuse(const QDBusMessage& call, const char* error, const QString& text);

    QPointer<CMainWnd> window_;
    QDBusConnection connection_;
};

}  // namespace qx::app
