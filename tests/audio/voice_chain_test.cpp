// The microphone chain's description read back as data: the pitch of each voice type, which
// modules, nodes and links each combination of features makes, and where it records from.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "audio/voice_chain.h"
#include "spa_json.h"

namespace qx::audio {
namespace {

const Json::Value* Module(const Json::Value& root, const std::string& name) {
    for (const Json::Value& module : root["context.modules"])
        if (module["name"].asString() == name) return &module;
    return nullptr;
}

constexpr const char* kMic = "alsa_input.usb-headset.mono-fallback";
constexpr const char* kPlugin = "/usr/lib/ladspa/ladspa-rubberband.so";

TEST(VoiceChain, EachTypeHasItsOwnPitchAndTheRobotItsComb) {
    struct Case {
        int type;
        const char* name;
        bool lower;  // below the speaker's own pitch
        bool comb;
    };
    const Case cases[] = {{1, "Male", true, false},
                          {2, "Female", false, false},
                          {3, "Child", false, false},
                          {4, "Robot", true, true}};
    std::set<int> semitones;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const VoiceType& type = VoicePreset(c.type);
        EXPECT_STREQ(type.name, c.name);
        EXPECT_EQ(type.semitones < 0, c.lower);
        EXPECT_NE(type.semitones, 0);
        EXPECT_LE(std::abs(type.semitones), 12) << "within the plugin's range";
        EXPECT_EQ(type.combGain > 0, c.comb);
        semitones.insert(type.semitones);

        VoiceSettings settings;
        settings.voiceChanger = true;
        settings.type = c.type;
        std::map<std::string, double> controls;
        for (const auto& [key, value] : VoiceControls(settings)) controls[key] = value;
        EXPECT_EQ(controls["pitch:Semitones"], type.semitones);
        EXPECT_EQ(controls["voice_mix:Gain 2"], type.combGain);

        const auto root = AsJson(VoiceChainConfig(settings, kMic, kPlugin));
        if (!root) GTEST_SKIP() << "spa-json-dump is not installed";
        const Json::Value* chain = Module(*root, "libpipewire-module-filter-chain");
        ASSERT_NE(chain, nullptr);
        bool found = false;
        for (const Json::Value& node : (*chain)["args"]["filter.graph"]["nodes"]) {
            if (node["name"].asString() != "pitch") continue;
            found = true;
            EXPECT_EQ(node["type"].asString(), "ladspa");
            EXPECT_EQ(node["plugin"].asString(), kPlugin);
            EXPECT_EQ(node["label"].asString(), kPitchPluginLabel);
            EXPECT_EQ(node["control"]["Semitones"].asInt(), type.semitones);
            EXPECT_EQ(node["control"]["Formant Preserving"].asInt(),
                      type.formantPreserving ? 1 : 0);
            EXPECT_EQ(node["control"]["Wet-Dry Mix"].asInt(), 0) << "all of it shifted";
        }
        EXPECT_TRUE(found);
    }
    EXPECT_EQ(semitones.size(), 4u) << "four different voices";
    EXPECT_STREQ(VoicePreset(0).name, "Male") << "a type outside 1-4 is the first";
    EXPECT_STREQ(VoicePreset(9).name, "Male");
}

TEST(VoiceChain, EachCombinationMakesItsModulesNodesAndLinks) {
    struct Case {
        bool voice, echo, noise;
        bool filterChain;  // the filter-chain module is there
        const char* output;
        const char* chainTarget;
    };
    const Case cases[] = {
        {true, false, false, true, "voice_mix:Out", kMic},
        {false, true, false, true, "echo_mix:Out", kMic},
        {true, true, false, true, "echo_mix:Out", kMic},
        {true, true, true, true, "echo_mix:Out", kVoiceCleanName},
        {false, false, true, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("voice ") + (c.voice ? "on" : "off") + ", echo " +
                     (c.echo ? "on" : "off") + ", noise " + (c.noise ? "on" : "off"));
        VoiceSettings settings{c.voice, 2, c.echo, c.noise};
        const auto root = AsJson(VoiceChainConfig(settings, kMic, kPlugin));
        if (!root) GTEST_SKIP() << "spa-json-dump is not installed";
        const Json::Value* chain = Module(*root, "libpipewire-module-filter-chain");
        const Json::Value* cancel = Module(*root, "libpipewire-module-echo-cancel");
        ASSERT_EQ(chain != nullptr, c.filterChain);
        ASSERT_EQ(cancel != nullptr, c.noise);
        if (cancel != nullptr) {
            const Json::Value& args = (*cancel)["args"];
            EXPECT_EQ(args["library.name"].asString(), "aec/libspa-aec-webrtc");
            EXPECT_TRUE(args["aec.args"]["webrtc.noise_suppression"].asBool());
            EXPECT_EQ(args["capture.props"]["target.object"].asString(), kMic);
            // Without a chain behind it, the suppressed microphone is the virtual source.
            EXPECT_EQ(args["source.props"]["node.name"].asString(),
                      c.filterChain ? kVoiceCleanName : kVoiceSourceName);
            EXPECT_NE(args["sink.props"]["media.class"].asString(), "Audio/Sink")
                << "the reference sink is not offered as an output";
        }
        if (chain == nullptr) continue;
        const Json::Value& args = (*chain)["args"];
        EXPECT_EQ(args["capture.props"]["target.object"].asString(), c.chainTarget);
        EXPECT_EQ(args["capture.props"]["node.name"].asString(), kVoiceCaptureName);
        EXPECT_EQ(args["playback.props"]["node.name"].asString(), kVoiceSourceName);
        EXPECT_EQ(args["playback.props"]["media.class"].asString(), "Audio/Source");
        const Json::Value& graph = args["filter.graph"];
        std::set<std::string> nodes;
        for (const Json::Value& node : graph["nodes"]) nodes.insert(node["name"].asString());
        EXPECT_EQ(nodes.contains("pitch"), c.voice);
        EXPECT_EQ(nodes.contains("echo_1") && nodes.contains("echo_2"), c.echo);
        ASSERT_EQ(graph["outputs"].size(), 1u);
        EXPECT_EQ(graph["outputs"][0].asString(), c.output);
        // Every link joins nodes the graph has, and the echo takes the changed voice.
        auto nodeOf = [](const std::string& port) { return port.substr(0, port.find(':')); };
        std::set<std::pair<std::string, std::string>> links;
        for (const Json::Value& link : graph["links"]) {
            const std::string out = link["output"].asString();
            const std::string in = link["input"].asString();
            EXPECT_TRUE(nodes.contains(nodeOf(out))) << out;
            EXPECT_TRUE(nodes.contains(nodeOf(in))) << in;
            links.insert({out, in});
        }
        EXPECT_TRUE(nodes.contains(nodeOf(graph["inputs"][0].asString())));
        if (c.voice && c.echo) {
            EXPECT_TRUE(links.contains({"voice_mix:Out", "echo_1:In"}));
        }
    }
    EXPECT_TRUE(VoiceChainConfig({}, kMic, kPlugin).empty()) << "nothing on, nothing to run";
}

TEST(VoiceChain, FindsThePluginOnLadspaPath) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("qx580-ladspa-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "qx580-test-plugin.so") << "x";
    const char* before = std::getenv("LADSPA_PATH");
    const std::string saved = before != nullptr ? before : "";
    ::setenv("LADSPA_PATH", ("/nonexistent:" + folder.string()).c_str(), 1);
    EXPECT_EQ(FindLadspaPlugin("qx580-test-plugin.so"), folder / "qx580-test-plugin.so");
    EXPECT_FALSE(FindLadspaPlugin("qx580-no-such-plugin.so"));
    if (before != nullptr)
        ::setenv("LADSPA_PATH", saved.c_str(), 1);
    else
        ::unsetenv("LADSPA_PATH");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace qx::audio
