#include "core/json_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "core/test_data_home.h"

namespace qx {
namespace {

using JsonFileTest = test::TestDataHome;

TEST_F(JsonFileTest, WritesStyledTextWithThreeSpacesAndOneNewline) {
    Json::Value value(Json::objectValue);
    value["b"] = 1;
    value["a"]["c"] = "x";
    const auto path = Root() / "v.json";
    ASSERT_TRUE(WriteJsonFile(path, value));
    EXPECT_EQ(ReadText(path), "{\n   \"a\" : {\n      \"c\" : \"x\"\n   },\n   \"b\" : 1\n}\n");
    EXPECT_EQ(ReadJsonFile(path), value);
}

TEST_F(JsonFileTest, MalformedFilesReadAsNullWithoutThrowing) {
    const std::string deep(100000, '[');
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"truncated", "{\"Device\" : [ { \"LightInfo\" : { \"Light\" : 4"},
        {"not json", "hello"},
        {"deep nesting", deep},
        {"huge exponent", "{\"a\" : 1e400}"},
    };
    for (const auto& c : cases) {
        const auto path = Root() / "bad.json";
        WriteText(path, c.text);
        EXPECT_TRUE(ReadJsonFile(path).isNull()) << c.name;
    }
    EXPECT_TRUE(ReadJsonFile(Root() / "missing.json").isNull());
    EXPECT_TRUE(ReadJsonFile(Root()).isNull()) << "a folder is not a file";
}

TEST_F(JsonFileTest, NonUtf8BytesAndHugeIntegersParseAndWriteBack) {
    const auto path = Root() / "odd.json";
    WriteText(path, "{\"name\" : \"\xff\xfe\", \"n\" : 99999999999999999999999}");
    const Json::Value value = ReadJsonFile(path);
    ASSERT_TRUE(value.isObject());
    EXPECT_TRUE(WriteJsonFile(path, value));
    EXPECT_TRUE(ReadJsonFile(path).isObject());
}

// A member name with a NUL, as a damaged or hand-made file can hold, must not be written as a
// shorter name that reads back over another member (a macro list once lost its entries so).
TEST_F(JsonFileTest, NamesWithNulNeverOverwriteOtherMembers) {
    const auto path = Root() / "list.json";
    WriteText(path, "{\"MacroInfo\\u0000x\" : \"junk\", \"Version\" : 1}");
    Json::Value value = ReadJsonFile(path);
    ASSERT_TRUE(value.isObject());
    value["MacroInfo"] = Json::Value(Json::arrayValue);
    value["MacroInfo"].append("kept");
    value["inner"][std::string("a\0", 2)] = 1;  // nested, meeting nothing: written cut
    value["sparse"][3] = "fourth";              // only element 3 set: the others are written null
    ASSERT_TRUE(WriteJsonFile(path, value));
    const Json::Value back = ReadJsonFile(path);
    ASSERT_TRUE(back["MacroInfo"].isArray());
    EXPECT_EQ(back["MacroInfo"][0].asString(), "kept");
    EXPECT_EQ(back["MacroInfo\xEF\xBF\xBDx"].asString(), "junk");
    EXPECT_EQ(back["inner"]["a"].asInt(), 1);
    ASSERT_EQ(back["sparse"].size(), 4u);
    EXPECT_EQ(back["sparse"][3].asString(), "fourth");
    EXPECT_EQ(back["Version"].asInt(), 1);
}

// A writer killed part-way (here by the file-size limit, which stops the process with
// SIGXFSZ in the middle of its write) must leave the old file as it was.
TEST_F(JsonFileTest, KilledWriteLeavesTheOldFileWhole) {
    const auto path = Root() / "profile.Json";
    Json::Value old(Json::objectValue);
    old["profilename"] = "keep me";
    ASSERT_TRUE(WriteJsonFile(path, old));
    const std::string before = ReadText(path);

    Json::Value big(Json::arrayValue);
    for (int i = 0; i < 5000; ++i) big.append(i);
    for (const bool ignoreSignal : {false, true}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (ignoreSignal) ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const bool written = WriteJsonFile(path, big);
            ::_exit(written ? 0 : 7);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (ignoreSignal) {
            // A full disk: the write reports failure.
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 7);
        } else {
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
        }
        EXPECT_EQ(ReadText(path), before);
    }
    // The failed write cleaned up after itself; only the killed one may leave its temporary.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Root())) {
        files += entry.path().filename() == "profile.Json" ? 0 : 1;
    }
    EXPECT_LE(files, 2);  // the data folder and at most the killed writer's temporary
}

TEST_F(JsonFileTest, DamagedFileIsSetAsideOnlyWhenItDoesNotParse) {
    const auto bad = Root() / "bad.Json";
    WriteText(bad, "{ truncated");
    AsideResult aside = SetAsideDamagedFile(bad);
    EXPECT_TRUE(aside.ok);
    EXPECT_EQ(aside.keptAs, Root() / "bad.Json.damaged");
    EXPECT_EQ(ReadText(Root() / "bad.Json.damaged"), "{ truncated");

    const auto good = Root() / "good.Json";
    WriteText(good, "{}");
    EXPECT_TRUE(SetAsideDamagedFile(good).keptAs.empty());
    EXPECT_TRUE(SetAsideDamagedFile(Root() / "missing.Json").ok);
    EXPECT_FALSE(std::filesystem::exists(Root() / "good.Json.damaged"));
    EXPECT_FALSE(std::filesystem::exists(Root() / "missing.Json.damaged"));
    // A valid file of the wrong shape is kept when its caller asks.
    EXPECT_EQ(KeepFileAside(good).keptAs, Root() / "good.Json.damaged");
}

TEST_F(JsonFileTest, LaterDamageGetsANewNameAndTheSameBytesAreKeptOnce) {
    const auto file = Root() / "list.ini";
    const struct {
        const char* text;
        const char* keptAs;
    } steps[] = {{"one", "list.ini.damaged"},
                 {"two", "list.ini.damaged-2"},
                 {"one", "list.ini.damaged"},
                 {"three", "list.ini.damaged-3"}};
    for (const auto& step : steps) {
        WriteText(file, step.text);
        const AsideResult aside = KeepFileAside(file);
        ASSERT_TRUE(aside.ok) << step.text;
        EXPECT_EQ(aside.keptAs, Root() / step.keptAs) << step.text;
        EXPECT_EQ(ReadText(aside.keptAs), step.text);
    }
    EXPECT_FALSE(std::filesystem::exists(Root() / "list.ini.damaged-4"));
}

TEST_F(JsonFileTest, BytesThatCannotBeKeptAreReportedSo) {
    WriteText(Root() / "d" / "bad.Json", "{");
    const auto bad = Root() / "d" / "bad.Json";
    // The aside name is taken by a folder that is no file: every later name is tried, and a
    // write that fails for another reason stops the search with ok false.
    std::filesystem::create_directories(Root() / "d" / "bad.Json.damaged");
    EXPECT_EQ(KeepFileAside(bad).keptAs, Root() / "d" / "bad.Json.damaged-2");
    WriteText(bad, "{{");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &none);
        ::_exit(KeepFileAside(bad).ok ? 0 : 7);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

}  // namespace
}  // namespace qx
