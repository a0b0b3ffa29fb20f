// The equaliser and the surround loaded by a running PipeWire: a private server of the test's
// own (its own runtime folder, a minimal configuration, a null sink standing for the headset's
// output), the library on the fake headset card, and PipeWire's own view of the chain's nodes
// and their controls read back with pw-dump. Skipped, with the reason, where PipeWire cannot
// start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/alsa_audio_lib.h"
#include "audio/audio_property.h"
#include "audio/headset_audio.h"
#include "audio/pipewire_filter_chain.h"
#include "audio/voice_chain.h"
#include "fake_ctl_plugin.h"

extern char** environ;

namespace qx::audio {
namespace {

constexpr int kCardIndex = 5;
constexpr const char* kHeadsetNode = "qx580_test_headset_output";
constexpr const char* kOtherNode = "qx580_test_speakers";
constexpr const char* kHeadsetMic = "qx580_test_headset_mic";
constexpr const char* kOtherMic = "qx580_test_webcam_mic";

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

void RunTool(std::vector<std::string> argv) {
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawnp(&pid, pointers[0], &quiet, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    ASSERT_EQ(spawned, 0);
    ::waitpid(pid, nullptr, 0);
}

bool WaitFor(const std::function<bool()>& done, int ms = 8000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// The nodes PipeWire has, by name: their properties and their controls ("eq_l_1:Gain" → 5).
struct Node {
    Json::Value props;
    std::map<std::string, double> controls;
};

std::map<std::string, Node> Nodes() {
    std::map<std::string, Node> nodes;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen("pw-dump 2>/dev/null", "r"), ::pclose);
    if (!pipe) return nodes;
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, n);
    Json::Value root;
    std::istringstream in(text);
    std::string errors;
    if (!Json::parseFromStream(Json::CharReaderBuilder(), in, &root, &errors) || !root.isArray())
        return nodes;
    for (const Json::Value& object : root) {
        const Json::Value& info = object["info"];
        if (!info.isObject() || !info["props"].isMember("node.name")) continue;
        Node& node = nodes[info["props"]["node.name"].asString()];
        node.props = info["props"];
        for (const Json::Value& props : info["params"]["Props"]) {
            const Json::Value& params = props["params"];
            for (Json::ArrayIndex i = 0; i + 1 < params.size(); i += 2)
                if (params[i + 1].isNumeric() || params[i + 1].isBool())
                    node.controls[params[i].asString()] = params[i + 1].asDouble();
        }
    }
    return nodes;
}

class PipeWireChain : public ::testing::Test {
  protected:
    void SetUp() override {
        qx580_fake_ctl_reset();
        char folder[] = "/tmp/qx580-pipewire-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        dir_ = folder;
        for (const char* name : {"XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "PIPEWIRE_REMOTE"})
            saved_[name] = Environment(name);
        ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        ::setenv("PIPEWIRE_RUNTIME_DIR", dir_.c_str(), 1);
        ::unsetenv("PIPEWIRE_REMOTE");

        const std::filesystem::path config = dir_ / "server.conf";
        std::ofstream(config)
            << "context.properties = { log.level = 0 core.daemon = true core.name = pipewire-0 }\n"
               "context.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert\n"
               "                     support.* = support/libspa-support }\n"
               "context.modules = [\n"
               "  { name = libpipewire-module-protocol-native }\n"
               "  { name = libpipewire-module-client-node }\n"
               "  { name = libpipewire-module-adapter }\n"
               "  { name = libpipewire-module-metadata }\n"
               "  { name = libpipewire-module-access }\n"
               "]\n"
               "context.objects = [\n"
               "  { factory = adapter args = { factory.name = support.null-audio-sink\n"
               "      node.name = \""
            << kHeadsetNode
            << "\" media.class = Audio/Sink\n"
               "      audio.position = [ FL FR ] node.driver = true api.alsa.card = "
            << kCardIndex
            << " } }\n"
               "  { factory = adapter args = { factory.name = support.null-audio-sink\n"
               "      node.name = \""
            << kOtherNode
            << "\" media.class = Audio/Sink audio.position = [ FL FR ] } }\n"
               "  { factory = adapter args = { factory.name = support.null-audio-sink\n"
               "      node.name = \""
            << kHeadsetMic
            << "\" media.class = Audio/Source audio.position = [ MONO ] api.alsa.card = "
            << kCardIndex
            << " } }\n"
               "  { factory = adapter args = { factory.name = support.null-audio-sink\n"
               "      node.name = \""
            << kOtherMic
            << "\" media.class = Audio/Source audio.position = [ MONO ] } }\n"
               "  { factory = metadata args = { metadata.name = default } }\n"
               "]\n";
        std::string path = config.string();
        char program[] = "pipewire";
        char option[] = "-c";
        char* argv[] = {program, option, path.data(), nullptr};
        if (::posix_spawnp(&server_, "pipewire", nullptr, nullptr, argv, environ) != 0) {
            server_ = -1;
            GTEST_SKIP() << "the pipewire program could not be started (is it installed?)";
        }
        if (!WaitFor([] { return PipeWireRunning(); }, 5000))
            GTEST_SKIP() << "a private PipeWire did not start in " << dir_;
        if (!WaitFor([] { return Nodes().contains(kHeadsetNode); }, 5000))
            GTEST_SKIP() << "pw-dump does not answer, or the null sink did not appear";
    }

    void TearDown() override {
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
        }
        for (const auto& [name, value] : saved_) Restore(name.c_str(), value);
        std::error_code code;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, code);
    }

    std::shared_ptr<AlsaAudioLib> Library(bool pitchPlugin = true) {
        AlsaAudioLib::Options options;
        if (!pitchPlugin)
            options.findPitchPlugin = [] { return std::optional<std::filesystem::path>(); };
        options.findCard = [] {
            return std::optional(AlsaAudioLib::CardLocation{kCardIndex, "headset"});
        };
        options.controlConfig = std::string("ctl_type.qx580fake { lib \"") + QX580_FAKE_CTL_PATH +
                                "\" }\nctl.headset { type qx580fake }\n";
        options.chainFolder = dir_ / "chain";
        return std::make_shared<AlsaAudioLib>(std::move(options));
    }

    std::filesystem::path dir_;
    pid_t server_ = -1;
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(PipeWireChain, TheEqualiserAndTheSurroundRunInFrontOfTheHeadsetsNode) {
    auto lib = Library();
    HeadsetAudio audio(lib);
    ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
    const FeatureAvailability a = audio.Availability();
    ASSERT_TRUE(a.equaliser) << a.reason;
    EXPECT_TRUE(a.surround);
    EXPECT_TRUE(a.microphone);

    const std::vector<int> bands = {7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    ASSERT_TRUE(audio.ApplyBands(bands));
    auto gainsAre = [](const std::vector<int>& wanted) {
        const std::map<std::string, Node> nodes = Nodes();
        const auto sink = nodes.find(kEffectsSinkName);
        if (sink == nodes.end()) return false;
        for (const char* side : {"l", "r"}) {
            for (size_t b = 0; b < wanted.size(); ++b) {
                const std::string key =
                    std::string("eq_") + side + "_" + std::to_string(b + 1) + ":Gain";
                const auto found = sink->second.controls.find(key);
                if (found == sink->second.controls.end() || found->second != wanted[b])
                    return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(WaitFor([&] { return gainsAre(bands); })) << "the chain's gains in PipeWire";
    const pid_t chain = lib->ChainProcess();
    ASSERT_GT(chain, 0);
    std::map<std::string, Node> nodes = Nodes();
    ASSERT_TRUE(nodes.contains(kEffectsSinkName));
    EXPECT_EQ(nodes[kEffectsSinkName].props["media.class"].asString(), "Audio/Sink");
    ASSERT_TRUE(nodes.contains(kEffectsOutputName));
    EXPECT_EQ(nodes[kEffectsOutputName].props["target.object"].asString(), kHeadsetNode);

    // One band moved; then the surround's cross-feed joins the graph, the bands kept.
    std::vector<int> moved = bands;
    moved[3] = -7;
    ASSERT_TRUE(audio.SetBand(3, -7));
    EXPECT_TRUE(gainsAre(moved)) << "a set returns once its gain is in place";
    // Another preset: the same process, every band in place when the call returns.
    const std::vector<int> preset = {-4, -2, 0, 3, 6, 6, 3, 0, -2, -4};
    ASSERT_TRUE(audio.ApplyBands(preset));
    EXPECT_EQ(lib->ChainProcess(), chain) << "a preset restarted the chain";
    EXPECT_TRUE(gainsAre(preset));
    ASSERT_TRUE(audio.ApplyBands(moved));
    EXPECT_EQ(lib->ChainProcess(), chain);
    ASSERT_TRUE(audio.EnableSurround(true));
    EXPECT_EQ(audio.SurroundEnabled(), true);
    EXPECT_TRUE(WaitFor([&] {
        const std::map<std::string, Node> now = Nodes();
        const auto sink = now.find(kEffectsSinkName);
        return sink != now.end() && sink->second.controls.contains("mix_l:Gain 2") &&
               sink->second.controls.contains("mix_r:Gain 2");
    })) << "the surround's mixers";
    EXPECT_TRUE(gainsAre(moved));

    // The equaliser off is flat, not gone, and changed live.
    const pid_t withSurround = lib->ChainProcess();
    ASSERT_TRUE(audio.EnableEqualiser(false));
    EXPECT_TRUE(gainsAre(std::vector<int>(10, 0)));
    EXPECT_EQ(lib->ChainProcess(), withSurround);

    // The library gone, its chain goes with it.
    audio = HeadsetAudio(nullptr);
    lib.reset();
    EXPECT_TRUE(WaitFor([] { return !Nodes().contains(kEffectsSinkName); }));
}

std::string Configured() { return DefaultSinkName(kConfiguredSinkKey).value_or("(none)"); }

void Configure(const std::string& node) {
    ASSERT_TRUE(SetConfiguredSink(node)) << "the test could not set the default output";
}

// What plays to the default output goes through the chain while it runs, when the headset was
// the default; the previous choice comes back when the chain stops. Another default is left.
TEST_F(PipeWireChain, TheDefaultOutputGoesThroughTheChainWhileItRuns) {
    struct Case {
        const char* before;  // the configured default before ("": none)
        const char* chosen;  // what the session manager chose ("": nothing)
        bool routed;
    };
    const Case cases[] = {
        {kHeadsetNode, "", true},
        {"", kHeadsetNode, true},  // nothing configured, the headset chosen
        {kOtherNode, kOtherNode, false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("configured '") + c.before + "' chosen '" + c.chosen + "'");
        Configure(c.before);
        RunTool({"pw-metadata", "-n", "default", "-d", "0", kDefaultSinkKey});
        if (*c.chosen != 0)
            RunTool({"pw-metadata", "-n", "default", "0", kDefaultSinkKey,
                     std::string("{\"name\":\"") + c.chosen + "\"}", "Spa:String:JSON"});
        const std::string before = *c.before != 0 ? c.before : "(none)";
        {
            auto lib = Library();
            HeadsetAudio audio(lib);
            ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
            ASSERT_TRUE(audio.ApplyBands(std::vector<int>(10, 4)));
            EXPECT_EQ(Configured(), c.routed ? kEffectsSinkName : before);
            // A restart for the surround keeps the route.
            ASSERT_TRUE(audio.EnableSurround(true));
            EXPECT_EQ(Configured(), c.routed ? kEffectsSinkName : before);
            audio = HeadsetAudio(nullptr);
        }
        EXPECT_EQ(Configured(), before) << "the previous default given back";
        EXPECT_FALSE(Nodes().contains(kEffectsSinkName));
    }

    // A choice the user made while the chain ran stays when it stops.
    Configure(kHeadsetNode);
    {
        auto lib = Library();
        HeadsetAudio audio(lib);
        ASSERT_TRUE(audio.Start().hasOutput);
        ASSERT_TRUE(audio.ApplyBands(std::vector<int>(10, 2)));
        ASSERT_EQ(Configured(), kEffectsSinkName);
        Configure(kOtherNode);
        audio = HeadsetAudio(nullptr);
    }
    EXPECT_EQ(Configured(), kOtherNode);
}

// The program killed: its chain ends with it (the sink gone, PipeWire's session manager moves
// the streams elsewhere), and the next run gives the headset back as the default when it stops.
TEST_F(PipeWireChain, AKilledProgramLeavesNoChainAndTheNextRunGivesTheDefaultBack) {
    Configure(kHeadsetNode);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto lib = Library();
        HeadsetAudio audio(lib);
        const bool ok = audio.Start().hasOutput && audio.ApplyBands(std::vector<int>(10, 5)) &&
                        Configured() == kEffectsSinkName;
        ::raise(ok ? SIGKILL : SIGABRT);
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child's chain failed";
    EXPECT_TRUE(WaitFor([] { return !Nodes().contains(kEffectsSinkName); }))
        << "the chain outlived the program";
    EXPECT_EQ(Configured(), kEffectsSinkName) << "no session manager here to move it";

    {
        auto lib = Library();
        HeadsetAudio audio(lib);
        ASSERT_TRUE(audio.Start().hasOutput);
        ASSERT_TRUE(audio.ApplyBands(std::vector<int>(10, 1)));
        EXPECT_EQ(Configured(), kEffectsSinkName);
        audio = HeadsetAudio(nullptr);
    }
    EXPECT_EQ(Configured(), kHeadsetNode);
}

TEST_F(PipeWireChain, WithoutTheCardsNodeTheProcessingIsUnavailableAndSaysWhy) {
    AlsaAudioLib::Options options;
    options.findCard = [] {
        return std::optional(AlsaAudioLib::CardLocation{kCardIndex + 1, "headset"});
    };
    options.controlConfig = std::string("ctl_type.qx580fake { lib \"") + QX580_FAKE_CTL_PATH +
                            "\" }\nctl.headset { type qx580fake }\n";
    options.chainFolder = dir_ / "chain";
    auto lib = std::make_shared<AlsaAudioLib>(std::move(options));
    HeadsetAudio audio(lib);
    ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
    const FeatureAvailability a = audio.Availability();
    EXPECT_FALSE(a.equaliser);
    EXPECT_TRUE(a.microphone);
    EXPECT_NE(a.reason.find("no output of the headset"), std::string::npos) << a.reason;
    EXPECT_FALSE(audio.ApplyBands(std::vector<int>(10, 3)));
    EXPECT_FALSE(Nodes().contains(kEffectsSinkName));
}

std::string ConfiguredSource() { return DefaultSinkName(kConfiguredSourceKey).value_or("(none)"); }

// The voice changer on the headset's microphone: a virtual source made the default input while
// it runs, the type changed live on the same process, the echo and the noise suppression
// joining the chain, and the previous default input given back at the end.
TEST_F(PipeWireChain, TheVoiceChangerRecordsFromTheHeadsetsMicrophone) {
    if (!FindLadspaPlugin(kPitchPluginFile))
        GTEST_SKIP() << "the pitch shifter is not installed (package " << kPitchPluginPackage
                     << ")";
    ASSERT_TRUE(SetConfiguredNode(kConfiguredSourceKey, kHeadsetMic));
    auto lib = Library();
    HeadsetAudio audio(lib);
    ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
    const FeatureAvailability a = audio.Availability();
    ASSERT_TRUE(a.voiceChanger) << a.reason;
    EXPECT_EQ(lib->VoiceProcess(), -1) << "nothing runs before it is asked for";

    auto controlsAre = [](int type) {
        const std::map<std::string, Node> nodes = Nodes();
        const auto capture = nodes.find(kVoiceCaptureName);
        if (capture == nodes.end()) return false;
        VoiceSettings settings;
        settings.voiceChanger = true;
        settings.type = type;
        for (const auto& [key, value] : VoiceControls(settings)) {
            const auto found = capture->second.controls.find(key);
            if (found == capture->second.controls.end() || std::abs(found->second - value) > 1e-3)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(audio.SelectVoice(1));
    EXPECT_EQ(lib->VoiceProcess(), -1) << "a type alone does not start the chain";
    ASSERT_TRUE(audio.EnableVoiceChanger(true));
    const pid_t chain = lib->VoiceProcess();
    ASSERT_GT(chain, 0);
    std::map<std::string, Node> nodes = Nodes();
    ASSERT_TRUE(nodes.contains(kVoiceSourceName));
    EXPECT_EQ(nodes[kVoiceSourceName].props["media.class"].asString(), "Audio/Source");
    EXPECT_EQ(nodes[kVoiceCaptureName].props["target.object"].asString(), kHeadsetMic);
    EXPECT_TRUE(controlsAre(1));
    EXPECT_EQ(ConfiguredSource(), kVoiceSourceName) << "the changed voice is the default input";

    for (int type : {3, 4, 2}) {
        SCOPED_TRACE(type);
        ASSERT_TRUE(audio.SelectVoice(type));
        EXPECT_TRUE(controlsAre(type)) << "a set returns once its values are in place";
        EXPECT_EQ(lib->VoiceProcess(), chain) << "a type change restarted the chain";
    }
    EXPECT_EQ(audio.ReadState()->magicEnable, 1);
    EXPECT_EQ(audio.ReadState()->magicType, 2);

    // The echo joins the graph; the voice changer turned on again turns it off.
    ASSERT_TRUE(SetInt(*lib, audio.Input(), "Enable_MICECHO", 1));
    EXPECT_TRUE(
        WaitFor([] { return Nodes()[kVoiceCaptureName].controls.contains("echo_mix:Gain 2"); }));
    EXPECT_TRUE(controlsAre(2)) << "the type kept across the restart";
    ASSERT_TRUE(audio.EnableVoiceChanger(true));
    EXPECT_EQ(GetNumber(*lib, audio.Input(), "Enable_MICECHO"), 0.0);
    EXPECT_TRUE(WaitFor([] {
        const auto now = Nodes();
        return now.contains(kVoiceCaptureName) &&
               !now.at(kVoiceCaptureName).controls.contains("echo_mix:Gain 2");
    }));

    // Noise suppression in front of the chain: the chain records from the cleaned microphone.
    ASSERT_TRUE(SetInt(*lib, audio.Input(), "Enable_ENC_LFX", 1));
    nodes = Nodes();
    ASSERT_TRUE(nodes.contains(kVoiceCleanName));
    EXPECT_EQ(nodes[kVoiceCaptureName].props["target.object"].asString(), kVoiceCleanName);
    EXPECT_EQ(ConfiguredSource(), kVoiceSourceName) << "a restart keeps the route";

    // Everything off: the chain ends and the headset's microphone is the default again.
    ASSERT_TRUE(SetInt(*lib, audio.Input(), "Enable_ENC_LFX", 0));
    ASSERT_TRUE(audio.EnableVoiceChanger(false));
    EXPECT_EQ(lib->VoiceProcess(), -1);
    EXPECT_FALSE(Nodes().contains(kVoiceSourceName));
    EXPECT_EQ(ConfiguredSource(), kHeadsetMic);

    // Another microphone chosen: the chain runs, the default input is left alone; the library
    // gone, the chain goes with it.
    ASSERT_TRUE(SetConfiguredNode(kConfiguredSourceKey, kOtherMic));
    ASSERT_TRUE(audio.EnableVoiceChanger(true));
    EXPECT_TRUE(Nodes().contains(kVoiceSourceName));
    EXPECT_EQ(ConfiguredSource(), kOtherMic);
    audio = HeadsetAudio(nullptr);
    lib.reset();
    EXPECT_TRUE(WaitFor([] { return !Nodes().contains(kVoiceSourceName); }));
    EXPECT_EQ(ConfiguredSource(), kOtherMic);
}

// Without the pitch shifter the voice changer is refused and says which package is missing;
// the microphone's echo and noise suppression still run.
TEST_F(PipeWireChain, WithoutThePitchShifterTheVoiceChangerNamesThePackage) {
    auto lib = Library(false);
    HeadsetAudio audio(lib);
    ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
    const FeatureAvailability a = audio.Availability();
    EXPECT_FALSE(a.voiceChanger);
    EXPECT_TRUE(a.equaliser);
    EXPECT_NE(a.reason.find(kPitchPluginPackage), std::string::npos) << a.reason;
    EXPECT_EQ(audio.InputFeatures()[0] & (kFeatureMicEcho | kFeatureNoise),
              kFeatureMicEcho | kFeatureNoise);
    EXPECT_FALSE(audio.EnableVoiceChanger(true));
    EXPECT_FALSE(audio.SelectVoice(2));
    EXPECT_FALSE(Nodes().contains(kVoiceSourceName));
    ASSERT_TRUE(SetInt(*lib, audio.Input(), "Enable_ENC_LFX", 1));
    EXPECT_TRUE(Nodes().contains(kVoiceSourceName)) << "the noise-suppressed microphone";
    EXPECT_FALSE(Nodes().contains(kVoiceCaptureName)) << "no chain behind it";
}

// The room reverb behind the equaliser: its convolvers read the impulse response written for the
// room, a change of room starts the process again, gains stay live, a room outside the list is
// refused.
TEST_F(PipeWireChain, TheRoomReverbRunsWithTheRoomsImpulseResponse) {
    auto lib = Library();
    HeadsetAudio audio(lib);
    ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
    ASSERT_NE(audio.OutputFeatures()[0] & kFeatureRoom, 0u);
    ASSERT_TRUE(SetInt(*lib, audio.Output(), "RFX_ENVIRONMENT", 2));
    ASSERT_TRUE(SetInt(*lib, audio.Output(), "Enable_RFX_GFX", 1));
    const pid_t hall = lib->ChainProcess();
    ASSERT_GT(hall, 0);
    EXPECT_TRUE(Nodes()[kEffectsSinkName].controls.contains("room_mix_l:Gain 2"));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "chain" / RoomResponseName(2, 50)));
    ASSERT_TRUE(audio.ApplyBands(std::vector<int>(10, 3)));
    EXPECT_EQ(lib->ChainProcess(), hall) << "the gains stay live beside the reverb";
    ASSERT_TRUE(SetInt(*lib, audio.Output(), "RFX_ROOMSIZE", 80));
    EXPECT_NE(lib->ChainProcess(), hall) << "another room is another impulse response";
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "chain" / RoomResponseName(2, 80)));
    EXPECT_FALSE(SetInt(*lib, audio.Output(), "RFX_ENVIRONMENT", 4));
    EXPECT_EQ(GetNumber(*lib, audio.Output(), "RFX_ENVIRONMENT"), 2.0);
    ASSERT_TRUE(SetInt(*lib, audio.Output(), "Enable_RFX_GFX", 0));
    EXPECT_FALSE(Nodes()[kEffectsSinkName].controls.contains("room_mix_l:Gain 2"));
}

}  // namespace
}  // namespace qx::audio
