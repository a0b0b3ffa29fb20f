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

namespace {

struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs qx580ctl with the arguments (a shell fragment) and an optional environment prefix.
CtlRun Ctl(const std::string& arguments, const std::string& environment = "") {
    const auto errPath = std::filesystem::temp_directory_path() /
                         ("qx580ctl-sim-test-" + std::to_string(::getpid()) + ".err");
    const std::string command =
        environment + " " + QX580CTL + " " + arguments + " 2>" + errPath.string();
    CtlRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    std::filesystem::remove(errPath);
    return run;
}

Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(text);
    EXPECT_TRUE(Json::parseFromStream(builder, in, &value, &errors)) << errors << text;
    return value;
}

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
