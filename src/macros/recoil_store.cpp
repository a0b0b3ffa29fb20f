#include "macros/recoil_store.h"

#include <algorithm>

#include "core/json_file.h"
#include "core/json_value.h"
#include "macros/macro_event.h"
#include "platform/atomic_file.h"

namespace qx {
namespace {

Json::Value Entry(const char* action, int button, int delay, int type) {
    Json::Value event(Json::objectValue);
    event["Action"] = action;
    event["Button"] = button;
    event["Delay"] = delay;
    event["Type"] = type;
    return event;
}

}  // namespace

RecoilStore::RecoilStore(std::filesystem::path deviceFolder, std::filesystem::path defaultFolder)
    : folder_(std::move(deviceFolder)), defaults_(std::move(defaultFolder)) {}

std::string RecoilStore::GunFileName(int gun) {
    return "ShootData_" + std::to_string(gun) + ".Shoot";
}

int RecoilStore::ClampGun(int gun) { return std::clamp(gun, 0, kGunCount - 1); }

int RecoilStore::ClampBullet(int bullet) { return std::clamp(bullet, 0, kBulletCount - 1); }

std::filesystem::path RecoilStore::GunFilePath(int gun) const {
    return folder_ / GunFileName(ClampGun(gun));
}

bool RecoilStore::InitRecoil() {
    bool restored = true;
    for (int gun = 0; gun < kGunCount; ++gun) {
        if (!ReadJsonFile(GunFilePath(gun)).isNull()) continue;
        // A damaged gun file is kept before the default replaces it.
        restored = SetAsideDamagedFile(GunFilePath(gun)).ok && ResetGun(gun) && restored;
    }
    return restored;
}

BulletSetting RecoilStore::ReadBullet(int gun, int bullet) const {
    const Json::Value document = ReadJsonFile(GunFilePath(gun));
    const Json::Value& events = json::Get(document, "Events");
    const auto base = static_cast<Json::ArrayIndex>(ClampBullet(bullet) * kEventsPerBullet);
    const Json::Value& horizontal = json::At(events, base + 2);
    const Json::Value& vertical = json::At(events, base + 3);
    BulletSetting setting;
    setting.left = json::ToString(json::Get(horizontal, "Action")) == "down";
    setting.x = json::ToInt(json::Get(horizontal, "Button"));
    setting.up = json::ToString(json::Get(vertical, "Action")) == "down";
    setting.y = json::ToInt(json::Get(vertical, "Button"));
    setting.delay = EventDelay(vertical);
    return setting;
}

bool RecoilStore::SaveBullet(int gun, int bullet, const BulletSetting& setting) {
    const std::filesystem::path path = GunFilePath(gun);
    Json::Value document = ReadJsonFile(path);
    if (!document.isObject()) {
        if (!KeepFileAside(path).ok) return false;
        document = Json::Value(Json::objectValue);
    }
    Json::Value& events = json::Slot(document, "Events");
    const auto base = static_cast<Json::ArrayIndex>(ClampBullet(bullet) * kEventsPerBullet);
    const char* horizontal = setting.left ? "down" : "up";
    const char* vertical = setting.up ? "down" : "up";
    json::SlotAt(events, base) = Entry("down", 1, 10, kEventMouseButton);
    json::SlotAt(events, base + 1) = Entry("up", 1, 0, kEventMouseButton);
    json::SlotAt(events, base + 2) = Entry(horizontal, setting.x, 5, kEventMoveHorizontal);
    json::SlotAt(events, base + 3) = Entry(vertical, setting.y, setting.delay, kEventMoveVertical);
    json::SlotAt(events, base + 4) = Entry(horizontal, 0, 0, kEventMoveHorizontal);
    json::SlotAt(events, base + 5) = Entry(vertical, 0, 0, kEventMoveVertical);
    return WriteJsonFile(path, document);
}

bool RecoilStore::ResetGun(int gun) {
    return platform::CopyFileAtomically(defaults_ / GunFileName(ClampGun(gun)), GunFilePath(gun));
}

bool RecoilStore::ImportGun(int gun, const std::filesystem::path& path) {
    if (path.empty() || !ReadJsonFile(path).isObject()) return false;
    return platform::CopyFileAtomically(path, GunFilePath(gun));
}

bool RecoilStore::ExportGun(int gun, const std::filesystem::path& path) const {
    if (path.empty()) return false;
    return platform::CopyFileAtomically(GunFilePath(gun), path);
}

}  // namespace qx
