#include "app/mouse_adaptor.h"

#include <json/value.h>
#include <json/writer.h>

#include <memory>

#include "app/bus_names.h"
#include "app/main_wnd.h"
#include "devices/base/device_list_controller.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "devices/panels/shoot_control_ui.h"
#include "macros/recoil_store.h"

namespace qx::app {
namespace {

QString JsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    return QString::fromStdString(Json::writeString(builder, value));
}

RecoilStore StoreOf(devices::COrvaneMouseDevice& mouse) {
    return RecoilStore(mouse.UserDeviceFolder(), devices::COrvaneUSBDevice::DefaultDataFolder());
}

// The panel shows the gun's bullet again after a change from outside.
void ShowAgain(devices::COrvaneMouseDevice& mouse) {
    if (devices::CShootControlUI* panel = mouse.ShootPanel()) panel->ShowBullet();
}

}  // namespace

MouseAdaptor::MouseAdaptor(QObject* exported, CMainWnd* window, QDBusConnection connection)
    : QDBusAbstractAdaptor(exported), window_(window), connection_(std::move(connection)) {}

void MouseAdaptor::Refuse(const QDBusMessage& call, const char* error, const QString& text) {
    call.setDelayedReply(true);
    connection_.send(call.createErrorReply(QString::fromLatin1(error), text));
}

devices::COrvaneMouseDevice* MouseAdaptor::Mouse(const QDBusMessage& call) {
    devices::DeviceListController* list = window_ ? window_->Devices() : nullptr;
    if (list != nullptr) {
        for (devices::COrvaneUSBDevice* device : list->AllDevices())
            if (auto* mouse = dynamic_cast<devices::COrvaneMouseDevice*>(device)) return mouse;
    }
    Refuse(call, kErrorUnknownDevice, QStringLiteral("no mouse has been seen by the program"));
    return nullptr;
}

bool MouseAdaptor::GunAndBullet(uint gun, uint bullet, const QDBusMessage& call) {
    if (gun < RecoilStore::kGunCount && bullet < RecoilStore::kBulletCount) return true;
    Refuse(call, kErrorRefused,
           QStringLiteral("guns are 0-%1 and bullets 0-%2")
               .arg(RecoilStore::kGunCount - 1)
               .arg(RecoilStore::kBulletCount - 1));
    return false;
}

QString MouseAdaptor::Dpi(const QDBusMessage& call) {
    devices::COrvaneMouseDevice* mouse = Mouse(call);
    if (mouse == nullptr) return {};
    const devices::DpiScale scale = mouse->Scale();
    const devices::MouseSettings settings = mouse->Settings();
    Json::Value root(Json::objectValue);
    root["minimum"] = scale.ToDpi(0);
    root["maximum"] = scale.MaxDpi();
    root["step"] = scale.step;
    root["active"] = settings.activeStage;
    root["polling"] = settings.PollingIndex();
    root["stages"] = Json::Value(Json::arrayValue);
    for (size_t i = 0; i < settings.stages.size() && i < devices::kMouseStageCount; ++i) {
        const DpiStageRecord& stage = settings.stages[i];
        Json::Value item(Json::objectValue);
        item["stage"] = static_cast<int>(i);
        item["enabled"] = stage.active != 0;
        item["steps"] = stage.dpiX;
        item["dpi"] = scale.ToDpi(stage.dpiX);
        item["colour"] = Json::Value(Json::arrayValue);
        for (int c : {stage.red, stage.green, stage.blue}) item["colour"].append(c);
        root["stages"].append(item);
    }
    return JsonText(root);
}

void MouseAdaptor::SetDpiStage(uint stage, int dpi, int red, int green, int blue, bool active,
                               const QDBusMessage& call) {
    devices::COrvaneMouseDevice* mouse = Mouse(call);
    if (mouse == nullptr) return;
    const devices::DpiScale scale = mouse->Scale();
    if (stage >= devices::kMouseStageCount)
        return Refuse(call, kErrorRefused, QStringLiteral("stages are 0-4"));
    if (dpi != 0 && scale.maxSteps <= 0)
        return Refuse(call, kErrorRefused,
                      QStringLiteral("the mouse's DPI range is not known yet (it was not read)"));
    if (dpi != 0 && (dpi < scale.ToDpi(0) || dpi > scale.MaxDpi()))
        return Refuse(call, kErrorRefused,
                      QStringLiteral("DPI %1 is outside the mouse's range %2-%3")
                          .arg(dpi)
                          .arg(scale.ToDpi(0))
                          .arg(scale.MaxDpi()));
    if (red >= 0 && (red > 255 || green < 0 || green > 255 || blue < 0 || blue > 255))
        return Refuse(call, kErrorRefused, QStringLiteral("colour values are 0-255"));
    const int steps = dpi != 0 ? scale.ToStepsFromDpi(dpi) : -1;
    const int index = static_cast<int>(stage);
    call.setDelayedReply(true);
    auto pending = std::make_shared<QDBusMessage>(call);
    QDBusConnection connection = connection_;
    mouse->ChangeSettings(
        [=](devices::MouseSettings& s) {
            DpiStageRecord& record = s.Stage(index);
            if (steps >= 0) record.dpiX = static_cast<uint16_t>(steps);
            if (red >= 0) {
                record.red = static_cast<uint8_t>(red);
                record.green = static_cast<uint8_t>(green);
                record.blue = static_cast<uint8_t>(blue);
            }
            if (active) {
                s.activeStage = index;
                record.active = 1;
            }
        },
        true,
        [mouse, pending, connection](const QString& error) mutable {
            mouse->RefreshPanel();
            connection.send(error.isEmpty() ? pending->createReply()
                                            : pending->createErrorReply(
                                                  QString::fromLatin1(kErrorFailed), error));
        });
}

QString MouseAdaptor::Bullet(uint gun, uint bullet, const QDBusMessage& call) {
    devices::COrvaneMouseDevice* mouse = Mouse(call);
    if (mouse == nullptr || !GunAndBullet(gun, bullet, call)) return {};
    const BulletSetting setting =
        StoreOf(*mouse).ReadBullet(static_cast<int>(gun), static_cast<int>(bullet));
    Json::Value root(Json::objectValue);
    root["gun"] = gun;
    root["bullet"] = bullet;
    root["left"] = setting.left;
    root["x"] = setting.x;
    root["up"] = setting.up;
    root["y"] = setting.y;
    root["delay"] = setting.delay;
    return JsonText(root);
}

void MouseAdaptor::SetBullet(uint gun, uint bullet, bool left, int x, bool up, int y, int delay,
                             const QDBusMessage& call) {
    devices::COrvaneMouseDevice* mouse = Mouse(call);
    if (mouse == nullptr || !GunAndBullet(gun, bullet, call)) return;
    if (x < 0 || x > 255 || y < 0 || y > 255 || delay < 0 || delay > 65535)
        return Refuse(call, kErrorRefused,
                      QStringLiteral("distances are 0-255 and the delay 0-65535 ms"));
    RecoilStore store = StoreOf(*mouse);
    if (!store.SaveBullet(static_cast<int>(gun), static_cast<int>(bullet),
                          BulletSetting{left, x, up, y, delay}))
        return Refuse(
            call, kErrorFailed,
            QStringLiteral("the gun file %1 could not be written")
                .arg(QString::fromStdString(store.GunFilePath(static_cast<int>(gun)).string())));
    ShowAgain(*mouse);
}

void MouseAdaptor::UploadRecoil(const QDBusMessage& call) {
    devices::COrvaneMouseDevice* mouse = Mouse(call);
    if (mouse == nullptr) return;
    call.setDelayedReply(true);
    auto pending = std::make_shared<QDBusMessage>(call);
    QDBusConnection connection = connection_;
    const bool posted = mouse->Post([mouse, pending, connection] {
        const devices::COrvaneMouseDevice::RecoilUpload upload = mouse->UploadRecoil();
        mouse->OnUiThread([upload, pending, connection]() mutable {
            QString error;
            if (upload.overflowBytes > 0)
                error = QStringLiteral(
                            "the recoil data is %1 bytes larger than the mouse's recoil "
                            "memory (%2 bytes); nothing was sent")
                            .arg(static_cast<qulonglong>(upload.overflowBytes))
                            .arg(static_cast<qulonglong>(devices::kRecoilMemorySize));
            else if (upload.imageBytes == 0)
                error = QStringLiteral("the recoil files could not be put together");
            else if (upload.result != kResultSuccess)
                error = devices::COrvaneMouseDevice::ResultText(upload.result);
            connection.send(error.isEmpty() ? pending->createReply()
                                            : pending->createErrorReply(
                                                  QString::fromLatin1(kErrorFailed), error));
        });
    });
    if (!posted)
        connection_.send(call.createErrorReply(QString::fromLatin1(kErrorFailed),
                                               QStringLiteral("the mouse is going away")));
}

void MouseAdaptor::ResetGun(uint gun, const QDBusMessage& call) {
    devices::COrvaneMouseDevice* mouse = Mouse(call);
    if (mouse == nullptr || !GunAndBullet(gun, 0, call)) return;
    if (!StoreOf(*mouse).ResetGun(static_cast<int>(gun)))
        return Refuse(call, kErrorFailed, QStringLiteral("the gun's default could not be copied"));
    ShowAgain(*mouse);
}

void MouseAdaptor::ImportGun(uint gun, const QString& path, const QDBusMessage& call) {
    devices::COrvaneMouseDevice* mouse = Mouse(call);
    if (mouse == nullptr || !GunAndBullet(gun, 0, call)) return;
    if (!StoreOf(*mouse).ImportGun(static_cast<int>(gun), path.toStdString()))
        return Refuse(
            call, kErrorFailed,
            QStringLiteral("%1 is not a readable recoil file; nothing was changed").arg(path));
    ShowAgain(*mouse);
}

void MouseAdaptor::ExportGun(uint gun, const QString& path, const QDBusMessage& call) {
    devices::COrvaneMouseDevice* mouse = Mouse(call);
    if (mouse == nullptr || !GunAndBullet(gun, 0, call)) return;
    if (!StoreOf(*mouse).ExportGun(static_cast<int>(gun), path.toStdString()))
        Refuse(call, kErrorFailed,
               QStringLiteral("the gun file could not be written to %1").arg(path));
}

}  // namespace qx::app
