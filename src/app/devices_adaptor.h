// The interface org.mirvel.QX580.Devices, always on the bus: what scripts do with the devices
// the running program owns, so that the window and a script never fight over a device or its
// files, and the window shows a change at once.
//
// One convention for every operation: a device is named by its family ("keyboard", "mouse",
// "pad", "headset"); settings are reached by lower-case names joined by '-' with text values;
// errors are org.mirvel.QX580.Error.* with a text that says what exists or what went wrong:
//   UnknownDevice  no such family, or none of it has been seen
//   NotSupported   the device has no such feature (no profiles, no options)
//   UnknownOption  no option of that name (the text lists the names)
//   NameInUse, BlankName   a profile name that cannot be taken
//   Refused        the operation cannot be done as asked (the text says why)
//   Failed         the device or a file failed (the text says which and why)
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QPointer>
#include <QString>

namespace qx::devices {
class COrvaneUSBDevice;
class CDeviceProfileUI;
class DeviceListController;
}  // namespace qx::devices

namespace qx::app {

class CMainWnd;

inline constexpr const char* kDevicesInterface = "org.mirvel.QX580.Devices";
inline constexpr const char* kErrorNotSupported = "org.mirvel.QX580.Error.NotSupported";
inline constexpr const char* kErrorUnknownOption = "org.mirvel.QX580.Error.UnknownOption";
inline constexpr const char* kErrorNameInUse = "org.mirvel.QX580.Error.NameInUse";
inline constexpr const char* kErrorBlankName = "org.mirvel.QX580.Error.BlankName";

// The bus name of a device's family, and the families' names in list order.
QString BusDeviceName(const devices::COrvaneUSBDevice& device);
inline constexpr const char* kBusDeviceNames = "keyboard, mouse, pad, headset";

class DevicesAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Devices")
  public:
    DevicesAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection);

  public slots:
    // JSON: {"devices": [{"device", "name", "kind", "connection" ("cable", "receiver" or
    // "none"), "online", "power" (null, or {"percent", "charging"}), "profiles": [names],
    // "selected"}]}, one element per device the program made.
    QString List();
    // Selects profile `index` (from 0) and applies it to the device, as the combo does (without
    // its wait); the answer comes once the selection is stored.
    void SelectProfile(const QString& device, uint index, const QDBusMessage& call);
    // The profile buttons without their questions: the script's call is the confirmation.
    void NewProfile(const QString& device, const QDBusMessage& call);
    void CopyProfile(const QString& device, const QDBusMessage& call);
    void DeleteProfile(const QString& device, const QDBusMessage& call);
    void RenameProfile(const QString& device, const QString& name, const QDBusMessage& call);
    // `path` absolute.
    void ImportProfile(const QString& device, const QString& path, const QDBusMessage& call);
    void ExportProfile(const QString& device, const QString& path, const QDBusMessage& call);
    void ResetProfile(const QString& device, const QDBusMessage& call);
    // JSON: {"device", "options": [{"name", "value", "choices": [...]} or {"name", "value",
    // "minimum", "maximum"}]}.
    QString Options(const QString& device, const QDBusMessage& call);
    // Answers once the device took the value or refused it (its reason becomes the error).
    void SetOption(const QString& device, const QString& name, const QString& value,
                   const QDBusMessage& call);

  private:
    devices::COrvaneUSBDevice* Find(const QString& name, const QDBusMessage& call);
    devices::CDeviceProfileUI* FindPanel(const QString& name, const QDBusMessage& call);
    void Refuse(const QDBusMessage& call, const char* error, const QString& text);
    // An action's outcome: the error text, empty when done.
    void Finish(const QDBusMessage& call, const QString& error);

    QPointer<CMainWnd> window_;
    QDBusConnection connection_;
};

}  // namespace qx::app
