#include "profiles/profile_manager.h"

#include <gtest/gtest.h>

#include <set>

#include "core/json_file.h"
#include "core/paths.h"
#include "core/test_data_home.h"

namespace qx {
namespace {

class ProfileManagerTest : public test::TestDataHome {
  protected:
    void SetUp() override {
        TestDataHome::SetUp();
        folder_ = UserDeviceFolder("HD");
        defaults_ = Root() / "defaults" / "HD.Json";
        WriteText(defaults_, R"({"Device" : [ {"LightInfo" : {"Light" : 4}} ]})");
        Open(DeviceKind::Headset);
    }
    void Open(DeviceKind kind) {
        manager_ = ProfileManager();
        manager_.SetDeviceKind(kind);
        manager_.SetFolders(folder_, defaults_);
        ASSERT_TRUE(manager_.InitProfileList());
    }
    void WriteList(const std::vector<std::string>& names, int select) {
        Json::Value list(Json::objectValue);
        for (size_t i = 0; i < names.size(); ++i) {
            Json::Value entry;
            entry["profilename"] = names[i];
            entry["profileUUID"] = "id" + std::to_string(i);
            list["profilelist"].append(entry);
            Json::Value profile;
            profile["profilename"] = names[i];
            profile["profileUUID"] = "id" + std::to_string(i);
            ASSERT_TRUE(WriteJsonFile(folder_ / ("id" + std::to_string(i) + ".Json"), profile));
        }
        list["profileselect"] = select;
        ASSERT_TRUE(WriteJsonFile(folder_ / "ProfileList.ini", list));
        Open(DeviceKind::Headset);
    }
    std::vector<std::string> StoredNames() const {
        std::vector<std::string> names;
        for (const auto& entry : manager_.ReadEntries()) names.push_back(entry.name);
        return names;
    }
    int StoredSelection() const {
        return ReadJsonFile(folder_ / "ProfileList.ini")["profileselect"].asInt();
    }

    std::filesystem::path folder_;
    std::filesystem::path defaults_;
    ProfileManager manager_;
};

TEST_F(ProfileManagerTest, FreshFolderStartsWithProfile1CopiedFromTheDefault) {
    ASSERT_EQ(manager_.Names(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(manager_.GetSelectedIndex(), 0);
    const Json::Value list = ReadJsonFile(folder_ / "ProfileList.ini");
    const Json::Value& entry = list["profilelist"][0];
    EXPECT_EQ(entry["profileislink"], 0);
    EXPECT_EQ(entry["profilelinkmame"], "");
    EXPECT_EQ(entry["profileUUID"].asString(), manager_.GetCurrentProfileId());
    const Json::Value profile = ReadJsonFile(manager_.GetProfilePathAt(0));
    EXPECT_EQ(profile["profilename"], "profile1");
    EXPECT_EQ(profile["profileUUID"], entry["profileUUID"]);
    EXPECT_EQ(profile["Device"][0]["LightInfo"]["Light"], 4);
}

TEST_F(ProfileManagerTest, NewProfileTakesTheFirstFreeNumberUpToFifty) {
    WriteList({"profile1", "PROFILE3"}, 0);
    ASSERT_TRUE(manager_.NewProfile());
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"profile1", "PROFILE3", "profile2"}));
    EXPECT_EQ(StoredSelection(), 2);
    EXPECT_EQ(manager_.GetSelectedIndex(), 0) << "the shown selection does not change";
    EXPECT_EQ(ReadJsonFile(manager_.GetProfilePathAt(2))["Device"][0]["LightInfo"]["Light"], 4);

    while (manager_.Names().size() < 50) ASSERT_TRUE(manager_.NewProfile());
    EXPECT_FALSE(manager_.NewProfile());
    EXPECT_EQ(manager_.GetProfileCount(), 50);
    EXPECT_TRUE(manager_.CopyProfile());
    const auto exported = Root() / "x.json";
    ASSERT_TRUE(manager_.ExportProfile(exported));
    EXPECT_TRUE(manager_.ImportProfile(exported));
    EXPECT_EQ(manager_.GetProfileCount(), 52);
    std::set<std::string> ids;
    for (const auto& entry : manager_.ReadEntries()) ids.insert(entry.id);
    EXPECT_EQ(ids.size(), 52u) << "identifiers made within one millisecond stay unique";
}

TEST_F(ProfileManagerTest, DeleteNeedsTwoProfilesAndSelectsTheNeighbour) {
    EXPECT_FALSE(manager_.DeleteProfile());
    EXPECT_EQ(manager_.GetProfileCount(), 1);

    WriteList({"a", "b", "c"}, 0);
    ASSERT_TRUE(manager_.DeleteProfile());
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"b", "c"}));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "id0.Json"));
    EXPECT_EQ(manager_.GetSelectedIndex(), 0);
    EXPECT_EQ(manager_.GetCurrentProfileId(), "id1");
    EXPECT_EQ(StoredSelection(), 0);

    ASSERT_TRUE(manager_.SelectProfile(1));
    ASSERT_TRUE(manager_.DeleteProfile());
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"b"});
    EXPECT_EQ(manager_.GetCurrentProfileId(), "id1");
}

TEST_F(ProfileManagerTest, CopyAndImportSuffixes) {
    WriteList({"Work"}, 0);
    ASSERT_TRUE(manager_.CopyProfile());
    ASSERT_TRUE(manager_.CopyProfile());
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"Work", "Work copy", "Work copy copy"}));
    const Json::Value copy = ReadJsonFile(manager_.GetProfilePathAt(1));
    EXPECT_EQ(copy["profilename"], "Work copy");
    EXPECT_EQ(copy["profileUUID"].asString(), manager_.ReadEntries()[1].id);

    const auto file = Root() / "a.json";
    WriteText(file,
              R"({"profilename" : "x", "profileUUID" : "y", "Device" : [{"A" : 1}, {"B" : 2}]})");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(manager_.ImportProfile(file));
    const auto names = StoredNames();
    EXPECT_EQ(std::vector<std::string>(names.begin() + 3, names.end()),
              (std::vector<std::string>{"a", "a(1)", "a(1)(2)"}));
    const Json::Value imported = ReadJsonFile(manager_.GetProfilePathAt(5));
    EXPECT_EQ(imported["profilename"], "a(1)(2)");
    EXPECT_EQ(imported["Device"][1]["B"], 2) << "every device block is kept";
    EXPECT_EQ(StoredSelection(), 0);
}

TEST_F(ProfileManagerTest, ImportRefusesFilesThatAreNotProfiles) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {{"empty", ""},
                 {"truncated", R"({"profilename" : "a", )"},
                 {"array", R"([1, 2])"},
                 {"no uuid", R"({"profilename" : "a"})"}};
    for (const auto& c : cases) {
        const auto file = Root() / "in.json";
        WriteText(file, c.text);
        EXPECT_FALSE(ProfileManager::IsImportable(file)) << c.name;
        EXPECT_FALSE(manager_.ImportProfile(file)) << c.name;
    }
    EXPECT_EQ(manager_.GetProfileCount(), 1);
}

TEST_F(ProfileManagerTest, RenameRefusals) {
    WriteList({"profile1", "Work"}, 1);
    EXPECT_EQ(manager_.RenameProfile("PROFILE1"), ProfileManager::RenameResult::NameInUse);
    EXPECT_EQ(manager_.RenameProfile("   "), ProfileManager::RenameResult::Blank);
    EXPECT_EQ(manager_.RenameProfile(""), ProfileManager::RenameResult::Blank);
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"profile1", "Work"}));
    EXPECT_EQ(manager_.RenameProfile("WORK"), ProfileManager::RenameResult::Done);
    EXPECT_EQ(manager_.RenameProfile("Jeu d'été"), ProfileManager::RenameResult::Done);
    EXPECT_EQ(StoredNames()[1], "Jeu d'été");
    EXPECT_EQ(ReadJsonFile(folder_ / "id1.Json")["profilename"], "Jeu d'été");
}

TEST_F(ProfileManagerTest, HeadsetResetKeepsCustomEqualisers) {
    const auto path = manager_.CurrentProfilePath();
    Json::Value profile = ReadJsonFile(path);
    profile["Device"][0]["LightInfo"]["Light"] = 1;
    profile["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Mine";
    profile["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 6;
    ASSERT_TRUE(WriteJsonFile(path, profile));
    ASSERT_TRUE(manager_.ResetProfile());
    Json::Value reset = ReadJsonFile(path);
    EXPECT_EQ(reset["Device"][0]["LightInfo"]["Light"], 4);
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"], "Mine");
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0]["value"], 6);
    EXPECT_EQ(reset["profilename"], "profile1");

    Open(DeviceKind::MousePad);
    ASSERT_TRUE(manager_.ResetProfile());
    reset = ReadJsonFile(path);
    EXPECT_FALSE(reset["Device"][0].isMember("CustomEQNameInfo"));
}

TEST_F(ProfileManagerTest, CraftedIdentifiersNeverReachFilesOutsideTheFolder) {
    const auto victim = folder_.parent_path() / "victim.Json";
    WriteText(victim, R"({"keep" : 1})");
    WriteText(folder_ / "ProfileList.ini", R"({"profilelist" : [
        {"profilename" : "a", "profileUUID" : "../victim"},
        {"profilename" : "b", "profileUUID" : ""},
        {"profilename" : 5, "profileUUID" : ["x"]}], "profileselect" : 0})");
    Open(DeviceKind::Headset);
    EXPECT_EQ(manager_.Names(), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_TRUE(manager_.GetProfilePathAt(0).empty());
    EXPECT_TRUE(manager_.GetProfilePathAt(1).empty());
    EXPECT_FALSE(manager_.ResetProfile());
    EXPECT_EQ(manager_.RenameProfile("c"), ProfileManager::RenameResult::Done);
    EXPECT_FALSE(manager_.ExportProfile(Root() / "out.json"));
    EXPECT_TRUE(manager_.DeleteProfile());
    EXPECT_EQ(ReadText(victim), R"({"keep" : 1})");
}

TEST_F(ProfileManagerTest, DamagedListIsRecreatedAndKeptAside) {
    const struct {
        const char* name;
        const char* text;
        int selected;
    } cases[] = {{"truncated", R"({"profilelist" : [ {"profilename" : "a")", 0},
                 {"wrong type", R"({"profilelist" : "x"})", 0},
                 {"selection out of range", R"({"profilelist" : [{"profilename" : "a",
                     "profileUUID" : "id"}, {"profilename" : "b", "profileUUID" : "id2"}],
                     "profileselect" : 7})",
                  0},
                 {"selection wrong type", R"({"profilelist" : [{"profilename" : "a",
                     "profileUUID" : "id"}], "profileselect" : "1"})",
                  0}};
    for (const auto& c : cases) {
        WriteText(folder_ / "ProfileList.ini", c.text);
        Open(DeviceKind::Headset);
        EXPECT_EQ(manager_.GetSelectedIndex(), c.selected) << c.name;
        EXPECT_GE(manager_.GetProfileCount(), 1) << c.name;
        EXPECT_EQ(ReadJsonFile(folder_ / "ProfileList.ini")["profileselect"], 0) << c.name;
    }
    EXPECT_TRUE(std::filesystem::exists(folder_ / "ProfileList.ini.damaged"));
}

}  // namespace
}  // namespace qx
