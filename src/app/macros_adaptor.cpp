#include "app/macros_adaptor.h"

#include <json/value.h>
#include <json/writer.h>

#include <memory>

#include "app/automation_adaptor.h"
#include "app/bus_names.h"
#include "app/devices_adaptor.h"
#include "app/main_wnd.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/panels/device_macros.h"
#include "devices/panels/input_capture_session.h"
#include "devices/panels/macro_control_ui.h"
#include "macros/macro_rows.h"

namespace qx::app {
namespace {

QString JsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    return QString::fromStdString(Json::writeString(builder, value));
}

QString WriteError(int upload, Result written) {
    if (upload > 0)
        return QStringLiteral(
                   "the macros are too large for the device's memory by about %1 events; "
                   "nothing was written")
            .arg(upload);
    if (written == kResultStatusFF || written == kResultStatusFE)
        return QStringLiteral("the device refused the key table");
    if (written == kResultRefusedProfile)
        return QStringLiteral("the device takes key tables for its first profile only");
    if (written != kResultSuccess)
        return QStringLiteral("the device is not connected or did not answer");
    if (upload == -1) return QStringLiteral("the device did not take the macros");
    return {};
}

}  // namespace

MacrosAdaptor::MacrosAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection)
    : QDBusAbstractAdaptor(exported), window_(window), connection_(std::move(connection)) {}

void MacrosAdaptor::Refuse(const QDBusMessage& call, const char* error, const QString& text) {
    call.setDelayedReply(true);
    connection_.send(call.createErrorReply(QString::fromLatin1(error), text));
}

devices::COrvaneUSBDevice* MacrosAdaptor::Find(const QString& name, const QDBusMessage& call) {
    devices::DeviceListController* list = window_ ? window_->Devices() : nullptr;
    if (list != nullptr) {
        for (devices::COrvaneUSBDevice* device : list->AllDevices()) {
            if (BusDeviceName(*device) != name) continue;
            if (device->KeyAssign() == nullptr || device->KeyTable() == nullptr) {
                Refuse(call, kErrorNotSupported, QStringLiteral("the %1 has no macros").arg(name));
                return nullptr;
            }
            return device;
        }
    }
    const bool known =
        QString::fromLatin1(kBusDeviceNames).split(QStringLiteral(", ")).contains(name);
    Refuse(call, kErrorUnknownDevice,
           known ? QStringLiteral("no %1 has been seen by the program").arg(name)
                 : QStringLiteral("unknown device \"%1\" (devices: %2)")
                       .arg(name, QString::fromLatin1(kBusDeviceNames)));
    return nullptr;
}

std::optional<int> MacrosAdaptor::FindMacro(devices::COrvaneUSBDevice& device, const QString& macro,
                                            const QDBusMessage& call) {
    const std::vector<MacroInfo> list = devices::DeviceMacroStore(device).ReadMacroList();
    if (auto position = devices::FindMacroByName(list, macro.toStdString())) return position;
    bool number = false;
    const int index = macro.toInt(&number);
    if (number && index >= 0 && index < static_cast<int>(list.size())) return index;
    QStringList names;
    for (const MacroInfo& info : list) names << QString::fromStdString(info.name);
    Refuse(call, kErrorInvalidArgs,
           QStringLiteral("the %1 has no macro \"%2\" (macros: %3)")
               .arg(BusDeviceName(device), macro,
                    names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "))));
    return std::nullopt;
}

QString MacrosAdaptor::List(const QString& device, const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return {};
    const MacroStore store = devices::DeviceMacroStore(*found);
    Json::Value root(Json::objectValue);
    root["device"] = device.toStdString();
    root["macros"] = Json::Value(Json::arrayValue);
    const std::vector<MacroInfo> list = store.ReadMacroList();
    for (size_t i = 0; i < list.size(); ++i) {
        Json::Value item(Json::objectValue);
        item["number"] = static_cast<int>(i);
        item["name"] = list[i].name;
        item["events"] = macros::MacroRowsJson(store.LoadMacro(list[i].guid)).size();
        root["macros"].append(item);
    }
    return JsonText(root);
}

QString MacrosAdaptor::Show(const QString& device, const QString& macro, const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return {};
    const std::optional<int> position = FindMacro(*found, macro, call);
    if (!position) return {};
    const MacroStore store = devices::DeviceMacroStore(*found);
    const MacroInfo info = store.ReadMacroList()[static_cast<size_t>(*position)];
    Json::Value root(Json::objectValue);
    root["device"] = device.toStdString();
    root["number"] = *position;
    root["name"] = info.name;
    root["rows"] = macros::MacroRowsJson(store.LoadMacro(info.guid));
    return JsonText(root);
}

QString MacrosAdaptor::Import(const QString& device, const QString& path, const QString& name,
                              const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return {};
    if (!path.startsWith(QLatin1Char('/'))) {
        Refuse(call, kErrorInvalidArgs, QStringLiteral("\"%1\" is not an absolute path").arg(path));
        return {};
    }
    const devices::MacroImport imported =
        devices::ImportDeviceMacro(*found, path.toStdString(), name.toStdString());
    if (!imported.name.empty()) devices::ShowMacroListChange(*found, false);
    if (!imported.error.empty()) {
        Refuse(call, imported.name.empty() ? kErrorInvalidArgs : kErrorFailed,
               QString::fromStdString(imported.error));
        return {};
    }
    return QString::fromStdString(imported.name);
}

void MacrosAdaptor::Export(const QString& device, const QString& macro, const QString& path,
                           const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return;
    const std::optional<int> position = FindMacro(*found, macro, call);
    if (!position) return;
    if (!path.startsWith(QLatin1Char('/')))
        return Refuse(call, kErrorInvalidArgs,
                      QStringLiteral("\"%1\" is not an absolute path").arg(path));
    if (!devices::DeviceMacroStore(*found).ExportMacro(*position, path.toStdString()))
        return Refuse(call, kErrorInvalidArgs,
                      QStringLiteral("the macro could not be written to %1 (a missing folder, "
                                     "no permission, or the macro was never saved)")
                          .arg(path));
}

void MacrosAdaptor::Delete(const QString& device, const QString& macro, const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return;
    const std::optional<int> position = FindMacro(*found, macro, call);
    if (!position) return;
    if (devices::CMacroControlUI* editor = devices::CMacroControlUI::Of(found);
        editor != nullptr && editor->Capture().Running())
        return Refuse(
            call, kErrorRefused,
            QStringLiteral("the %1's macro editor is recording; stop it first").arg(device));
    const devices::DeviceMacroDeletion result = devices::DeleteDeviceMacro(*found, *position);
    const MacroDeletion& deletion = result.deletion;
    if (result.profilesUnreadable)
        return Refuse(call, kErrorFailed,
                      QStringLiteral("the %1's profile list could not be read; nothing was "
                                     "deleted")
                          .arg(device));
    if (deletion.removedPosition < 0)
        return Refuse(call, kErrorFailed,
                      QStringLiteral("the macro could not be deleted (its list could not be "
                                     "written)"));
    devices::ShowMacroListChange(*found, deletion.currentChanged);
    QString warning;
    if (!deletion.unsaved.empty())
        warning = QStringLiteral(
                      "%1 profile(s) could not be repaired and still name the macro "
                      "by its old number")
                      .arg(deletion.unsaved.size());
    if (!deletion.currentChanged) {
        if (warning.isEmpty()) return;
        return Refuse(call, kErrorFailed, warning);
    }
    call.setDelayedReply(true);
    auto pending = std::make_shared<QDBusMessage>(call);
    QDBusConnection connection = connection_;
    const bool posted = devices::WriteMacrosAndKeys(
        *found, [pending, connection, warning](int upload, Result written) mutable {
            QString error = WriteError(upload, written);
            if (!error.isEmpty()) error = QStringLiteral("the macro was deleted, but ") + error;
            if (!warning.isEmpty()) error = error.isEmpty() ? warning : error + "; " + warning;
            if (error.isEmpty())
                connection.send(pending->createReply());
            else
                connection.send(
                    pending->createErrorReply(QString::fromLatin1(kErrorFailed), error));
        });
    if (!posted)
        connection_.send(call.createErrorReply(
            QString::fromLatin1(kErrorFailed),
            QStringLiteral("the macro was deleted, but the device is going away")));
}

}  // namespace qx::app
