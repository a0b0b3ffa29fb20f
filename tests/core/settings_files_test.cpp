#include <gtest/gtest.h>

#include "core/check_date_file.h"
#include "core/json_file.h"
#include "core/language_list.h"
#include "core/paths.h"
#include "core/test_data_home.h"
#include "core/time_stamp.h"

namespace qx {
namespace {

using SettingsFilesTest = test::TestDataHome;

TEST_F(SettingsFilesTest, CheckDateIsStampedWhenMissingAndKeptOtherwise) {
    const auto path = CheckDateFilePath();
    EXPECT_EQ(path, UserFolder() / "updatetime.config");
    EXPECT_EQ(ReadOrStampCheckDate(), TodayDateText());
    EXPECT_EQ(ReadJsonFile(path)["updatelasttime"]["value"], TodayDateText());

    WriteText(path, R"({"updatelasttime" : {"value" : "2023-1-9"}, "other" : 5})");
    EXPECT_EQ(ReadOrStampCheckDate(), "2023-1-9");
    ASSERT_TRUE(WriteCheckDate("2024-3-7"));
    EXPECT_EQ(ReadJsonFile(path)["other"], 5);

    WriteText(path, R"({"updatelasttime" : {"value" : 12}})");  // wrong type: as if missing
    EXPECT_EQ(ReadOrStampCheckDate(), TodayDateText());
}

TEST_F(SettingsFilesTest, ShippedLanguageListHasEnglishAndSimplifiedChinese) {
    const auto list = ReadLanguageList(std::filesystem::path(QX580_SOURCE_DATA_DIR) /
                                       "DefaultData" / "Language.config");
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[0].text, "English");
    EXPECT_EQ(list[1].text, "简体中文");
    EXPECT_EQ(LanguageIndexForId(list, list[1].id), 1);
    EXPECT_EQ(LanguageIndexForId(list, 424242), 0);

    WriteText(Root() / "Language.config", R"({"Language" : [5, {"Language_ID" : "x"}]})");
    const auto odd = ReadLanguageList(Root() / "Language.config");
    ASSERT_EQ(odd.size(), 2u);
    EXPECT_EQ(odd[1].id, 0);
    EXPECT_TRUE(ReadLanguageList(Root() / "missing").empty());
}

}  // namespace
}  // namespace qx
