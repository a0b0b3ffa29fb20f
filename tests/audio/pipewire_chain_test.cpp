// The equaliser and the surround loaded by a running PipeWire: a private server of the test's
// own (its own runtime folder, a minimal configuration, a null sink standing for the headset's
// output), the library on the fake headset card, and PipeWire's own view of the chain's nodes
// and their controls read back with pw-dump. Skipped, with the reason, where PipeWire cannot
// start.
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

#include "audio/alsa_audio_lib.h"
#include "audio/headset_audio.h"
#include "audio/pipewire_filter_chain.h"
#include "fake_ctl_plugin.h"

extern char** environ;

namespace qx::audio {
namespace {

constexpr int kCardIndex = 5;
constexpr const char* kHeadsetNode = "qx580_test_headset_output";

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
                if (params[i + 1].isNumeric())
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

    std::shared_ptr<AlsaAudioLib> Library() {
        AlsaAudioLib::Options options;
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
    std::map<std::string, Node> nodes = Nodes();
    ASSERT_TRUE(nodes.contains(kEffectsSinkName));
    EXPECT_EQ(nodes[kEffectsSinkName].props["media.class"].asString(), "Audio/Sink");
    ASSERT_TRUE(nodes.contains(kEffectsOutputName));
    EXPECT_EQ(nodes[kEffectsOutputName].props["target.object"].asString(), kHeadsetNode);

    // One band moved; then the surround's cross-feed joins the graph, the bands kept.
    std::vector<int> moved = bands;
    moved[3] = -7;
    ASSERT_TRUE(audio.SetBand(3, -7));
    EXPECT_TRUE(WaitFor([&] { return gainsAre(moved); }));
    ASSERT_TRUE(audio.EnableSurround(true));
    EXPECT_EQ(audio.SurroundEnabled(), true);
    EXPECT_TRUE(WaitFor([&] {
        const std::map<std::string, Node> now = Nodes();
        const auto sink = now.find(kEffectsSinkName);
        return sink != now.end() && sink->second.controls.contains("mix_l:Gain 2") &&
               sink->second.controls.contains("mix_r:Gain 2");
    })) << "the surround's mixers";
    EXPECT_TRUE(gainsAre(moved));

    // The equaliser off is flat, not gone.
    ASSERT_TRUE(audio.EnableEqualiser(false));
    EXPECT_TRUE(WaitFor([&] { return gainsAre(std::vector<int>(10, 0)); }));

    // The library gone, its chain goes with it.
    audio = HeadsetAudio(nullptr);
    lib.reset();
    EXPECT_TRUE(WaitFor([] { return !Nodes().contains(kEffectsSinkName); }));
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

}  // namespace
}  // namespace qx::audio
