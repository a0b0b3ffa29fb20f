#include "app/lighting_adaptor.h"

#include <json/value.h>
#include <json/writer.h>

#include <QStringList>
#include <memory>

#include "app/automation_adaptor.h"
#include "app/bus_names.h"
#include "app/devices_adaptor.h"
#include "app/light_sync.h"
#include "app/main_wnd.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/panels/light_control_ui.h"

namespace qx::app {
namespace {

QString JsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    return QString::fromStdString(Json::writeString(builder, value));
}

Json::Value Describe(devices::COrvaneUSBDevice& device) {
    const LightInfoRecord r = device.LightRecord();
    const devices::LightModeList modes = devices::ReadLightModeList(device.GetModelIndex());
    Json::Value item(Json::objectValue);
    item["device"] = BusDeviceName(device).toStdString();
    item["online"] = device.Online();
    item["synchronised"] = device.SynchronisedLighting();
    item["effect"] = r.selectItem;
    item["effectName"] =
        r.selectItem < modes.names.size() ? modes.names[r.selectItem].toStdString() : "";
    item["effects"] = static_cast<int>(modes.names.size());
    item["brightness"] = r.light;
    item["speed"] = r.speed;
    item["direction"] = r.fx;
    item["colourful"] = r.multiColor;
    item["red"] = r.red;
    item["green"] = r.green;
    item["blue"] = r.blue;
    item["preset"] = r.zzccLedMode;
    item["customGroup"] = r.customGroup;
    if (devices::AudioLightCapability* audio = device.AudioLight()) {
        const AudioLightRecord a = audio->GetAudioLightSettings();
        Json::Value sound(Json::objectValue);
        sound["style"] = a.audioMode;
        Json::Value background(Json::arrayValue), foreground(Json::arrayValue);
        for (uint8_t value : {a.bkColorR, a.bkColorG, a.bkColorB}) background.append(value);
        for (uint8_t value : {a.fgColorR, a.fgColorG, a.fgColorB}) foreground.append(value);
        sound["background"] = background;
        sound["foreground"] = foreground;
        sound["colourful"] = a.sevenColorFlags;
        sound["edited"] = a.colorTypeFlags != 0 ? "foreground" : "background";
        item["sound"] = sound;
    }
    return item;
}

}  // namespace

LightingAdaptor::LightingAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection)
    : QDBusAbstractAdaptor(exported), window_(window), connection_(std::move(connection)) {}

void LightingAdaptor::Refuse(const QDBusMessage& call, const char* error, const QString& text) {
    call.setDelayedReply(true);
    connection_.send(call.createErrorReply(QString::fromLatin1(error), text));
}

devices::COrvaneUSBDevice* LightingAdaptor::Find(const QString& name, const QDBusMessage& call) {
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

QString LightingAdaptor::Get(const QString& device, const QDBusMessage& call) {
    Json::Value root(Json::objectValue);
    root["devices"] = Json::Value(Json::arrayValue);
    LightSync* sync = window_ ? window_->SyncLighting() : nullptr;
    root["sync"] = sync != nullptr && sync->Active();
    if (!device.isEmpty()) {
        devices::COrvaneUSBDevice* found = Find(device, call);
        if (found == nullptr) return {};
        root["devices"].append(Describe(*found));
        return JsonText(root);
    }
    devices::DeviceListController* list = window_ ? window_->Devices() : nullptr;
    if (list != nullptr) {
        for (devices::COrvaneUSBDevice* each : list->AllDevices())
            root["devices"].append(Describe(*each));
    }
    return JsonText(root);
}

void LightingAdaptor::Set(const QString& device, int effect, int brightness, int speed,
                          int direction, int red, int green, int blue, const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return;
    const int effects = int(devices::ReadLightModeList(found->GetModelIndex()).names.size());
    struct Check {
        const char* what;
        int value, maximum;
    };
    const Check checks[] = {{"effect", effect, effects - 1},
                            {"brightness", brightness, devices::CLightControlUI::kMaxBrightness},
                            {"speed", speed, devices::CLightControlUI::kMaxSpeed},
                            {"direction", direction, 1},
                            {"red", red, 255},
                            {"green", green, 255},
                            {"blue", blue, 255}};
    for (const Check& check : checks) {
        if (check.value == -1) continue;  // kept
        if (check.value < 0 || check.value > check.maximum)
            return Refuse(call, kErrorInvalidArgs,
                          QStringLiteral("%1 %2 is out of range for the %3 (0 to %4)")
                              .arg(QString::fromLatin1(check.what))
                              .arg(check.value)
                              .arg(device)
                              .arg(check.maximum));
    }
    if (!found->Online())
        return Refuse(call, kErrorRefused, QStringLiteral("the %1 is not connected").arg(device));
    LightInfoRecord record = found->LightRecord();
    auto keep = [](int value, uint8_t& field) {
        if (value != -1) field = static_cast<uint8_t>(value);
    };
    keep(effect, record.selectItem);
    keep(brightness, record.light);
    keep(speed, record.speed);
    keep(direction, record.fx);
    if (red != -1 || green != -1 || blue != -1) {
        keep(red, record.red);
        keep(green, record.green);
        keep(blue, record.blue);
        record.multiColor = 0;  // a colour given is the colour shown
    }
    // A change made from outside is the device's own lighting, as one made in its panel.
    found->SetSynchronisedLighting(false);
    call.setDelayedReply(true);
    auto pending = std::make_shared<QDBusMessage>(call);
    QDBusConnection connection = connection_;
    found->ChangeLighting(record, [pending, connection](const QString& error) mutable {
        if (error.isEmpty()) {
            connection.send(pending->createReply());
        } else {
            connection.send(pending->createErrorReply(QString::fromLatin1(kErrorFailed), error));
        }
    });
    found->RefreshLightPanel();
}

void LightingAdaptor::SetSound(const QString& device, int style, int bkRed, int bkGreen, int bkBlue,
                               int fgRed, int fgGreen, int fgBlue, int colourful, int edited,
                               const QDBusMessage& call) {
    devices::COrvaneUSBDevice* found = Find(device, call);
    if (found == nullptr) return;
    devices::AudioLightCapability* audio = found->AudioLight();
    if (audio == nullptr)
        return Refuse(call, kErrorRefused,
                      QStringLiteral("the %1 has no sound-reactive lighting").arg(device));
    struct Check {
        const char* what;
        int value, maximum;
    };
    const Check checks[] = {{"style", style, 6},
                            {"background red", bkRed, 255},
                            {"background green", bkGreen, 255},
                            {"background blue", bkBlue, 255},
                            {"foreground red", fgRed, 255},
                            {"foreground green", fgGreen, 255},
                            {"foreground blue", fgBlue, 255},
                            {"colourful", colourful, 1},
                            {"edited colour", edited, 1}};
    for (const Check& check : checks) {
        if (check.value == -1) continue;  // kept
        if (check.value < 0 || check.value > check.maximum)
            return Refuse(call, kErrorInvalidArgs,
                          QStringLiteral("%1 %2 is out of range (0 to %3)")
                              .arg(QString::fromLatin1(check.what))
                              .arg(check.value)
                              .arg(check.maximum));
    }
    AudioLightRecord record = audio->GetAudioLightSettings();
    auto keep = [](int value, uint8_t& field) {
        if (value != -1) field = static_cast<uint8_t>(value);
    };
    keep(style, record.audioMode);
    keep(bkRed, record.bkColorR);
    keep(bkGreen, record.bkColorG);
    keep(bkBlue, record.bkColorB);
    // A foreground colour given is the colour shown, unless colourful is asked for too.
    if (fgRed != -1 || fgGreen != -1 || fgBlue != -1) record.sevenColorFlags = 0;
    keep(fgRed, record.fgColorR);
    keep(fgGreen, record.fgColorG);
    keep(fgBlue, record.fgColorB);
    keep(colourful, record.sevenColorFlags);
    keep(edited, record.colorTypeFlags);
    call.setDelayedReply(true);
    auto pending = std::make_shared<QDBusMessage>(call);
    QDBusConnection connection = connection_;
    audio->ChangeAudioLighting(record, [pending, connection](const QString& error) mutable {
        if (error.isEmpty()) {
            connection.send(pending->createReply());
        } else {
            connection.send(pending->createErrorReply(QString::fromLatin1(kErrorFailed), error));
        }
    });
}

QString LightingAdaptor::SoundStatistics() {
    Json::Value root(Json::objectValue);
    if (window_) {
        const AudioFeed::Counts& counts = window_->SoundFeedCounts();
        root["sampleBlocks"] = Json::UInt64(counts.sampleBlocks);
        root["valueBlocks"] = Json::UInt64(counts.valueBlocks);
        root["ignored"] = Json::UInt64(counts.ignored);
        root["levelFeeds"] = Json::UInt64(counts.levelFeeds);
        root["valueFeeds"] = Json::UInt64(counts.valueFeeds);
    }
    return JsonText(root);
}

void LightingAdaptor::Sync(bool on, const QDBusMessage& call) {
    LightSync* sync = window_ ? window_->SyncLighting() : nullptr;
    devices::DeviceListController* list = window_ ? window_->Devices() : nullptr;
    if (sync == nullptr || list == nullptr)
        return Refuse(call, kErrorFailed, QStringLiteral("the window is not ready"));
    auto pending = std::make_shared<QDBusMessage>(call);
    QDBusConnection connection = connection_;
    auto answer = [pending, connection](const QString& error) mutable {
        if (error.isEmpty()) {
            connection.send(pending->createReply());
        } else {
            connection.send(pending->createErrorReply(QString::fromLatin1(kErrorFailed), error));
        }
    };
    call.setDelayedReply(true);
    if (!on) {
        sync->SwitchOff(answer);
        return;
    }
    // The shown device leads, as the panel's button does; else the first connected one.
    devices::COrvaneUSBDevice* shown = list->CurrentDevice();
    if (shown == nullptr || !shown->Online()) {
        shown = nullptr;
        for (devices::COrvaneUSBDevice* device : list->AllDevices()) {
            if (device->Online()) {
                shown = device;
                break;
            }
        }
    }
    if (shown == nullptr) {
        connection_.send(call.createErrorReply(QString::fromLatin1(kErrorRefused),
                                               QStringLiteral("no device is connected")));
        return;
    }
    if (!sync->SwitchOn(shown, answer)) {
        const LightInfoRecord record = shown->LightRecord();
        connection_.send(
            call.createErrorReply(QString::fromLatin1(kErrorRefused),
                                  QStringLiteral("the %1's effect %2 has no synchronised version")
                                      .arg(BusDeviceName(*shown))
                                      .arg(record.selectItem)));
    }
}

}  // namespace qx::app
