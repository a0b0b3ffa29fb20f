#include "audio/pipewire_filter_chain.h"

#include <json/json.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "core/diagnostics.h"

extern char** environ;

namespace qx::audio {
namespace {

constexpr double kBandQ = 1.41;
// The surround's cross-feed: the other ear hears the channel 0.3 ms later, low-passed, softer.
constexpr double kCrossDelaySeconds = 0.0003;
constexpr int kCrossCutHz = 700;
constexpr double kCrossGain = 0.35;

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::filesystem::path RuntimeDir() {
    const char* pw = std::getenv("PIPEWIRE_RUNTIME_DIR");
    if (pw != nullptr && *pw != 0) return pw;
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && *xdg != 0) return xdg;
    return {};
}

}  // namespace

std::string FilterChainConfig(const ProcessingSettings& settings, const std::string& targetNode) {
    std::ostringstream nodes;
    std::ostringstream links;
    const char* sides[2] = {"l", "r"};
    for (const char* side : sides) {
        for (size_t b = 0; b < kEqFrequencies.size(); ++b) {
            const int gain = settings.equaliser ? settings.bands[b] : 0;
            nodes << "               { type = builtin name = eq_" << side << "_" << b + 1
                  << " label = bq_peaking control = { \"Freq\" = " << kEqFrequencies[b]
                  << " \"Q\" = " << kBandQ << " \"Gain\" = " << gain << " } }\n";
            if (b > 0)
                links << "               { output = \"eq_" << side << "_" << b
                      << ":Out\" input = \"eq_" << side << "_" << b + 1 << ":In\" }\n";
        }
    }
    std::string outputs = "\"eq_l_10:Out\" \"eq_r_10:Out\"";
    if (settings.surround) {
        for (int i = 0; i < 2; ++i) {
            const std::string self = sides[i];
            const std::string other = sides[1 - i];
            nodes << "               { type = builtin name = cross_delay_" << self
                  << " label = delay config = { \"max-delay\" = 0.01 } control = { \"Delay (s)\" = "
                  << kCrossDelaySeconds << " } }\n"
                  << "               { type = builtin name = cross_cut_" << self
                  << " label = bq_lowpass control = { \"Freq\" = " << kCrossCutHz
                  << " \"Q\" = 0.7 } }\n"
                  << "               { type = builtin name = mix_" << self
                  << " label = mixer control = { \"Gain 1\" = 1.0 \"Gain 2\" = " << kCrossGain
                  << " } }\n";
            links << "               { output = \"eq_" << other
                  << "_10:Out\" input = \"cross_delay_" << self << ":In\" }\n"
                  << "               { output = \"cross_delay_" << self
                  << ":Out\" input = \"cross_cut_" << self << ":In\" }\n"
                  << "               { output = \"eq_" << self << "_10:Out\" input = \"mix_" << self
                  << ":In 1\" }\n"
                  << "               { output = \"cross_cut_" << self << ":Out\" input = \"mix_"
                  << self << ":In 2\" }\n";
        }
        outputs = "\"mix_l:Out\" \"mix_r:Out\"";
    }
    std::ostringstream text;
    text << "# The QX-580 headset's sound processing, written by the QX-580 utility.\n"
         << "context.properties = { log.level = 0 }\n"
         << "context.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert\n"
         << "                     support.* = support/libspa-support }\n"
         << "context.modules = [\n"
         << "   { name = libpipewire-module-protocol-native }\n"
         << "   { name = libpipewire-module-client-node }\n"
         << "   { name = libpipewire-module-adapter }\n"
         << "   { name = libpipewire-module-filter-chain\n"
         << "     args = {\n"
         << "         node.description = \"QX-580 headset effects\"\n"
         << "         media.name = \"QX-580 headset effects\"\n"
         << "         filter.graph = {\n"
         << "             nodes = [\n"
         << nodes.str() << "             ]\n"
         << "             links = [\n"
         << links.str() << "             ]\n"
         << "             inputs = [ \"eq_l_1:In\" \"eq_r_1:In\" ]\n"
         << "             outputs = [ " << outputs << " ]\n"
         << "         }\n"
         << "         audio.channels = 2\n"
         << "         audio.position = [ FL FR ]\n"
         << "         capture.props = {\n"
         << "             node.name = " << Quoted(kEffectsSinkName) << "\n"
         << "             media.class = Audio/Sink\n"
         << "         }\n"
         << "         playback.props = {\n"
         << "             node.name = " << Quoted(kEffectsOutputName) << "\n"
         << "             node.passive = true\n"
         << "             target.object = " << Quoted(targetNode) << "\n"
         << "         }\n"
         << "     }\n"
         << "   }\n"
         << "]\n";
    return text.str();
}

bool PipeWireRunning() {
    const std::filesystem::path dir = RuntimeDir();
    if (dir.empty()) return false;
    const char* remote = std::getenv("PIPEWIRE_REMOTE");
    const std::filesystem::path socket =
        dir / (remote != nullptr && *remote != 0 ? remote : "pipewire-0");
    struct stat info {};
    return ::stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

std::optional<std::string> HeadsetSinkNode(int card) {
    if (!PipeWireRunning()) return std::nullopt;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen("pw-dump 2>/dev/null", "r"), ::pclose);
    if (!pipe) return std::nullopt;
    std::string text;
    std::array<char, 4096> chunk{};
    size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0)
        text.append(chunk.data(), got);
    Json::Value root;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isArray())
        return std::nullopt;
    for (const Json::Value& object : root) {
        const Json::Value& props = object["info"]["props"];
        if (!props.isObject() || props["media.class"].asString() != "Audio/Sink") continue;
        const Json::Value& cardValue = props["api.alsa.card"];
        const std::string cardText =
            cardValue.isString()
                ? cardValue.asString()
                : (cardValue.isIntegral() ? std::to_string(cardValue.asInt()) : "");
        if (cardText == std::to_string(card) && props["node.name"].isString())
            return props["node.name"].asString();
    }
    return std::nullopt;
}

FilterChainRunner::~FilterChainRunner() { Stop(); }

void FilterChainRunner::Stop() {
    if (child_ <= 0) return;
    ::kill(child_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(child_, nullptr, WNOHANG) == child_) {
            child_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
    child_ = -1;
}

bool FilterChainRunner::Apply(const ProcessingSettings& settings, const std::string& targetNode,
                              const std::filesystem::path& folder, std::string* error) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    const std::filesystem::path file = folder / "qx580-headset-effects.conf";
    {
        std::ofstream out(file, std::ios::trunc);
        out << FilterChainConfig(settings, targetNode);
        if (!out) {
            if (error) *error = "the filter chain could not be written to " + file.string();
            return false;
        }
    }
    Stop();
    std::string path = file.string();
    char program[] = "pipewire";
    char option[] = "-c";
    char* argv[] = {program, option, path.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawnp(&pid, "pipewire", nullptr, nullptr, argv, environ) != 0) {
        if (error) *error = "the pipewire program could not be started";
        return false;
    }
    // A description PipeWire refuses ends the process at once.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
        if (error) *error = "PipeWire refused the filter chain";
        return false;
    }
    child_ = pid;
    DebugLine("headset filter chain started for " + targetNode);
    return true;
}

}  // namespace qx::audio
