#include <gtest/gtest.h>

#include "core/json_file.h"
#include "core/paths.h"
#include "core/test_data_home.h"
#include "profiles/audio_style_store.h"
#include "profiles/palette_store.h"

namespace qx {
namespace {

using PaletteTest = test::TestDataHome;
using AudioStylesTest = test::TestDataHome;

TEST_F(PaletteTest, ColoursAreEightUpperCaseHexDigits) {
    EXPECT_EQ(PaletteStore::FormatColour(0xFF0099FF), "FF0099FF");
    EXPECT_EQ(PaletteStore::FormatColour(0x0000000A), "0000000A");
    const struct {
        const char* text;
        uint32_t value;
    } cases[] = {{"FF0099FF", 0xFF0099FF}, {"ff0099ff", 0xFF0099FF}, {"A", 0xA}, {"", 0},
                 {"FFZZ0000", 0},          {"1FF0099FF", 0},         {"-1", 0}};
    for (const auto& c : cases) EXPECT_EQ(PaletteStore::ParseColour(c.text), c.value) << c.text;
}

TEST_F(PaletteTest, OpenCopiesTheDefaultAndSavesKeepOtherMembers) {
    const auto defaults =
        std::filesystem::path(QX580_SOURCE_DATA_DIR) / "DefaultData" / "color_option_info.config";
    PaletteStore store(UserFolder() / "color_option_info.config", defaults);
    ASSERT_TRUE(store.Open());
    EXPECT_EQ(ReadJsonFile(store.FilePath()), ReadJsonFile(defaults));
    EXPECT_EQ(store.PresetSelection(), 4);

    std::vector<PaletteStore::CustomCell> cells(4);
    cells[3] = {true, 0xFF0099FF, "1"};
    ASSERT_TRUE(store.SaveCustomColours(cells, 3));
    const Json::Value info = ReadJsonFile(store.FilePath())["coloroptioninfo"];
    EXPECT_EQ(info["palletDialogcollectcoloroption"][3]["color"], "FF0099FF");
    EXPECT_EQ(info["palletDialogcollectcoloroption"][3]["UserData"], "1");
    EXPECT_EQ(info["palletDialogcollectcoloroption"].size(), 20u);
    EXPECT_EQ(info["palletDialogcoloroption"].size(), 20u) << "preset cells untouched";
    EXPECT_TRUE(store.CustomCells()[3].HoldsUserColour());
    EXPECT_EQ(store.CustomCells()[3].colour, 0xFF0099FF);
    EXPECT_EQ(store.CustomSelection(), 3);

    ASSERT_TRUE(store.SavePresetColours({0xFF112233}, 0));
    EXPECT_EQ(store.PresetColours()[0], 0xFF112233u);
    EXPECT_EQ(store.PresetSelection(), 0);
    EXPECT_EQ(store.CustomCells()[3].colour, 0xFF0099FF);
}

TEST_F(PaletteTest, MissingDefaultStillSavesWhatWasChosen) {
    PaletteStore store(Root() / "p.config", Root() / "none.config");
    ASSERT_TRUE(store.Open()) << "nothing to write is no failure";
    EXPECT_FALSE(std::filesystem::exists(Root() / "p.config"));
    ASSERT_TRUE(store.SaveCustomColours({{true, 0xFF000001, "1"}}, 0));
    EXPECT_EQ(ReadJsonFile(Root() / "p.config")["coloroptioninfo"]["palletDialogcollectcoloroption"]
                  .size(),
              1u);
}

TEST_F(AudioStylesTest, StylesFileKeepsOtherMembersAndResetsFromTheDefault) {
    const auto user = UserFolder() / "AudioFile.json";
    const auto defaults =
        std::filesystem::path(QX580_SOURCE_DATA_DIR) / "DefaultData" / "AudioFile.json";
    AudioStyleStore store(user, defaults);
    ASSERT_TRUE(store.Open());
    AudioStyleSet styles = store.Current();
    EXPECT_EQ(styles.names[2], "第三组");
    EXPECT_EQ(ReadJsonFile(user), ReadJsonFile(defaults));

    Json::Value file = ReadJsonFile(user);
    file["Other"] = 1;
    file["Device"]["Keep"] = "me";
    ASSERT_TRUE(WriteJsonFile(user, file));
    AudioStyleStore reopened(user, defaults);
    ASSERT_TRUE(reopened.Open());
    styles = reopened.Current();
    styles.selected = 2;
    styles.names[0] = "Rock ♪";
    styles.colours[3] = {1, 2, 3};
    ASSERT_TRUE(reopened.SaveAudioStyles(styles));
    file = ReadJsonFile(user);
    EXPECT_EQ(file["Other"], 1);
    EXPECT_EQ(file["Device"]["Keep"], "me");
    EXPECT_EQ(file["Device"]["AudioLightInfo"]["nStyleG3"], 2);
    AudioStyleStore third(user, defaults);
    ASSERT_TRUE(third.Open());
    EXPECT_EQ(third.Current(), styles);

    ASSERT_TRUE(reopened.ResetAudioStyles());
    EXPECT_EQ(reopened.Current().names[0], "第一组");
    EXPECT_FALSE(ReadJsonFile(user).isMember("Other"));
}

TEST_F(AudioStylesTest, MissingOrDamagedFilesGiveDefaultsWithoutLosingTheUserFile) {
    const auto user = Root() / "AudioFile.json";
    WriteText(user,
              R"({"Device" : {"AudioLightInfo" : {"nAudioStyle" : "x", "nStyleName1" : 4}}})");
    AudioStyleStore store(user, Root() / "missing.json");
    EXPECT_TRUE(store.Open()) << "nothing to write is no failure";
    EXPECT_EQ(store.Current(), AudioStyleSet{});
    EXPECT_FALSE(store.ResetAudioStyles()) << "no default to reset to";
    EXPECT_TRUE(ReadJsonFile(user)["Device"].isObject()) << "no default: user file kept";
}

}  // namespace
}  // namespace qx
