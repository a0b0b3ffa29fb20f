#include <gtest/gtest.h>

#include <set>

#include "core/json_file.h"
#include "core/test_data_home.h"
#include "profiles/basic_profiledata.h"

namespace qx {
namespace {

class ProfileDataTest : public test::TestDataHome {
  protected:
    void SetUp() override {
        TestDataHome::SetUp();
        defaults_ = Root() / "default.Json";
        profile_ = Root() / "p.Json";
        WriteText(defaults_, R"({"Device" : [ {"LightInfo" : {"Light" : 3}, "KeyList" : [
            {"Assignment" : 131076, "DefaultAssignment" : 131076}]} ]})");
        data_.SetDefaultPath(defaults_);
        data_.SetProfilePath(profile_);
    }
    std::filesystem::path defaults_;
    std::filesystem::path profile_;
    CBasicProfiledata data_;
};

TEST_F(ProfileDataTest, NewOrDamagedProfilesTakeTheDefaultBlockAndAreRewritten) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"missing", nullptr},
        {"zero bytes", ""},
        {"empty array", R"({"Device" : [], "profilename" : "a"})"},
        {"null element", R"({"Device" : [null], "profilename" : "a"})"},
        {"wrong element type", R"({"Device" : [7], "profilename" : "a"})"},
        {"wrong array type", R"({"Device" : "x", "profilename" : "a"})"},
        {"truncated", R"({"Device" : [ {"Light)"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(profile_);
        if (c.text != nullptr) WriteText(profile_, c.text);
        const Json::Value block = data_.Load(profile_);
        EXPECT_EQ(block["LightInfo"]["Light"], 3) << c.name;
        const Json::Value written = ReadJsonFile(profile_);
        EXPECT_EQ(written["Device"][0], block) << c.name;
        if (std::string(c.name) != "missing" && std::string(c.name) != "zero bytes" &&
            std::string(c.name) != "truncated") {
            EXPECT_EQ(written["profilename"], "a") << c.name;
        }
    }
    // Every file the default replaced against its shape was kept aside first, each once.
    std::multiset<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(Root())) {
        if (entry.path().filename().string().starts_with("p.Json.damaged"))
            kept.insert(ReadText(entry.path()));
    }
    EXPECT_EQ(kept, (std::multiset<std::string>{R"({"Device" : [7], "profilename" : "a"})",
                                                R"({"Device" : "x", "profilename" : "a"})",
                                                R"({"Device" : [ {"Light)"}));
}

TEST_F(ProfileDataTest, HigherDeviceIndexPadsWithNullAndKeepsOtherBlocks) {
    WriteText(defaults_, R"({"Device" : [null, null, {"LightInfo" : {"Light" : 2}}]})");
    WriteText(profile_, R"({"Device" : []})");
    data_.SetDeviceIndex(2);
    data_.Load(profile_);
    Json::Value written = ReadJsonFile(profile_);
    ASSERT_EQ(written["Device"].size(), 3u);
    EXPECT_TRUE(written["Device"][0].isNull());
    EXPECT_TRUE(written["Device"][1].isNull());

    WriteText(profile_, R"({"Device" : [{"Other" : 1}, null, {"LightInfo" : {}}], "x" : 9})");
    data_.Load(profile_);
    data_.WriteLightInfoBlock(LightInfoRecord{5, 4});
    ASSERT_TRUE(data_.Save());
    written = ReadJsonFile(profile_);
    EXPECT_EQ(written["Device"][0]["Other"], 1);
    EXPECT_EQ(written["x"], 9);
    EXPECT_EQ(written["Device"][2]["LightInfo"]["SelectItem"], 5);
}

TEST_F(ProfileDataTest, MissingDefaultLeavesTheBlockNullAndTheFileAlone) {
    std::filesystem::remove(defaults_);
    WriteText(profile_, "{ broken");
    EXPECT_TRUE(data_.Load(profile_).isNull());
    EXPECT_EQ(ReadText(profile_), "{ broken");
    EXPECT_EQ(data_.ReadLightInfoBlock(), LightInfoRecord{});
    EXPECT_TRUE(data_.GetKeyList().empty());
    EXPECT_TRUE(data_.DeviceBlock().isNull()) << "getters leave a null block unchanged";
}

TEST_F(ProfileDataTest, LightInfoReadsMissingKeysAsZeroAndWritesElevenKeys) {
    WriteText(profile_, R"({"Device" : [ {"LightInfo" : {"SelectItem" : 7, "MultiColor" : 5,
        "Red" : 300, "Green" : "x", "Blue" : [1]}, "AudioLightInfo" : {"7ColorFlags" : 2}} ]})");
    data_.Load(profile_);
    const LightInfoRecord info = data_.ReadLightInfoBlock();
    EXPECT_EQ(info.selectItem, 7);
    EXPECT_EQ(info.multiColor, 1);
    EXPECT_EQ(info.red, 300 & 0xFF);
    EXPECT_EQ(info.green, 0);
    EXPECT_EQ(info.blue, 0);
    EXPECT_EQ(info.oldLedmode, 0);
    EXPECT_EQ(data_.ReadAudioLightBlock().sevenColorFlags, 1);

    LightInfoRecord changed = info;
    changed.reserved9 = 9;
    changed.oldLedmode = 3;
    data_.WriteLightInfoBlock(changed);
    const Json::Value& block = data_.DeviceBlock()["LightInfo"];
    EXPECT_EQ(block.size(), 11u);
    EXPECT_EQ(block["OldLedmode"], 3);
    EXPECT_FALSE(block.isMember("reserved9"));
}

TEST_F(ProfileDataTest, GettersCreateTheBlockMemberTheyLookUp) {
    WriteText(profile_, R"({"Device" : [ {"LightInfo" : {}} ]})");
    data_.Load(profile_);
    data_.GetKeyList();
    data_.ReadAudioLightBlock();
    ASSERT_TRUE(data_.Save());
    const Json::Value block = ReadJsonFile(profile_)["Device"][0];
    EXPECT_TRUE(block.isMember("KeyList"));
    EXPECT_TRUE(block["KeyList"].isNull());
    EXPECT_TRUE(block["AudioLightInfo"].isNull());
}

TEST_F(ProfileDataTest, KeyListReadsThreeBytesAndWritesOnlyAssignment) {
    WriteText(profile_, R"({"Device" : [ {"KeyList" : [
        {"Assignment" : 7340288, "DefaultAssignment" : 131076},
        {"Assignment" : 131077},
        {"Assignment" : -1, "DefaultAssignment" : 16777217},
        {"Assignment" : 5, "DefaultAssignment" : 5}]} ]})");
    data_.Load(profile_);
    std::vector<KeyAssignRecord> list = data_.GetKeyList();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].current.b2, 0x70);
    EXPECT_EQ(list[0].current.b1, 0x01);
    EXPECT_EQ(list[0].current.b0, 0x00);
    EXPECT_EQ(list[0].defaults.Value(), 131076);
    EXPECT_EQ(list[1].defaults.Value(), 0) << "missing DefaultAssignment";
    EXPECT_EQ(list[2].current.Value(), 0xFFFFFF) << "three low bytes of -1";
    EXPECT_EQ(list[2].defaults.Value(), 1) << "three low bytes of 0x1000001";
    EXPECT_EQ(list[3].current.keyIndex, 3);

    list.resize(2);
    list[0].current.SetValue(0x200004);
    data_.SetKeyList(list);
    ASSERT_TRUE(data_.Save());
    const Json::Value keys = ReadJsonFile(profile_)["Device"][0]["KeyList"];
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0]["Assignment"], 0x200004);
    EXPECT_EQ(keys[0]["DefaultAssignment"], 131076);
    EXPECT_EQ(keys[3]["Assignment"], 5) << "surplus entries stay";
}

TEST_F(ProfileDataTest, LightListGivesOneEntryPerElement) {
    std::string list = "[";
    for (int i = 0; i < 170; ++i) {
        if (i > 0) list += ",";
        if (i == 3) {
            list += R"({"LEDREGMode" : 2, "LEDDirection" : 9, "LEDMultiColor" : 0, "red" : 10})";
        } else if (i == 100) {
            list += R"({"LEDREGMode" : 1})";
        } else {
            list += (i == 50 ? "\"junk\"" : "null");
        }
    }
    WriteText(profile_, R"({"Device" : [ {"LightList" : )" + list + "]} ]}");
    data_.Load(profile_);
    const auto entries = data_.GetLedEffectList();
    ASSERT_EQ(entries.size(), 170u);
    int enabled = 0;
    for (const auto& e : entries) enabled += e.enabled;
    EXPECT_EQ(enabled, 2);
    EXPECT_EQ(entries[3].type, 2);
    EXPECT_EQ(entries[3].direction, 1);
    EXPECT_EQ(entries[3].red, 10);
}

TEST_F(ProfileDataTest, TimedEffectsAreReadBesideTheLightConfigAndNeverOutsideIt) {
    const auto folder = Root() / "dev";
    WriteText(folder / "orbek_light.config", R"({"LightInfo" : [[
        {"Guid" : "g1", "LightName" : "a"}, {"Guid" : "../outside", "LightName" : "b"},
        {"Guid" : 12}]]})");
    WriteText(folder / "g1.light", R"({"LEDEffectList" : [
        {"LEDREGMode" : 1, "red" : 255, "Time" : 1500, "Cyle" : 2}, {"Time" : "x"}]})");
    WriteText(Root() / "outside.light", R"({"LEDEffectList" : [{"Time" : 1}]})");
    WriteText(profile_, R"({"Device" : [ {"LightInfo" : {"SelectItem" : 0}} ]})");
    data_.Load(profile_);
    data_.SetLightConfigPath(folder / "orbek_light.config");
    data_.LoadLightConfig(data_.GetLightConfigPath());
    data_.ReadLightInfoBlock();
    const auto steps = data_.GetTimedEffectSteps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].time, 1500);
    EXPECT_EQ(steps[0].cyle, 2);
    EXPECT_EQ(steps[1].time, 0);

    for (const int select : {1, 2, 9}) {
        LightInfoRecord info;
        info.selectItem = static_cast<uint8_t>(select);
        data_.WriteLightInfoBlock(info);
        EXPECT_TRUE(data_.GetTimedEffectSteps().empty()) << select;
    }
}

}  // namespace
}  // namespace qx
