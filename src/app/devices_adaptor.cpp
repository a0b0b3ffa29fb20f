#include "app/devices_adaptor.h"

#include <json/value.h>
#include <json/writer.h>

#include <QDir>
#include <QProgressBar>
#include <QStringList>
#include <memory>

#include "app/automation_adaptor.h"
#include "app/bus_names.h"
#include "app/main_wnd.h"
#include "core/device_names.h"
#include "devices/base/device_capabilities.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/device_profile_ui.h"
#include "devices/base/mp_device_power_ui.h"
#include "devices/base/orvane_usb_device.h"
#include "ui/paint_manager.h"

namespace qx::app {
namespace {

QString JsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    return QString::fromStdString(Json::writeString(builder, value));
}

Json::Value PowerOf(devices::COrvaneUSBDevice& device) {
    if (!device.HasBattery()) return Json::Value(Json::nullValue);
    Json::Value power(Json::objectValue);
    devices::CMpDevicePowerUI* control = device.PowerControl();
    const auto* bar = control ? qobject_cast<QProgressBar*>(ui::PaintManager::FindSubControlByName(
                                    control, QStringLiteral("device_Power_progress")))
                              : nullptr;
    power["percent"] = bar ? bar->value() : 0;
    power["wireless"] = control ? control->Wireless() : false;
    return power;
}

}  // namespace

QString BusDeviceName(const devices::COrvaneUSBDevice& device) {
    switch (devices::FamilyOfKind(device.Kind())) {
        case devices::DeviceFamily::Keyboard:
            return QStringLiteral("keyboard");
        case devices::DeviceFamily::Mouse:
            return QStringLiteral("mouse");
        case devices::DeviceFamily::MousePad:
            return QStringLiteral("pad");
        case devices::DeviceFamily::Headset:
            return QStringLiteral("headset");
    }
    return QString();
}

DevicesAdaptor::DevicesAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection)
    : QDBusAbstractAdaptor(exported), window_(window), connection_(std::move(connection)) {}

void DevicesAdaptor::Refuse(const QDBusMessage& call, const char* error, const QString& text) {
    call.setDelayedReply(true);
    connection_.send(call.createErrorReply(QString::fromLatin1(error), text));
}

void DevicesAdaptor::Finish(const QDBusMessage& call, const QString& error) {
    if (!error.isEmpty()) Refuse(call, kErrorRefused, error);
}

devices::COrvaneUSBDevice* DevicesAdaptor::Find(const QString& given, const QDBusMessage& call) {
    // Older names of a family ("HD", "MousePad") are taken too.
    const QString name = QString::fromStdString(CanonicalDeviceName(given.toStdString()));
    devices::DeviceListController* list = window_ ? window_->Devices() : nullptr;
    if (list != nullptr) {
        for (devices::COrvaneUSBDevice* device : list->AllDevices()) {
            if (BusDeviceName(*device) == name) return device;
        }
    }
    const QStringList known = {QStringLiteral("keyboard"), QStringLiteral("mouse"),
                               QStringLiteral("pad"), QStringLiteral("headset")};
    Refuse(call, kErrorUnknownDevice,
           known.contains(name) ? QStringLiteral("no %1 has been seen by the program").arg(name)
                                : QStringLiteral("unknown device \"%1\" (devices: %2)")
                                      .arg(name, QString::fromLatin1(kBusDeviceNames)));
    return nullptr;
}

devices::CDeviceProfileUI* DevicesAdaptor::FindPanel(const QString& name,
                                                     const QDBusMessage& call) {
    devices::COrvaneUSBDevice* device = Find(name, call);
    if (device == nullptr) return nullptr;
    devices::CDeviceProfileUI* panel = devices::CDeviceProfileUI::Of(device);
    if (panel == nullptr)
        Refuse(call, kErrorNotSupported, QStringLiteral("the %1 has no profiles").arg(name));
    return panel;
}

QString DevicesAdaptor::List() {
    Json::Value root(Json::objectValue);
    root["devices"] = Json::Value(Json::arrayValue);
    devices::DeviceListController* list = window_ ? window_->Devices() : nullptr;
    if (list == nullptr) return JsonText(root);
    for (devices::COrvaneUSBDevice* device : list->AllDevices()) {
        Json::Value item(Json::objectValue);
        item["device"] = BusDeviceName(*device).toStdString();
        item["name"] = device->DeviceFolderName();
        item["kind"] = static_cast<int>(device->Kind());
        // Behind its receiver the device is on-line only while the receiver reaches it (its
        // entry is shown then); the receiver's open channel alone says nothing.
        const devices::CDeviceOptionUI* entry = device->DeviceEntry();
        item["online"] =
            device->Online() && (!device->Receiver() || (entry != nullptr && entry->IsShown()));
        item["connection"] = !device->Online() ? "none" : device->Receiver() ? "receiver" : "cable";
        item["power"] = PowerOf(*device);
        item["profiles"] = Json::Value(Json::arrayValue);
        item["selected"] = -1;
        if (devices::CDeviceProfileUI* panel = devices::CDeviceProfileUI::Of(device)) {
            for (const QString& name : panel->Names()) item["profiles"].append(name.toStdString());
            item["selected"] = panel->GetSelectedIndex();
        }
        root["devices"].append(item);
    }
    return JsonText(root);
}

void DevicesAdaptor::SelectProfile(const QString& device, uint index, const QDBusMessage& call) {
    devices::CDeviceProfileUI* panel = FindPanel(device, call);
    if (panel == nullptr) return;
    const int count = int(panel->Names().size());
    if (index >= uint(count) || !panel->SelectAndApply(int(index)))
        Refuse(call, kErrorRefused,
               QStringLiteral("there is no profile %1; the %2 has %3 (0 to %4)")
                   .arg(index)
                   .arg(device)
                   .arg(count)
                   .arg(count - 1));
}

void DevicesAdaptor::NewProfile(const QString& device, const QDBusMessage& call) {
    if (devices::CDeviceProfileUI* panel = FindPanel(device, call))
        Finish(call, panel->NewProfile());
}

void DevicesAdaptor::CopyProfile(const QString& device, const QDBusMessage& call) {
    if (devices::CDeviceProfileUI* panel = FindPanel(device, call))
        Finish(call, panel->CopyProfile());
}

void DevicesAdaptor::DeleteProfile(const QString& device, const QDBusMessage& call) {
    devices::CDeviceProfileUI* panel = FindPanel(device, call);
    if (panel == nullptr) return;
    const QString error = panel->DeleteProfile();
    if (error.isEmpty()) panel->SelectAndApply(panel->GetSelectedIndex());
    Finish(call, error);
}

void DevicesAdaptor::RenameProfile(const QString& device, const QString& name,
                                   const QDBusMessage& call) {
    devices::CDeviceProfileUI* panel = FindPanel(device, call);
    if (panel == nullptr) return;
    ProfileManager::RenameResult result{};
    const QString error = panel->RenameProfile(name, &result);
    if (result == ProfileManager::RenameResult::NameInUse)
        return Refuse(call, kErrorNameInUse, error);
    if (result == ProfileManager::RenameResult::Blank) return Refuse(call, kErrorBlankName, error);
    if (result == ProfileManager::RenameResult::WriteFailed)
        return Refuse(call, kErrorFailed, error);
    Finish(call, error);
}

void DevicesAdaptor::ImportProfile(const QString& device, const QString& path,
                                   const QDBusMessage& call) {
    if (QDir::isRelativePath(path))
        return Refuse(call, kErrorInvalidArgs,
                      QStringLiteral("the file must be an absolute path, not \"%1\"").arg(path));
    if (devices::CDeviceProfileUI* panel = FindPanel(device, call))
        Finish(call, panel->ImportProfile(path));
}

void DevicesAdaptor::ExportProfile(const QString& device, const QString& path,
                                   const QDBusMessage& call) {
    if (QDir::isRelativePath(path))
        return Refuse(call, kErrorInvalidArgs,
                      QStringLiteral("the file must be an absolute path, not \"%1\"").arg(path));
    if (devices::CDeviceProfileUI* panel = FindPanel(device, call))
        Finish(call, panel->ExportProfile(path));
}

void DevicesAdaptor::ResetProfile(const QString& device, const QDBusMessage& call) {
    if (devices::CDeviceProfileUI* panel = FindPanel(device, call))
        Finish(call, panel->ResetProfile());
}

QString DevicesAdaptor::Options(const QString& device, const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return {};
    devices::OptionCapability* options = found->Options();
    if (options == nullptr) {
        Refuse(call, kErrorNotSupported, QStringLiteral("the %1 has no options").arg(device));
        return {};
    }
    Json::Value root(Json::objectValue);
    root["device"] = device.toStdString();
    root["options"] = Json::Value(Json::arrayValue);
    for (const devices::OptionCapability::Option& option : options->Options()) {
        Json::Value item(Json::objectValue);
        item["name"] = option.name;
        item["value"] = option.value;
        if (option.choices.empty()) {
            item["minimum"] = option.minimum;
            item["maximum"] = option.maximum;
        } else {
            item["choices"] = Json::Value(Json::arrayValue);
            for (const std::string& choice : option.choices) item["choices"].append(choice);
        }
        root["options"].append(item);
    }
    return JsonText(root);
}

void DevicesAdaptor::SetOption(const QString& device, const QString& name, const QString& value,
                               const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return;
    devices::OptionCapability* options = found->Options();
    if (options == nullptr)
        return Refuse(call, kErrorNotSupported,
                      QStringLiteral("the %1 has no options").arg(device));
    QStringList names;
    bool known = false;
    for (const devices::OptionCapability::Option& option : options->Options()) {
        names << QString::fromStdString(option.name);
        known = known || option.name == name.toStdString();
    }
    if (!known)
        return Refuse(call, kErrorUnknownOption,
                      QStringLiteral("the %1 has no option \"%2\" (options: %3)")
                          .arg(device, name, names.join(QStringLiteral(", "))));
    // The answer waits for the device.
    call.setDelayedReply(true);
    auto pending = std::make_shared<QDBusMessage>(call);
    QDBusConnection connection = connection_;
    options->SetOption(
        name.toStdString(), value.toStdString(),
        [pending, connection](const std::string& error) mutable {
            if (error.empty()) {
                connection.send(pending->createReply());
            } else {
                connection.send(pending->createErrorReply(QString::fromLatin1(kErrorFailed),
                                                          QString::fromStdString(error)));
            }
        });
}

}  // namespace qx::app
