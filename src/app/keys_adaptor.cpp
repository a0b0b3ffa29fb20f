#include "app/keys_adaptor.h"

#include <json/value.h>
#include <json/writer.h>

#include <memory>

#include "app/automation_adaptor.h"
#include "app/bus_names.h"
#include "app/devices_adaptor.h"
#include "app/main_wnd.h"
#include "devices/base/device_capabilities.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/panels/key_set_control_ui.h"
#include "macros/key_functions.h"

namespace qx::app {
namespace {

QString JsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    return QString::fromStdString(Json::writeString(builder, value));
}

// A key's name for scripts: the name of its own function's row; empty when it has none.
std::string KeyName(const KeyAssignRecord& record) {
    const std::optional<int> row = RowOfFunction(KeyFunction::Of(record.defaults));
    return row ? ScriptKeyName(*row) : std::string();
}

// The key a script names: its number, or the name of its own function.
std::optional<int> FindKey(const std::vector<KeyAssignRecord>& list, const QString& name) {
    bool number = false;
    const int index = name.toInt(&number);
    if (number) {
        if (index >= 0 && index < static_cast<int>(list.size())) return index;
        return std::nullopt;
    }
    const std::string wanted = name.toLower().remove(' ').toStdString();
    for (size_t i = 0; i < list.size(); ++i) {
        QString own = QString::fromStdString(KeyName(list[i])).toLower().remove(' ');
        if (!own.isEmpty() && own.toStdString() == wanted) return static_cast<int>(i);
    }
    return std::nullopt;
}

Json::Value KeyJson(int index, const KeyAssignRecord& record) {
    Json::Value item(Json::objectValue);
    item["key"] = index;
    item["name"] = KeyName(record);
    item["function"] = FunctionText(KeyFunction::Of(record.current));
    item["value"] = record.current.Value();
    item["default"] = FunctionText(KeyFunction::Of(record.defaults));
    item["defaultValue"] = record.defaults.Value();
    return item;
}

QString DeviceError(Result result) {
    switch (result) {
        case kResultStatusFF:
        case kResultStatusFE:
            return QStringLiteral("the device refused the key table");
        case kResultRefusedProfile:
            return QStringLiteral("the device takes key tables for its first profile only");
        default:
            return QStringLiteral("the device is not connected or did not answer");
    }
}

}  // namespace

KeysAdaptor::KeysAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection)
    : QDBusAbstractAdaptor(exported), window_(window), connection_(std::move(connection)) {}

void KeysAdaptor::Refuse(const QDBusMessage& call, const char* error, const QString& text) {
    call.setDelayedReply(true);
    connection_.send(call.createErrorReply(QString::fromLatin1(error), text));
}

devices::COrvaneUSBDevice* KeysAdaptor::Find(const QString& name, const QDBusMessage& call) {
    devices::DeviceListController* list = window_ ? window_->Devices() : nullptr;
    if (list != nullptr) {
        for (devices::COrvaneUSBDevice* device : list->AllDevices()) {
            if (BusDeviceName(*device) != name) continue;
            if (device->KeyAssign() == nullptr) {
                Refuse(call, kErrorNotSupported,
                       QStringLiteral("the %1 has no keys to assign").arg(name));
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

QString KeysAdaptor::Get(const QString& device, const QString& key, const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return {};
    const std::vector<KeyAssignRecord> list = found->KeyAssign()->KeyList();
    Json::Value root(Json::objectValue);
    root["device"] = device.toStdString();
    root["keys"] = Json::Value(Json::arrayValue);
    if (key.isEmpty()) {
        for (size_t i = 0; i < list.size(); ++i)
            root["keys"].append(KeyJson(static_cast<int>(i), list[i]));
        return JsonText(root);
    }
    const std::optional<int> index = FindKey(list, key);
    if (!index) {
        Refuse(call, kErrorInvalidArgs,
               QStringLiteral("the %1 has no key \"%2\" (keys: 0 to %3, or their names)")
                   .arg(device, key)
                   .arg(static_cast<int>(list.size()) - 1));
        return {};
    }
    root["keys"].append(KeyJson(*index, list[static_cast<size_t>(*index)]));
    return JsonText(root);
}

void KeysAdaptor::Set(const QString& device, const QString& key, const QString& function,
                      const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return;
    const std::vector<KeyAssignRecord> list = found->KeyAssign()->KeyList();
    const std::optional<int> index = FindKey(list, key);
    if (!index)
        return Refuse(call, kErrorInvalidArgs,
                      QStringLiteral("the %1 has no key \"%2\" (keys: 0 to %3, or their names)")
                          .arg(device, key)
                          .arg(static_cast<int>(list.size()) - 1));
    Store(*found, *index, function, call);
}

void KeysAdaptor::Reset(const QString& device, const QString& key, const QDBusMessage& call) {
    Set(device, key, QStringLiteral("default"), call);
}

void KeysAdaptor::Store(devices::COrvaneUSBDevice& device, int key, const QString& function,
                        const QDBusMessage& call) {
    devices::KeyAssignCapability* keys = device.KeyAssign();
    devices::KeyTableCapability* table = device.KeyTable();
    const std::vector<KeyAssignRecord> list = keys->KeyList();
    const KeyAssignRecord& record = list[static_cast<size_t>(key)];
    const ParsedFunction parsed =
        ParseFunctionText(function.toStdString(), static_cast<int>(keys->MacroNames().size()));
    if (!parsed.function && !parsed.isDefault)
        return Refuse(
            call, kErrorInvalidArgs,
            QString::fromStdString(parsed.error + " (functions: " + FunctionTextHelp() + ")"));
    const KeyFunction wanted =
        parsed.isDefault ? KeyFunction::Of(record.defaults) : *parsed.function;
    const bool keyboard = devices::FamilyOfKind(device.Kind()) == devices::DeviceFamily::Keyboard;
    if (keyboard &&
        (wanted.category == key_category::kDpi || wanted.category == key_category::kGun))
        return Refuse(call, kErrorRefused,
                      QStringLiteral("the keyboard has no DPI steps and no gun keys"));
    const KeyFunction left = MouseButtonFunctions()[0];
    if (!keyboard && wanted != left && HoldsLastLeftButton(list, key))
        return Refuse(call, kErrorRefused,
                      QStringLiteral("key %1 is the only left button; give the left button to "
                                     "another key first")
                          .arg(key));
    KeyAssignHalf half = record.current;
    wanted.Into(half);
    if (!keys->StoreKeyFunction(key, half))
        return Refuse(call, kErrorFailed, QStringLiteral("the profile could not be saved"));
    keys->RefreshKeyLabels();
    if (devices::CKeySetControlUI* panel = devices::CKeySetControlUI::Of(&device)) panel->Refresh();
    if (table == nullptr) return;

    // The answer waits for the device: macros first, then the key table, as the panel writes.
    call.setDelayedReply(true);
    auto pending = std::make_shared<QDBusMessage>(call);
    QDBusConnection connection = connection_;
    devices::COrvaneUSBDevice* target = &device;
    const bool posted = target->Post([target, table, pending, connection]() mutable {
        const int upload = table->UploadMacros(table->CollectMacros());
        Result written = kResultFailed;
        if (upload == 0 || upload == -1) written = table->WriteKeyTableFromProfile();
        target->OnUiThread([upload, written, pending, connection]() mutable {
            QString error;
            if (upload > 0)
                error = QStringLiteral(
                            "the macros are too large for the device's memory by "
                            "about %1 events; nothing was written")
                            .arg(upload);
            else if (written != kResultSuccess)
                error = DeviceError(written) + QStringLiteral("; the profile keeps the change");
            else if (upload == -1)
                error = QStringLiteral(
                    "the key table was written but the device did not take "
                    "the macros");
            if (error.isEmpty())
                connection.send(pending->createReply());
            else
                connection.send(
                    pending->createErrorReply(QString::fromLatin1(kErrorFailed), error));
        });
    });
    if (!posted)
        connection_.send(call.createErrorReply(QString::fromLatin1(kErrorFailed),
                                               QStringLiteral("the device is going away")));
}

}  // namespace qx::app
