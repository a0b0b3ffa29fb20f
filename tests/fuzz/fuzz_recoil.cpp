// A mouse's recoil file ("ShootData_<gun>.Shoot"): start-up (a damaged file restored from the
// default), every bullet read and written back, the recoil image for the device, and importing
// a chosen file. A bullet saved reads back as it was saved.
// Input: a selector byte (gun), then the file's bytes.
#include <json/value.h>

#include "fuzz_support.h"
#include "macros/macro_upload.h"
#include "macros/recoil_store.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int gun = data[0] % RecoilStore::kGunCount;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto folder = fuzz::FreshFolder("mouse");
    RecoilStore store(folder, fuzz::ShippedData() / "DefaultData");
    fuzz::WriteBytes(store.GunFilePath(gun), bytes);

    // Start-up without touching the file first (a parsing file stays as it is).
    for (int bullet = 0; bullet < RecoilStore::kBulletCount; bullet += 7)
        (void)store.ReadBullet(gun, bullet);
    (void)BuildRecoilImage(folder);

    if (store.InitRecoil()) {
        const int bullet = (data[0] >> 2) % RecoilStore::kBulletCount;
        BulletSetting setting = store.ReadBullet(gun, bullet);
        setting.x = (setting.x + 1) % 128;
        setting.delay = (setting.delay + 3) % 1000;
        if (store.SaveBullet(gun, bullet, setting))
            fuzz::Require(store.ReadBullet(gun, bullet) == setting, "a saved bullet reads back");
        (void)BuildRecoilImage(folder);
    }

    const auto picked = folder / "picked.Shoot";
    fuzz::WriteBytes(picked, bytes);
    if (store.ImportGun((gun + 1) % RecoilStore::kGunCount, picked))
        (void)store.ReadBullet((gun + 1) % RecoilStore::kGunCount, 0);
    return 0;
}
