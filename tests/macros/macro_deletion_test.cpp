#include "macros/macro_deletion.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/json_file.h"
#include "core/paths.h"
#include "core/test_data_home.h"
#include "macros/macro_store.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/profile_manager.h"

namespace qx {
namespace {

using MacroDeletionTest = test::TestDataHome;

// Keys: 0 on macro 0, 1 on macro 1, 2 on macro 2 (repeat kind), 3 on macro 3, 4 a plain key.
Json::Value KeyList() {
    const int functions[] = {0x700000, 0x700100, 0x710200, 0x700300, 0x200004};
    Json::Value list(Json::arrayValue);
    for (int i = 0; i < 5; ++i) {
        Json::Value entry;
        entry["Assignment"] = functions[i];
        entry["DefaultAssignment"] = 0x200000 + i;
        list.append(entry);
    }
    return list;
}

TEST_F(MacroDeletionTest, DeletingMacro1RepairsEveryProfile) {
    const auto folder = UserDeviceFolder("keyboard");
    const auto defaults = Root() / "keyboard.Json";
    Json::Value document;
    document["Device"][0]["KeyList"] = KeyList();
    ASSERT_TRUE(WriteJsonFile(defaults, document));

    ProfileManager profiles;
    profiles.SetFolders(folder, defaults);
    ASSERT_TRUE(profiles.InitProfileList());
    ASSERT_TRUE(profiles.NewProfile());
    ASSERT_TRUE(profiles.SelectProfile(0));

    MacroStore macros(folder);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(macros.AddMacro());
    const std::string deletedGuid = macros.ReadMacroList()[1].guid;

    CKeyboardProfiledata current;
    current.SetDefaultPath(defaults);
    current.SetProfilePath(profiles.CurrentProfilePath());
    current.Load(profiles.CurrentProfilePath());
    EXPECT_TRUE(KeyListUsesMacro(current.GetKeyList(), 1));

    // On a full disk no repair can be written, so the macro stays and every key keeps it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &none);
        const MacroDeletion failed = DeleteMacroWithKeyRepair(macros, profiles, current, 1);
        ::_exit(failed.removedPosition == -1 && failed.unsaved.size() == 2 ? 0 : 7);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(macros.ReadMacroList().size(), 4u);
    EXPECT_TRUE(KeyListUsesMacro(current.GetKeyList(), 1));

    const MacroDeletion result = DeleteMacroWithKeyRepair(macros, profiles, current, 1);
    EXPECT_EQ(result.removedPosition, 1);
    EXPECT_TRUE(result.currentChanged);
    const int expected[] = {0x700000, 0x200001, 0x710100, 0x700200, 0x200004};
    for (int p = 0; p < 2; ++p) {
        const Json::Value keys = ReadJsonFile(profiles.GetProfilePathAt(p))["Device"][0]["KeyList"];
        for (int i = 0; i < 5; ++i) EXPECT_EQ(keys[i]["Assignment"], expected[i]) << p << "/" << i;
    }
    const auto names = macros.ReadMacroList();
    ASSERT_EQ(names.size(), 3u);
    for (const auto& m : names) EXPECT_NE(m.guid, deletedGuid);
    EXPECT_EQ(DeleteMacroWithKeyRepair(macros, profiles, current, 7).removedPosition, -1);
}

TEST(MacroDeletion, RepairLeavesLowerMacrosAndOtherKeys) {
    std::vector<KeyAssignRecord> list(3);
    list[0].current.SetValue(0x700500);
    list[1].current.SetValue(0x300500);  // not a macro: parameter 5 is a consumer code
    list[2].current.SetValue(0x700200);
    list[2].defaults.SetValue(0x200006);
    EXPECT_FALSE(RepairKeyListForDeletedMacro(list, 6));
    EXPECT_TRUE(RepairKeyListForDeletedMacro(list, 2));
    EXPECT_EQ(list[0].current.Value(), 0x700400);
    EXPECT_EQ(list[1].current.Value(), 0x300500);
    EXPECT_EQ(list[2].current.Value(), 0x200006);
}

}  // namespace
}  // namespace qx
