#include <gtest/gtest.h>

#include "core/json_file.h"
#include "core/test_data_home.h"
#include "profiles/hs6533_profiledata.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"

namespace qx {
namespace {

class FamilyBlocksTest : public test::TestDataHome {
  protected:
    std::filesystem::path Profile(const std::string& block) {
        const auto path = Root() / "p.Json";
        WriteText(path, R"({"Device" : [ )" + block + " ]}");
        return path;
    }
};

TEST_F(FamilyBlocksTest, ReadingCustomColoursCreatesTheGroup) {
    CKeyboardProfiledata data;
    const auto path = Profile(R"({"LightInfo" : {}})");
    data.SetProfilePath(path);
    data.Load(path);
    const auto cells = data.GetCustomColours(0, 4);
    ASSERT_EQ(cells.size(), 4u);
    for (const auto& cell : cells) EXPECT_EQ(cell, ColourCell{});
    ASSERT_TRUE(data.Save());
    const Json::Value group =
        ReadJsonFile(path)["Device"][0]["CustomLightMode"]["LightColorInfo"][0];
    ASSERT_EQ(group.size(), 4u);
    for (const auto& cell : group) {
        EXPECT_EQ(cell.size(), 4u);
        EXPECT_FALSE(cell.isMember("IsBright"));
    }
}

TEST_F(FamilyBlocksTest, CustomGroupIndexReadCreatesCustomLightModeEvenOnANullBlock) {
    CKeyboardProfiledata data;
    EXPECT_EQ(data.GetCustomGroupIndex(), 0);
    EXPECT_TRUE(data.DeviceBlock()["CustomLightMode"].isObject());

    const auto path = Profile(R"({"CustomLightMode" : {"CustomLightModeGroupIndex" : 3,
        "LightColorInfo" : [null, [{"Red" : 1, "IsBright" : 1}]]}})");
    data.Load(path);
    EXPECT_EQ(data.GetCustomGroupIndex(), 3);
    const auto cells = data.GetCustomColours(1, 2);
    EXPECT_EQ(cells[0], (ColourCell{1, 0, 0, 0, 1}));
    EXPECT_EQ(cells[1], ColourCell{});
    EXPECT_TRUE(data.GetCustomColours(-1, 2).empty());
}

TEST_F(FamilyBlocksTest, KeyboardSystemWordsPackTwoSixteenBitHalves) {
    CKeyboardProfiledata data;
    const auto path = Profile(R"({"SystemStages" : {"Repeat" : 70000, "RepeatDelay" : 2,
        "Key6Flag" : 1, "PollingRate" : 3, "WFlag" : 0, "WinFlag" : 1, "Extra" : 8}})");
    data.Load(path);
    const auto record = data.GetKeyboardSystem();
    EXPECT_EQ(record.words[0], (2u << 16) | 4464u);
    EXPECT_EQ(record.words[1], (3u << 16) | 1u);
    EXPECT_EQ(record.words[2], 1u << 16);
    data.SetKeyboardSystem(0x00050001, 0, 0);
    EXPECT_EQ(data.DeviceBlock()["SystemStages"]["Repeat"], 1);
    EXPECT_EQ(data.DeviceBlock()["SystemStages"]["RepeatDelay"], 5);
    EXPECT_EQ(data.DeviceBlock()["SystemStages"]["Extra"], 8);
}

TEST_F(FamilyBlocksTest, DpiStagesCutToSixteenBitsAndMergeOverEarlierProfiles) {
    CMouseProfiledata data;
    data.Load(Profile(R"({"DPIStages" : {"StageActive" : 2, "StageDPIs" : [
        {"StageActive" : 1, "StageDPIX" : 26000, "StageDPIY" : 70000, "StageColorR" : 511},
        {"StageDPIX" : 2}, {"StageDPIX" : 3}]}})"));
    auto stages = data.GetDpiStages();
    ASSERT_EQ(stages.size(), 3u);
    EXPECT_EQ(stages[0].dpiX, 26000);
    EXPECT_EQ(stages[0].dpiY, 4464);
    EXPECT_EQ(stages[0].red, 255);
    EXPECT_EQ(data.GetActiveStage(), 2);

    data.Load(Profile(R"({"DPIStages" : {"StageDPIs" : [{"StageDPIX" : 9}]}})"));
    stages = data.GetDpiStages();
    ASSERT_EQ(stages.size(), 3u) << "stages beyond the new profile's stay";
    EXPECT_EQ(stages[0].dpiX, 9);
    EXPECT_EQ(stages[2].dpiX, 3);

    data.Load(Profile(R"({"DPIStages" : {"StageDPIs" : [{}, {}, {}, {"StageDPIX" : 4}]}})"));
    data.SetDpiStages({DpiStageRecord{1, 0, 100, 100, 1, 2, 3}});
    EXPECT_EQ(data.DeviceBlock()["DPIStages"]["StageDPIs"].size(), 4u);
    EXPECT_EQ(data.DeviceBlock()["DPIStages"]["StageDPIs"][3]["StageDPIX"], 4);
}

TEST_F(FamilyBlocksTest, MouseSystemTakesTheReportStageOnlyWhenPresent) {
    CMouseProfiledata data;
    data.Load(Profile(R"({"SystemStages" : {"DoubleClickTime" : 5, "MouseSpeed" : 10,
        "WheelScorlllinse" : 3}})"));
    EXPECT_EQ(data.GetMouseSystem().words[2], 3u);
    data.SetMouseSystem(0, 0, (4u << 16) | 3u);
    EXPECT_EQ(data.DeviceBlock()["ReportStages"]["StageActive"], 4);
    EXPECT_EQ(data.GetMouseSystem().words[2], (4u << 16) | 3u);

    data.Load(Profile(R"({"CorrectInfo" : [{"CorrectPixThresh" : 300, "CorrectSelect" : 1,
        "CorrectName" : "Glas\u00e9"}, 5]})"));
    const auto list = data.GetCorrectList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (CorrectRecord{44, 0, 1, "Glas\xc3\xa9"}));
    EXPECT_EQ(list[1], CorrectRecord{});
}

TEST_F(FamilyBlocksTest, EqBandRowsFollowThePresetType) {
    CHs6533Profiledata data;
    std::string rows = "[null";
    for (int r = 1; r <= 12; ++r) {
        rows += ",[";
        for (int b = 0; b < 10; ++b)
            rows +=
                std::string(b ? "," : "") + R"({"value" : )" + std::to_string(r * 100 + b) + "}";
        rows += "]";
    }
    data.Load(Profile(R"({"EQHzValueInfo" : )" + rows + "]}"));
    const struct {
        int type;
        int firstGain;  // -1: empty list
    } cases[] = {{1, 100}, {5, 500}, {12, 1200}, {0, 100}, {20, 100}, {-1, 100}, {13, -1}};
    for (const auto& c : cases) {
        const auto bands = data.GetEqBands(c.type);
        if (c.firstGain < 0) {
            EXPECT_TRUE(bands.empty()) << c.type;
        } else {
            ASSERT_EQ(bands.size(), 10u) << c.type;
            EXPECT_EQ(bands[0], c.firstGain) << c.type;
            EXPECT_EQ(bands[9], c.firstGain + 9) << c.type;
        }
    }
    const Json::Value before = data.DeviceBlock();
    data.SetEqBands(13, std::vector<int>(10, 7));
    EXPECT_EQ(data.DeviceBlock(), before) << "type 13 has no preset row";

    CHs6533Profiledata empty;
    EXPECT_EQ(empty.GetEqBands(3), std::vector<int>(10, 0));
    EXPECT_EQ(empty.DeviceBlock()["EQHzValueInfo"][3].size(), 10u) << "zeros filled in memory";
}

TEST_F(FamilyBlocksTest, CustomEqualisersKeepUtf8NamesAndBands) {
    CHs6533Profiledata data;
    const auto path = Profile("{}");
    data.SetProfilePath(path);
    data.Load(path);
    data.SetCustomEqNames({"Bass", "低音 Ünïcode"});
    data.SetCustomEqBands(1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    data.SetCustomEqBands(-1, {1});
    ASSERT_TRUE(data.Save());
    CHs6533Profiledata again;
    again.Load(path);
    EXPECT_EQ(again.GetCustomEqNames(), (std::vector<std::string>{"Bass", "低音 Ünïcode"}));
    EXPECT_EQ(again.GetCustomEqBands(1), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(again.GetCustomEqBands(0), std::vector<int>(10, 0));
    EXPECT_TRUE(again.GetCustomEqBands(-1).empty());

    HeadsetSystemRecord system{1, 2, 13, 1, 0, 80, 1, 5};
    again.SetHeadsetSystem(system);
    EXPECT_EQ(again.GetHeadsetSystem(), system);
}

}  // namespace
}  // namespace qx
