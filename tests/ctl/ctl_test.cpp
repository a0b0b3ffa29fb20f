#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "ctl_run.h"

namespace {

using qx::ctl::test::Ctl;
using qx::ctl::test::CtlRun;
using qx::ctl::test::ParseJson;

TEST(Ctl, HidListShowsTheSimulatedKeyboardAndHeadsetInTheirSlots) {
    const CtlRun run = Ctl("--simulate hid list --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const Json::Value list = ParseJson(run.out);
    ASSERT_TRUE(list.isArray());
    std::map<int, Json::Value> bySlot;
    for (const Json::Value& item : list) {
        for (const char* key : {"path", "vendor_id", "product_id", "interface", "collection",
                                "usage_page", "usage", "slot", "error"}) {
            EXPECT_TRUE(item.isMember(key)) << key;
        }
        if (item["slot"].asInt() >= 0) bySlot[item["slot"].asInt()] = item;
    }
    ASSERT_EQ(bySlot.size(), 3u);
    EXPECT_EQ(bySlot[0]["collection"].asInt(), 4);
    EXPECT_EQ(bySlot[0]["usage_page"].asInt(), 0xFF1C);
    EXPECT_EQ(bySlot[1]["collection"].asInt(), 3);
    EXPECT_EQ(bySlot[1]["usage_page"].asInt(), 0x000C);
    EXPECT_EQ(bySlot[10]["vendor_id"].asInt(), 0x0C76);
    EXPECT_EQ(bySlot[10]["interface"].asInt(), 3);
}

TEST(Ctl, DeviceInfoReadsTheKeyboardAndLogsTheExchange) {
    const CtlRun run = Ctl("--simulate device info --json", "QX580_DEBUG=1");
    ASSERT_EQ(run.status, 0) << run.err;
    const Json::Value devices = ParseJson(run.out);
    ASSERT_TRUE(devices.isArray());
    bool keyboard = false;
    for (const Json::Value& device : devices) {
        if (device["slot"].asInt() != 0) continue;
        keyboard = true;
        EXPECT_EQ(device["kind"].asString(), "KeyboardWired");
        EXPECT_EQ(device["device"].asString(), "keyboard");
        EXPECT_EQ(device["identity"].asString().size(), 68u);
        EXPECT_GT(device["key_count"].asInt(), 0);
        EXPECT_GT(device["macro_bytes"].asInt(), 0);
        EXPECT_TRUE(device["profile"].isInt());
    }
    EXPECT_TRUE(keyboard);
    EXPECT_NE(run.err.find("命令\n04 01 00 01   00 00"), std::string::npos);
    EXPECT_NE(run.err.find("返回\n"), std::string::npos);
}

TEST(Ctl, HidDecodeDescribesEachTopLevelCollection) {
    const CtlRun run =
        Ctl(std::string("hid decode ") + HID_FIXTURES + "/keyboard_with_consumer.hex --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const Json::Value collections = ParseJson(run.out);
    ASSERT_TRUE(collections.isArray());
    ASSERT_GE(collections.size(), 2u);
    EXPECT_EQ(collections[0]["usage_page"].asInt(), 1);
    EXPECT_EQ(collections[0]["usage"].asInt(), 6);
    for (const Json::Value& c : collections) {
        for (const char* key : {"report_ids", "input_length", "output_length", "feature_length"})
            EXPECT_TRUE(c.isMember(key)) << key;
    }
}

TEST(Ctl, EffectListPrintsEachFamilysCatalogue) {
    const CtlRun run = Ctl("effect list --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const Json::Value rows = ParseJson(run.out);
    ASSERT_TRUE(rows.isArray());
    std::map<std::string, std::map<int, Json::Value>> byDevice;
    for (const Json::Value& row : rows) {
        for (const char* key : {"Device", "Id", "Name", "Pace", "SpeedRow", "Ticks", "StartUp",
                                "RestartOnApply", "Keys", "Feed"})
            EXPECT_TRUE(row.isMember(key)) << key;
        EXPECT_TRUE(byDevice[row["Device"].asString()].emplace(row["Id"].asInt(), row).second)
            << row["Device"].asString() << " lists id " << row["Id"].asInt() << " twice";
    }
    ASSERT_EQ(byDevice.size(), 4u);
    EXPECT_EQ(byDevice["keyboard"].size(), 34u);
    EXPECT_EQ(byDevice["mouse"].size(), 10u);
    EXPECT_EQ(byDevice["pad"].size(), 9u);
    EXPECT_EQ(byDevice["headset"].size(), 9u);
    EXPECT_FALSE(byDevice["keyboard"].count(11));
    const Json::Value& ripple = byDevice["keyboard"][9];
    EXPECT_EQ(ripple["Name"].asString(), "light_effect_ripple");
    EXPECT_EQ(ripple["Keys"].asString(), "seed");
    EXPECT_EQ(ripple["SpeedRow"].asInt(), 9);
    EXPECT_EQ(ripple["Ticks"], ParseJson("[10, 8, 5, 3, 1]"));
    EXPECT_EQ(byDevice["keyboard"][29]["Feed"].asString(), "sound-levels");
    EXPECT_EQ(byDevice["keyboard"][29]["Ticks"], ParseJson("[2, 2, 2, 2, 2]"));
    EXPECT_TRUE(byDevice["keyboard"][21]["RestartOnApply"].asBool());
    EXPECT_EQ(byDevice["mouse"][5]["Ticks"], ParseJson("[16, 12, 8, 4, 2]"));
    EXPECT_EQ(byDevice["pad"][5]["Pace"].asString(), "every-pass");
    EXPECT_TRUE(byDevice["pad"][5]["SpeedRow"].isNull());

    const CtlRun pad = Ctl("effect list --device pad --json");
    ASSERT_EQ(pad.status, 0) << pad.err;
    const Json::Value padRows = ParseJson(pad.out);
    ASSERT_EQ(padRows.size(), 9u);
    for (const Json::Value& row : padRows) EXPECT_EQ(row["Device"].asString(), "pad");

    // An id the family does not have is refused with the family's ids.
    const CtlRun unknown = Ctl("effect frames --device mouse --id 3,10 --json");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.out.empty());
    EXPECT_NE(
        unknown.err.find("effect 10 is not a mouse effect (its effects: 0,1,2,3,4,5,6,7,8,9)"),
        std::string::npos)
        << unknown.err;
}

TEST(Ctl, MistakesGiveAClearErrorAndAStatus) {
    struct Case {
        const char* arguments;
        int status;
    };
    for (const Case& c :
         {Case{"", 2}, Case{"frobnicate", 2}, Case{"hid", 2}, Case{"hid list --bogus", 2},
          Case{"hid decode /nonexistent/file", 1}, Case{"device", 2},
          Case{"effect list --device lamp", 2}, Case{"effect list --device", 2},
          Case{"effect list --bogus", 2}, Case{"effect frames --id 99 --json", 2},
          Case{"effect frames --id 45 --preset 4 --json", 2},
          Case{"effect frames --id 29 --style 7 --json", 2},
          Case{"effect frames --id 6 --brightness 5 --json", 2},
          Case{"profile --device lamp list", 2}}) {
        SCOPED_TRACE(c.arguments);
        const CtlRun run = Ctl(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_FALSE(run.err.empty());
    }
}

TEST(Ctl, EveryCommandExplainsItselfWithExamples) {
    for (const char* command : {"hid", "device", "effect", "profile", "sim", "devices", "keyboard",
                                "headset", "ui", "light", "key", "dpi", "recoil"}) {
        SCOPED_TRACE(command);
        const CtlRun run = Ctl(std::string(command) + " --help");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("usage: qx580ctl"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("example"), std::string::npos) << run.out;
    }
    const CtlRun overall = Ctl("--help");
    EXPECT_EQ(overall.status, 0);
    EXPECT_NE(overall.out.find("COMMAND --help"), std::string::npos);
}

// One name per kind; the names earlier versions printed still work.
TEST(Ctl, DevicesGoByOneNameAndTheirOlderNames) {
    const CtlRun info = Ctl("--simulate=all device info --json");
    ASSERT_EQ(info.status, 0) << info.err;
    std::set<std::string> names;
    for (const Json::Value& device : ParseJson(info.out)) names.insert(device["device"].asString());
    EXPECT_EQ(names, (std::set<std::string>{"keyboard", "mouse", "pad", "headset"}));

    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("qx580-ctl-names-" + std::to_string(getpid()));
    for (const char* alias : {"HD", "hd", "MousePad", "Keyboard", "keyboard-receiver"}) {
        SCOPED_TRACE(alias);
        const CtlRun run = Ctl(std::string("profile --device ") + alias + " list --json",
                               "XDG_DATA_HOME=" + home.string());
        EXPECT_EQ(run.status, 0) << run.err;
    }
    std::filesystem::remove_all(home);
}

}  // namespace
