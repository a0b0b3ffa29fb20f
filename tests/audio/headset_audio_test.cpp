// The headset's audio start and value forms against the simulated library, and the filter
// chain's description read back as data.
#include <gtest/gtest.h>
#include <json/json.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "audio/headset_audio.h"
#include "audio/pipewire_filter_chain.h"
#include "audio/simulated_audio_lib.h"
#include "spa_json.h"

namespace qx::audio {
namespace {

TEST(HeadsetAudioStart, GivesAValueOnlyToPropertiesThatDoNotAnswer) {
    auto lib = std::make_shared<SimulatedAudioLib>();
    lib->Preset(Flow::Input, "VolumeScalarControl", "0.8");
    lib->Preset(Flow::Output, "EQ_Slider3", "4");
    HeadsetAudio audio(lib);
    const StartReport& report = audio.Start();
    EXPECT_TRUE(report.initialised);
    EXPECT_TRUE(report.hasOutput);
    EXPECT_TRUE(report.messages.empty());
    std::set<std::string> set;
    for (const auto& record : lib->Sets()) {
        set.insert(record.name);
        EXPECT_EQ(record.value, "0") << record.name;
    }
    EXPECT_FALSE(set.contains("VolumeScalarControl"));
    EXPECT_FALSE(set.contains("EQ_Slider3"));
    for (const char* name :
         {"VirtualSurroundEffectControl", "Enable_ENC_LFX", "VolumeControl", "Enable_EQ_GFX",
          "EQ_Slider1", "EQ_Slider10", "Enable_RFX_GFX", "RFX_ENVIRONMENT", "RFX_ROOMSIZE",
          "MuteControl", "AAVolumeControl", "AAMuteControl", "AAVolumeScalarControl",
          "Enable_MAGICVOICE", "MagicVoice_Selection"})
        EXPECT_TRUE(set.contains(name)) << name;
    EXPECT_EQ(audio.ReadState()->micInValue, 80);
    EXPECT_EQ(HeadsetAudio(lib).Start().hasOutput, true) << "a second object starts again";
    EXPECT_EQ(lib->InitCalls(), 2);
}

TEST(HeadsetAudioStart, WithoutAnOutputNothingIsReadOrSet) {
    auto lib = std::make_shared<SimulatedAudioLib>();
    lib->SetEndpoints({}, {{1, kTypeMicrophone, 0, kStateActive}});
    HeadsetAudio audio(lib);
    EXPECT_FALSE(audio.Start().hasOutput);
    EXPECT_TRUE(lib->Sets().empty());
    EXPECT_FALSE(audio.ReadState());
    EXPECT_FALSE(audio.SetMicLevel(10));
    HeadsetAudio none(nullptr);
    EXPECT_FALSE(none.Start().loaded);
    EXPECT_FALSE(none.EnableSurround(true));
}

TEST(HeadsetAudioStart, ChoosesTheOutputByStateAndTypeAndReportsFailures) {
    auto lib = std::make_shared<SimulatedAudioLib>();
    lib->SetEndpoints({{5, 4, 0, 1}, {6, 12, 0, 0}, {7, 7, 0, 1}, {8, 12, 0, 1}},
                      {{9, 3, 0, 1}, {10, kTypeMicrophone, 0, 1}});
    lib->SetInitResult(-1);
    HeadsetAudio audio(lib);
    const StartReport& report = audio.Start();
    EXPECT_EQ(audio.Output().id, 8) << "type 12 before 7 and 4, and only when active";
    EXPECT_EQ(audio.Input().id, 10);
    ASSERT_FALSE(report.messages.empty());
    EXPECT_EQ(report.messages.front(), "ConfLibInit called failed!");

    auto fewer = std::make_shared<SimulatedAudioLib>();
    fewer->SetFeatureText(Flow::Output, "1,2,3");
    HeadsetAudio short_(fewer);
    EXPECT_EQ(short_.Start().messages, std::vector<std::string>{"UpdateAPOAvailable failed!"});
}

TEST(HeadsetAudioFeatures, WordsOffMakeTheProcessingUnavailableWithItsReason) {
    auto lib = std::make_shared<SimulatedAudioLib>();
    lib->SetProcessingAvailable(false, "no PipeWire");
    HeadsetAudio audio(lib);
    audio.Start();
    const FeatureAvailability a = audio.Availability();
    EXPECT_FALSE(a.equaliser);
    EXPECT_FALSE(a.surround);
    EXPECT_FALSE(a.voiceChanger);
    EXPECT_TRUE(a.microphone);
    EXPECT_EQ(a.reason, "no PipeWire");
    EXPECT_FALSE(audio.ApplyBands(std::vector<int>(10, 1)));
    EXPECT_TRUE(audio.SetMicLevel(50));
    EXPECT_EQ(audio.ReadState()->magicEnable, std::nullopt)
        << "the voice changer is not read where it is not offered";
}

// The description as PipeWire reads it: its own JSON dialect, turned into JSON by spa-json-dump.
TEST(FilterChain, DescriptionCarriesTheBandsAndTheSurroundAsData) {
    ProcessingSettings settings;
    settings.equaliser = true;
    settings.bands = {7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    settings.surround = true;
    const std::string config = FilterChainConfig(settings, "alsa_output.usb-headset");
    const std::optional<Json::Value> root = AsJson(config);
    if (!root) GTEST_SKIP() << "spa-json-dump is not installed";
    const Json::Value* chain = nullptr;
    for (const Json::Value& module : (*root)["context.modules"])
        if (module["name"].asString() == "libpipewire-module-filter-chain") chain = &module;
    ASSERT_NE(chain, nullptr);
    const Json::Value& args = (*chain)["args"];
    EXPECT_EQ(args["playback.props"]["target.object"].asString(), "alsa_output.usb-headset");
    EXPECT_EQ(args["capture.props"]["media.class"].asString(), "Audio/Sink");
    int peaking = 0;
    int mixers = 0;
    for (const Json::Value& node : args["filter.graph"]["nodes"]) {
        if (node["label"].asString() == "bq_peaking") {
            const std::string name = node["name"].asString();
            const int band = std::stoi(name.substr(name.rfind('_') + 1)) - 1;
            EXPECT_EQ(node["control"]["Gain"].asInt(), settings.bands[static_cast<size_t>(band)]);
            EXPECT_EQ(node["control"]["Freq"].asInt(), kEqFrequencies[static_cast<size_t>(band)]);
            ++peaking;
        }
        if (node["label"].asString() == "mixer") ++mixers;
    }
    EXPECT_EQ(peaking, 20);
    EXPECT_EQ(mixers, 2);
    EXPECT_EQ(args["filter.graph"]["outputs"][0].asString(), "mix_l:Out");

    settings.equaliser = false;
    settings.surround = false;
    const std::optional<Json::Value> flat = AsJson(FilterChainConfig(settings, "x"));
    ASSERT_TRUE(flat);
    for (const Json::Value& module : (*flat)["context.modules"]) {
        for (const Json::Value& node : module["args"]["filter.graph"]["nodes"]) {
            EXPECT_EQ(node["control"]["Gain"].asInt(), 0) << "the equaliser off is flat";
            EXPECT_NE(node["label"].asString(), "mixer");
        }
    }
}

TEST(FilterChain, TheRoomReverbFollowsTheSurroundOrTheEqualiser) {
    for (const bool surround : {false, true}) {
        SCOPED_TRACE(surround ? "with surround" : "without surround");
        ProcessingSettings settings;
        settings.surround = surround;
        settings.room = true;
        settings.environment = 2;
        const auto root = AsJson(FilterChainConfig(settings, "x", "/run/ir file.wav"));
        if (!root) GTEST_SKIP() << "spa-json-dump is not installed";
        const Json::Value& graph = (*root)["context.modules"][3]["args"]["filter.graph"];
        int convolvers = 0;
        for (const Json::Value& node : graph["nodes"]) {
            if (node["label"].asString() != "convolver") continue;
            EXPECT_EQ(node["config"]["filename"].asString(), "/run/ir file.wav");
            EXPECT_EQ(node["config"]["channel"].asInt(), node["name"].asString() == "room_r");
            ++convolvers;
        }
        EXPECT_EQ(convolvers, 2);
        EXPECT_EQ(graph["outputs"][0].asString(), "room_mix_l:Out");
        bool dryFromBefore = false;
        for (const Json::Value& link : graph["links"])
            if (link["input"].asString() == "room_mix_l:In 1")
                dryFromBefore =
                    link["output"].asString() == (surround ? "mix_l:Out" : "eq_l_10:Out");
        EXPECT_TRUE(dryFromBefore);
    }
}

TEST(FilterChain, TheRoomsImpulseResponseDecaysAndGrowsWithTheRoom) {
    auto energy = [](const std::vector<float>& v, size_t from, size_t to) {
        double sum = 0;
        for (size_t i = from; i < to; ++i) sum += static_cast<double>(v[i]) * v[i];
        return sum;
    };
    const auto hall = RoomResponse(2, 50);
    ASSERT_EQ(hall[0].size(), hall[1].size());
    EXPECT_NEAR(energy(hall[0], 0, hall[0].size()), 1.0, 1e-3) << "no louder than the dry sound";
    EXPECT_NE(hall[0], hall[1]) << "the two ears hear different tails";
    const size_t tenth = hall[0].size() / 10;
    EXPECT_GT(energy(hall[0], tenth, 2 * tenth), 1000 * energy(hall[0], 9 * tenth, 10 * tenth));
    EXPECT_EQ(RoomResponse(2, 50)[0], hall[0]) << "the same settings, the same file";
    EXPECT_LT(RoomResponse(2, 0)[0].size(), hall[0].size());
    EXPECT_GT(RoomResponse(2, 100)[0].size(), hall[0].size());
    EXPECT_LT(RoomResponse(0, 50)[0].size(), hall[0].size()) << "a room is shorter than a hall";
    EXPECT_EQ(RoomResponse(7, 500)[0].size(), RoomResponse(3, 100)[0].size()) << "clamped";
}

TEST(FilterChain, QuotesTheTargetName) {
    const std::string config = FilterChainConfig({}, "a \"b\"");
    const std::optional<Json::Value> root = AsJson(config);
    if (!root) GTEST_SKIP() << "spa-json-dump is not installed";
    bool found = false;
    for (const Json::Value& module : (*root)["context.modules"])
        if (module["args"].isMember("playback.props")) {
            EXPECT_EQ(module["args"]["playback.props"]["target.object"].asString(), "a \"b\"");
            found = true;
        }
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace qx::audio
