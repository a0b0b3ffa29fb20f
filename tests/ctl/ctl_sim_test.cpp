// qx580ctl on simulated devices of every kind (--simulate=all, QX580_HID=sim-all): each gets its
// slots in the supported-device table and answers "device info"; plain --simulate is unchanged.
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

std::set<int> FilledSlots(const CtlRun& run) {
    std::set<int> slots;
    for (const Json::Value& item : ParseJson(run.out)) {
        if (item["slot"].asInt() >= 0) slots.insert(item["slot"].asInt());
    }
    return slots;
}

TEST(CtlSimulateAll, EveryKindGetsItsSlots) {
    // Keyboard 0 and 1, mouse 4 and 5, pad 8 and 9, headset 10; the receivers are not plugged.
    const std::set<int> expected = {0, 1, 4, 5, 8, 9, 10};
    const CtlRun option = Ctl("--simulate=all hid list --json");
    ASSERT_EQ(option.status, 0) << option.err;
    EXPECT_EQ(FilledSlots(option), expected);
    const CtlRun environment = Ctl("hid list --json", "QX580_HID=sim-all");
    ASSERT_EQ(environment.status, 0) << environment.err;
    EXPECT_EQ(FilledSlots(environment), expected);
    // Plain simulation keeps the table as it is: the keyboard and the headset only.
    EXPECT_EQ(FilledSlots(Ctl("--simulate hid list --json")), (std::set<int>{0, 1, 10}));
}

TEST(CtlSimulateAll, DeviceInfoReadsEachDevice) {
    const CtlRun run = Ctl("--simulate=all device info --json");
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, Json::Value> byKind;
    for (const Json::Value& device : ParseJson(run.out)) byKind[device["kind"].asString()] = device;
    ASSERT_EQ(byKind.size(), 4u) << run.out;
    for (const char* kind : {"KeyboardWired", "MouseWired", "MousePad", "Headset"}) {
        SCOPED_TRACE(kind);
        ASSERT_TRUE(byKind.count(kind));
        EXPECT_EQ(byKind[kind]["identity"].asString().size(), 68u);
    }
    // The identity's first bytes are each device's own product id (little-endian).
    EXPECT_EQ(byKind["MouseWired"]["identity"].asString().substr(0, 4), "4170");
    EXPECT_EQ(byKind["MousePad"]["identity"].asString().substr(0, 4), "5170");
}

TEST(CtlSimulateAll, AnotherSimulateValueIsAUsageError) {
    for (const char* option : {"--simulate=some", "--simulate="}) {
        SCOPED_TRACE(option);
        const CtlRun run = Ctl(std::string(option) + " hid list");
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(option), std::string::npos) << run.err;
    }
}

}  // namespace
