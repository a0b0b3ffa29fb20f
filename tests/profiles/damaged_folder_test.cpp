// The profile folder after crashes, hand edits and full disks: the list is rebuilt from the
// profile files, damaged bytes are kept, and a failed write changes nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "core/json_file.h"
#include "core/test_data_home.h"
#include "platform/user_folders.h"
#include "profiles/basic_profiledata.h"
#include "profiles/profile_manager.h"

namespace qx {
namespace {

// Every file write of this process fails with EFBIG (a full disk) while one of these lives.
class FullDisk {
  public:
    FullDisk() {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

  private:
    rlimit old_{};
    sighandler_t oldHandler_ = nullptr;
};

class DamagedFolderTest : public test::TestDataHome {
  protected:
    void SetUp() override {
        TestDataHome::SetUp();
        folder_ = platform::UserDeviceFolder("keyboard");
        defaults_ = Root() / "defaults" / "keyboard.Json";
        WriteText(defaults_, R"({"Device" : [ {"LightInfo" : {"Light" : 4}} ]})");
    }
    ProfileStatus Open() {
        manager_ = ProfileManager();
        manager_.SetFolders(folder_, defaults_);
        return manager_.InitProfileList();
    }
    void Profile(const std::string& id, const std::string& name) {
        WriteText(folder_ / (id + ".Json"),
                  R"({"profilename" : ")" + name + R"(", "profileUUID" : ")" + id + R"("})");
    }
    std::filesystem::path List() const { return folder_ / "ProfileList.ini"; }
    // Every file name in the folder with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            files[entry.path().filename().string()] = ReadText(entry.path());
        return files;
    }

    std::filesystem::path folder_;
    std::filesystem::path defaults_;
    ProfileManager manager_;
};

TEST_F(DamagedFolderTest, UnusableListsAreRebuiltFromTheProfileFiles) {
    const struct {
        const char* name;
        const char* list;  // nullptr: no list file
        std::vector<std::string> names;
        bool told;
    } cases[] = {
        {"truncated", R"({"profilelist" : [ {"profilename" : "Work")", {"Work", "Play"}, true},
        {"an array", R"([1, 2])", {"Work", "Play"}, true},
        {"list of the wrong type", R"({"profilelist" : "x"})", {"Work", "Play"}, true},
        {"empty list", R"({"profilelist" : []})", {"Work", "Play"}, true},
        {"entry not an object", R"({"profilelist" : [1]})", {"Work", "Play"}, true},
        {"zero bytes", "", {"Work", "Play"}, true},
        {"missing", nullptr, {"Work", "Play"}, true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        Profile("2024_01_01_00_00_00_001", "Work");
        Profile("2024_01_02_00_00_00_001", "Play");
        WriteText(folder_ / "notes.Json", R"({"profilename" : "no identifier"})");
        WriteText(folder_ / "broken.Json", "{");
        if (c.list != nullptr) WriteText(List(), c.list);

        ASSERT_TRUE(Open()) << c.name;
        EXPECT_EQ(manager_.Names(), c.names) << c.name;
        EXPECT_EQ(manager_.GetCurrentProfileId(), "2024_01_01_00_00_00_001") << c.name;
        ASSERT_EQ(manager_.Recovery().has_value(), c.told) << c.name;
        const std::string damaged = c.list != nullptr ? c.list : "";
        if (!damaged.empty()) {
            EXPECT_EQ(manager_.Recovery()->keptAs, folder_ / "ProfileList.ini.damaged") << c.name;
            EXPECT_EQ(ReadText(folder_ / "ProfileList.ini.damaged"), damaged) << c.name;
        } else if (c.told) {
            EXPECT_TRUE(manager_.Recovery()->keptAs.empty()) << c.name;
        }
        if (c.told) {
            EXPECT_NE(manager_.Recovery()->Message().find("2 profiles"), std::string::npos);
        }
        ASSERT_TRUE(Open()) << c.name;
        EXPECT_FALSE(manager_.Recovery()) << c.name << ": told once";
        EXPECT_EQ(manager_.Names(), c.names) << c.name;
    }
}

TEST_F(DamagedFolderTest, DamagedListWithoutProfileFilesStartsAgainAndSaysSo) {
    WriteText(List(), "garbage");
    ASSERT_TRUE(Open());
    EXPECT_EQ(manager_.Names(), std::vector<std::string>{"profile1"});
    ASSERT_TRUE(manager_.Recovery());
    EXPECT_EQ(manager_.Recovery()->recovered, 0);
    EXPECT_NE(manager_.Recovery()->Message().find("ProfileList.ini.damaged"), std::string::npos);
}

TEST_F(DamagedFolderTest, SecondDamageNeverOverwritesTheFirst) {
    Profile("2024_01_01_00_00_00_001", "Work");
    WriteText(List(), "first damage");
    ASSERT_TRUE(Open());
    WriteText(List(), "second damage");
    ASSERT_TRUE(Open());
    WriteText(List(), "first damage");
    ASSERT_TRUE(Open());
    EXPECT_EQ(ReadText(folder_ / "ProfileList.ini.damaged"), "first damage");
    EXPECT_EQ(ReadText(folder_ / "ProfileList.ini.damaged-2"), "second damage");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "ProfileList.ini.damaged-3"))
        << "the same bytes are kept once";
    EXPECT_EQ(manager_.Recovery()->keptAs, folder_ / "ProfileList.ini.damaged");
}

TEST_F(DamagedFolderTest, SharedIdentifiersAreSplitSoDeleteAndResetStayApart) {
    WriteText(folder_ / "same.Json",
              R"({"profilename" : "A", "profileUUID" : "same", "Device" : [{"Mine" : 1}]})");
    WriteText(List(), R"({"profilelist" : [{"profilename" : "A", "profileUUID" : "same"},
        {"profilename" : "B", "profileUUID" : "same"}], "profileselect" : 1})");
    ASSERT_TRUE(Open());
    const std::vector<ProfileEntry> entries = manager_.ReadEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, "same");
    ASSERT_NE(entries[1].id, "same");
    const Json::Value copy = ReadJsonFile(folder_ / (entries[1].id + ".Json"));
    EXPECT_EQ(copy["profilename"], "B");
    EXPECT_EQ(copy["Device"][0]["Mine"], 1) << "the second entry keeps the settings it showed";

    ASSERT_TRUE(manager_.ResetProfile());
    EXPECT_EQ(ReadJsonFile(folder_ / "same.Json")["Device"][0]["Mine"], 1);
    ASSERT_TRUE(manager_.DeleteProfile());
    EXPECT_TRUE(std::filesystem::exists(folder_ / "same.Json"));
    EXPECT_EQ(manager_.Names(), std::vector<std::string>{"A"});
}

TEST_F(DamagedFolderTest, SharedFileSurvivesDeleteAndResetWhenTheSplitCouldNotBeWritten) {
    WriteText(folder_ / "same.Json", R"({"profilename" : "A", "profileUUID" : "same"})");
    const std::string list = R"({"profilelist" : [{"profilename" : "A", "profileUUID" : "same"},
        {"profilename" : "B", "profileUUID" : "same"}], "profileselect" : 1})";
    WriteText(List(), list);
    {
        FullDisk full;
        ASSERT_TRUE(Open()) << "a list that needs no rewrite opens on a full disk";
    }
    EXPECT_EQ(ReadText(List()), list);
    ASSERT_TRUE(manager_.ResetProfile());
    EXPECT_EQ(ReadJsonFile(folder_ / "same.Json")["profilename"], "A");
    EXPECT_NE(manager_.GetCurrentProfileId(), "same");
}

TEST_F(DamagedFolderTest, StaleTemporariesGoAtStartAndLiveWritersKeepTheirs) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string stale = ".ProfileList.ini.tmp-" + std::to_string(child) + "-3";
    const std::string live = ".x.Json.tmp-1-0";  // process 1 always runs
    WriteText(folder_ / stale, "half");
    WriteText(folder_ / live, "busy");
    WriteText(folder_ / ".notes.tmp-abc", "not ours");
    ASSERT_TRUE(Open());
    EXPECT_FALSE(std::filesystem::exists(folder_ / stale));
    EXPECT_TRUE(std::filesystem::exists(folder_ / live));
    EXPECT_TRUE(std::filesystem::exists(folder_ / ".notes.tmp-abc"));
}

TEST_F(DamagedFolderTest, LookingRewritesNothing) {
    // A name in another encoding and a layout of someone else's: a plain look keeps both.
    Profile("p1", "x");
    WriteText(
        folder_ / "p2.Json",
        "{\"profilename\":\"Caf\xe9\",\"profileUUID\":\"p2\",\"Device\":[{\"LightInfo\":{}}]}");
    const std::string list =
        "{\"profilelist\":[{\"profilename\":\"Caf\xe9\",\"profileUUID\":\"p2\"},"
        "{\"profilename\":\"x\",\"profileUUID\":\"p1\"}],\"profileselect\":0}";
    WriteText(List(), list);
    const auto before = Snapshot();
    ASSERT_TRUE(Open());
    EXPECT_EQ(manager_.GetProfileCount(), 2);
    ASSERT_TRUE(manager_.SelectProfile(0));
    CBasicProfiledata data;
    data.SetDefaultPath(defaults_);
    data.Load(manager_.CurrentProfilePath());
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(DamagedFolderTest, ProfileOfTheWrongShapeIsKeptBeforeDefaultsReplaceIt) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"not an object", R"([{"LightInfo" : {"Light" : 9}}])"},
        {"device not an array", R"({"profilename" : "a", "Device" : {"LightInfo" : 9}})"},
        {"block not an object", R"({"profilename" : "a", "Device" : [7]})"},
        {"does not parse", R"({"Device" : [ {"LightInfo" : )"},
    };
    for (const auto& c : cases) {
        const auto path = folder_ / (std::string(c.name) + ".Json");
        WriteText(path, c.text);
        CBasicProfiledata data;
        data.SetDefaultPath(defaults_);
        data.Load(path);
        EXPECT_FALSE(data.LoadWriteFailed()) << c.name;
        EXPECT_EQ(ReadJsonFile(path)["Device"][0]["LightInfo"]["Light"], 4) << c.name;
        EXPECT_EQ(ReadText(path.string() + ".damaged"), c.text) << c.name;
    }
}

TEST_F(DamagedFolderTest, FailedWritesChangeNothingAndSayWhere) {
    Profile("id0", "a");
    Profile("id1", "b");
    WriteText(List(), R"({"profilelist" : [{"profilename" : "a", "profileUUID" : "id0"},
        {"profilename" : "b", "profileUUID" : "id1"}], "profileselect" : 1})");
    ASSERT_TRUE(Open());
    const auto export_ = Root() / "out.json";
    const auto import = Root() / "in.json";
    WriteText(import, R"({"profilename" : "x", "profileUUID" : "y"})");
    const auto before = Snapshot();
    const std::vector<std::pair<const char*, std::function<ProfileStatus()>>> actions = {
        {"new", [&] { return manager_.NewProfile(); }},
        {"copy", [&] { return manager_.CopyProfile(); }},
        {"import", [&] { return manager_.ImportProfile(import); }},
        {"delete", [&] { return manager_.DeleteProfile(); }},
        {"reset", [&] { return manager_.ResetProfile(); }},
        {"select", [&] { return manager_.SelectProfile(0); }},
        {"export", [&] { return manager_.ExportProfile(export_); }},
    };
    for (const auto& [name, action] : actions) {
        ProfileStatus status;
        {
            FullDisk full;
            status = action();
        }
        EXPECT_EQ(status.code, ProfileStatus::Code::WriteFailed) << name;
        if (std::string(name) != "export") {
            EXPECT_NE(status.error.find(folder_.string()), std::string::npos) << status.error;
        }
        EXPECT_EQ(manager_.Names(), (std::vector<std::string>{"a", "b"})) << name;
        EXPECT_EQ(manager_.GetSelectedIndex(), 1) << name;
        EXPECT_EQ(Snapshot(), before) << name;
    }
    ProfileManager::RenameResult renamed;
    {
        FullDisk full;
        renamed = manager_.RenameProfile("c");
    }
    EXPECT_EQ(renamed, ProfileManager::RenameResult::WriteFailed);
    EXPECT_NE(manager_.LastError().find("ProfileList.ini"), std::string::npos);
    EXPECT_EQ(manager_.Names(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Snapshot(), before);

    // A damaged list whose bytes cannot be kept is not replaced either.
    WriteText(List(), "damaged");
    {
        FullDisk full;
        EXPECT_EQ(Open().code, ProfileStatus::Code::WriteFailed);
    }
    EXPECT_TRUE(manager_.Names().empty()) << "nothing listed that is not on disk";
    EXPECT_EQ(ReadText(List()), "damaged");
}

TEST_F(DamagedFolderTest, AFolderThatCannotBeMadeFailsToOpen) {
    WriteText(Root() / "file", "x");
    folder_ = Root() / "file" / "keyboard";
    const ProfileStatus status = Open();
    EXPECT_EQ(status.code, ProfileStatus::Code::WriteFailed);
    EXPECT_NE(status.error.find(folder_.string()), std::string::npos) << status.error;
    EXPECT_TRUE(manager_.Names().empty());
    EXPECT_EQ(manager_.GetSelectedIndex(), -1);
}

}  // namespace
}  // namespace qx
