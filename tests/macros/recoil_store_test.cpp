#include "macros/recoil_store.h"

#include <gtest/gtest.h>

#include "core/json_file.h"
#include "core/test_data_home.h"
#include "macros/macro_upload.h"

namespace qx {
namespace {

class RecoilStoreTest : public test::TestDataHome {
  protected:
    std::filesystem::path Defaults() const {
        return std::filesystem::path(QX580_SOURCE_DATA_DIR) / "DefaultData";
    }
};

TEST_F(RecoilStoreTest, InitRestoresMissingAndDamagedGunsFromTheDefaults) {
    RecoilStore store(Root(), Defaults());
    WriteText(store.GunFilePath(1), "{ truncated");
    WriteText(store.GunFilePath(2), R"({"Events" : []})");
    ASSERT_TRUE(store.InitRecoil());
    EXPECT_EQ(ReadText(store.GunFilePath(0)), ReadText(Defaults() / "ShootData_0.Shoot"));
    EXPECT_EQ(ReadText(store.GunFilePath(1)), ReadText(Defaults() / "ShootData_1.Shoot"));
    EXPECT_EQ(ReadText(store.GunFilePath(2)), R"({"Events" : []})");
    EXPECT_EQ(ReadJsonFile(store.GunFilePath(3))["Events"].size(), 180u);
}

TEST_F(RecoilStoreTest, SavingABulletRewritesItsSixEntriesOnly) {
    RecoilStore store(Root(), Defaults());
    ASSERT_TRUE(store.InitRecoil());
    const Json::Value before = ReadJsonFile(store.GunFilePath(2));
    ASSERT_TRUE(store.SaveBullet(2, 3, {false, 4, true, 9, 77}));
    const Json::Value after = ReadJsonFile(store.GunFilePath(2));
    ASSERT_EQ(after["Events"].size(), 180u);
    for (Json::ArrayIndex i = 0; i < 180; ++i) {
        if (i < 18 || i > 23) {
            EXPECT_EQ(after["Events"][i], before["Events"][i]) << i;
        }
    }
    const Json::Value& e = after["Events"];
    EXPECT_EQ(e[18]["Action"], "down");
    EXPECT_EQ(e[18]["Delay"], 10);
    EXPECT_EQ(e[19]["Action"], "up");
    EXPECT_EQ(e[20]["Action"], "up") << "horizontal check cleared";
    EXPECT_EQ(e[22]["Action"], "up");
    EXPECT_EQ(e[20]["Button"], 4);
    EXPECT_EQ(e[20]["Delay"], 5);
    EXPECT_EQ(e[21]["Action"], "down");
    EXPECT_EQ(e[21]["Delay"], 77) << "an integer in recoil files";
    EXPECT_EQ(e[23]["Button"], 0);
    EXPECT_EQ(store.ReadBullet(2, 3), (BulletSetting{false, 4, true, 9, 77}));
    EXPECT_EQ(ReadJsonFile(store.GunFilePath(1)), ReadJsonFile(Defaults() / "ShootData_1.Shoot"));
}

TEST_F(RecoilStoreTest, BulletsAndGunsAreClampedAndShortFilesReadZeros) {
    EXPECT_EQ(RecoilStore::ClampBullet(-1), 0);
    EXPECT_EQ(RecoilStore::ClampBullet(30), 29);
    EXPECT_EQ(RecoilStore::ClampGun(9), 3);
    RecoilStore store(Root(), Root() / "none");
    WriteText(store.GunFilePath(0), R"({"Events" : [1, 2, 3]})");
    EXPECT_EQ(store.ReadBullet(0, 0), BulletSetting{});
    EXPECT_EQ(store.ReadBullet(0, 29), BulletSetting{});
}

TEST_F(RecoilStoreTest, ImportReplacesTheChosenGunOnlyAndRefusesJunk) {
    RecoilStore store(Root(), Defaults());
    ASSERT_TRUE(store.InitRecoil());
    WriteText(Root() / "g.shoot", R"({"Events" : [{"Type" : 5}]})");
    WriteText(Root() / "junk.shoot", "junk");
    EXPECT_FALSE(store.ImportGun(1, Root() / "junk.shoot"));
    EXPECT_FALSE(store.ImportGun(1, ""));
    ASSERT_TRUE(store.ImportGun(1, Root() / "g.shoot"));
    EXPECT_EQ(ReadText(store.GunFilePath(1)), R"({"Events" : [{"Type" : 5}]})");
    EXPECT_EQ(ReadText(store.GunFilePath(0)), ReadText(Defaults() / "ShootData_0.Shoot"));
    ASSERT_TRUE(store.ExportGun(1, Root() / "out.shoot"));
    EXPECT_EQ(ReadText(Root() / "out.shoot"), ReadText(store.GunFilePath(1)));

    const auto image = BuildRecoilImage(Root());
    ASSERT_EQ(image.size(), 16u + 6 * 4 + 4 * (180 * 3 + 1));
    EXPECT_EQ(image[4], 4);
    ASSERT_TRUE(store.ResetGun(1));
    EXPECT_EQ(ReadText(store.GunFilePath(1)), ReadText(Defaults() / "ShootData_1.Shoot"));
}

}  // namespace
}  // namespace qx
