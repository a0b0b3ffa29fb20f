// The recoil ("shoot") files of a mouse: one file per gun, "ShootData_<gun>.Shoot", whose
// "Events" hold six macro events per bullet (fire press and release, the horizontal and
// vertical step, and two return markers). Shipped defaults of the same names restore a gun.
#pragma once

#include <filesystem>
#include <string>

namespace qx {

// What the recoil panel shows and edits for one bullet.
struct BulletSetting {
    bool left = false;  // horizontal step to the left ("down"), else to the right
    int x = 0;          // horizontal distance
    bool up = false;    // vertical step upwards ("down"), else downwards
    int y = 0;          // vertical distance
    int delay = 0;      // pause after the vertical step, ms
    bool operator==(const BulletSetting&) const = default;
};

class RecoilStore {
  public:
    static constexpr int kGunCount = 4;
    static constexpr int kBulletCount = 30;
    static constexpr int kEventsPerBullet = 6;

    RecoilStore(std::filesystem::path deviceFolder, std::filesystem::path defaultFolder);

    static std::string GunFileName(int gun);  // "ShootData_" + gun + ".Shoot"
    static int ClampGun(int gun);
    static int ClampBullet(int bullet);
    std::filesystem::path GunFilePath(int gun) const;

    // Restores from the default every gun file that is missing or does not parse (a damaged one
    // is kept aside first). False when one could not be restored.
    [[nodiscard]] bool InitRecoil();
    // The bullet's setting; entries the file lacks read as zeros.
    BulletSetting ReadBullet(int gun, int bullet) const;
    // Rewrites the six entries of the bullet, keeping the others.
    [[nodiscard]] bool SaveBullet(int gun, int bullet, const BulletSetting& setting);
    // Copies the default file of the gun over the device's file.
    [[nodiscard]] bool ResetGun(int gun);
    // Copies a chosen file over the gun's file; refused when it is not a JSON object.
    [[nodiscard]] bool ImportGun(int gun, const std::filesystem::path& path);
    [[nodiscard]] bool ExportGun(int gun, const std::filesystem::path& path) const;

  private:
    std::filesystem::path folder_;
    std::filesystem::path defaults_;
};

}  // namespace qx
