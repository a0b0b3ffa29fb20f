#include "macros/macro_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/json_file.h"
#include "core/test_data_home.h"
#include "macros/macro_event.h"

namespace qx {
namespace {

using MacroStoreTest = test::TestDataHome;

TEST_F(MacroStoreTest, NamesTakeTheFirstFreeNumberIgnoringCaseUpToFifty) {
    WriteText(Root() / "macro.config", R"({"MacroInfo" : [
        {"MacroName" : "macro_1", "Guid" : "g1"}, {"MacroName" : "MACRO_2", "Guid" : "g2"}],
        "Other" : true})");
    MacroStore store(Root());
    const auto added = store.AddMacro();
    ASSERT_TRUE(added);
    EXPECT_EQ(added->name, "macro_3");
    EXPECT_FALSE(std::filesystem::exists(store.MacroFilePath(added->guid)));
    EXPECT_EQ(ReadJsonFile(store.ListPath())["Other"], true);
    while (store.ReadMacroList().size() < 50) ASSERT_TRUE(store.AddMacro());
    EXPECT_FALSE(store.AddMacro());
    EXPECT_EQ(store.ReadMacroList().size(), 50u);
}

TEST_F(MacroStoreTest, RenameRefusesEmptyAndUsedNames) {
    MacroStore store(Root());
    ASSERT_TRUE(store.AddMacro());
    ASSERT_TRUE(store.AddMacro());
    EXPECT_EQ(store.RenameMacro(0, ""), MacroStore::kEmptyNameMarker);
    EXPECT_EQ(store.RenameMacro(0, "MACRO_1"), "") << "its own name, other case";
    EXPECT_EQ(store.RenameMacro(0, "macro_2"), "");
    EXPECT_EQ(store.RenameMacro(5, "x"), "");
    EXPECT_EQ(store.RenameMacro(1, "Rafale ♦"), "Rafale ♦");
    EXPECT_EQ(store.ReadMacroList()[1].name, "Rafale ♦");
}

TEST_F(MacroStoreTest, SaveLoadDeleteAndTheLastMacro) {
    MacroStore store(Root());
    const auto macro = store.AddMacro();
    Json::Value events(Json::arrayValue);
    events.append(MakeMacroEvent(4, true, 10, 0));
    events[0]["Delay"] = "";
    events.append(MakeMacroEvent(4, false, 10, 0));
    events[1]["Delay"] = 70000;
    events.append(Json::Value("end"));
    events.append(MakeMacroEvent(4, false, 10, 0));
    ASSERT_TRUE(store.SaveMacro(*macro, events));
    const Json::Value file = ReadJsonFile(store.MacroFilePath(macro->guid));
    EXPECT_EQ(file["Version"], 64);
    EXPECT_EQ(file["MacroName"], "macro_1");
    ASSERT_EQ(file["Events"].size(), 2u) << "a row without an event ends the list";
    EXPECT_EQ(file["Events"][0]["Delay"], "0");
    EXPECT_EQ(file["Events"][1]["Delay"], "70000");
    EXPECT_EQ(store.LoadMacro(macro->guid), file["Events"]);

    EXPECT_EQ(store.DeleteMacro(3), -1);
    EXPECT_EQ(store.DeleteMacro(0), 0);
    EXPECT_FALSE(std::filesystem::exists(store.MacroFilePath(macro->guid)));
    const Json::Value list = ReadJsonFile(store.ListPath());
    EXPECT_TRUE(list["MacroInfo"].isArray());
    EXPECT_EQ(list["MacroInfo"].size(), 0u);
}

TEST_F(MacroStoreTest, ImportCopiesBytesUnderANewIdentityAndExportCopiesBack) {
    std::filesystem::create_directories(Root() / "dev");
    MacroStore store(Root() / "dev");
    const std::string content = R"({"MacroName" : "Other", "Guid" : "elsewhere", "Events" : []})";
    WriteText(Root() / "in.mac", content);
    EXPECT_EQ(store.ImportMacro(""), "");
    WriteText(Root() / "junk.mac", "not json");
    EXPECT_EQ(store.ImportMacro(Root() / "junk.mac"), "");
    EXPECT_EQ(store.ImportMacro(Root() / "in.mac"), "macro_1");
    const auto list = store.ReadMacroList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_NE(list[0].guid, "elsewhere");
    EXPECT_EQ(ReadText(store.MacroFilePath(list[0].guid)), content);
    ASSERT_TRUE(store.ExportMacro(0, Root() / "out.mac"));
    EXPECT_EQ(ReadText(Root() / "out.mac"), content);
}

TEST_F(MacroStoreTest, CraftedGuidsNeverReachFilesOutsideTheFolder) {
    const auto dev = Root() / "dev";
    WriteText(Root() / "x.mac", "precious");
    WriteText(dev / "macro.config", R"({"MacroInfo" : [
        {"MacroName" : "a", "Guid" : "../x"}, {"MacroName" : "b", "Guid" : ""},
        {"MacroName" : 3, "Guid" : {"a" : 1}}, 7]})");
    MacroStore store(dev);
    EXPECT_EQ(store.ReadMacroList().size(), 4u);
    EXPECT_TRUE(store.MacroFilePath("../x").empty());
    EXPECT_FALSE(store.SaveMacro({"a", "../x"}, Json::Value(Json::arrayValue)));
    EXPECT_EQ(store.LoadMacro("../x"), Json::Value(Json::arrayValue));
    EXPECT_FALSE(store.ExportMacro(0, Root() / "copy.mac"));
    EXPECT_EQ(store.DeleteMacro(0), 0);
    EXPECT_EQ(ReadText(Root() / "x.mac"), "precious");
}

// A list that cannot be written loses no entry and no file: the entry leaves the list first.
TEST_F(MacroStoreTest, DeleteOnAFullDiskKeepsTheEntryAndItsFile) {
    MacroStore store(Root());
    const auto macro = store.AddMacro();
    ASSERT_TRUE(macro);
    ASSERT_TRUE(store.SaveMacro(*macro, Json::Value(Json::arrayValue)));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &none);
        ::_exit(store.DeleteMacro(0) == -1 ? 0 : 7);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(store.ReadMacroList().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(store.MacroFilePath(macro->guid)));
    EXPECT_EQ(store.DeleteMacro(0), 0);
    EXPECT_FALSE(std::filesystem::exists(store.MacroFilePath(macro->guid)));
}

}  // namespace
}  // namespace qx
