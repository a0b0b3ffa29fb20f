#include "audio/pipewire_filter_chain.h"

#include <json/json.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
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

// Runs `argv` (looked up on PATH), its output read into `output` when given, its errors
// dropped. The exit status; -1 when it could not run.
int Run(const std::vector<std::string>& argv, std::string* output) {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (std::string& arg : args) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return -1;
    }
    std::array<char, 4096> chunk{};
    ssize_t got = 0;
    while ((got = ::read(fds[0], chunk.data(), chunk.size())) != 0) {
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (output != nullptr) output->append(chunk.data(), static_cast<size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// PipeWire's objects as pw-dump lists them; a null value when it does not answer.
Json::Value Dump() {
    std::string text;
    if (!PipeWireRunning() || Run({"pw-dump"}, &text) != 0) return {};
    Json::Value root;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isArray())
        return {};
    return root;
}

const Json::Value* FindNode(const Json::Value& dump, const std::string& name) {
    for (const Json::Value& object : dump) {
        const Json::Value& props = object["info"]["props"];
        if (props.isObject() && props["node.name"].isString() &&
            props["node.name"].asString() == name)
            return &object;
    }
    return nullptr;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    return true;
}

std::filesystem::path RuntimeDir() {
    const char* pw = std::getenv("PIPEWIRE_RUNTIME_DIR");
    if (pw != nullptr && *pw != 0) return pw;
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && *xdg != 0) return xdg;
    return {};
}

}  // namespace

std::array<std::vector<float>, 2> RoomResponse(int environment, int roomSize) {
    const RoomEnvironment& room =
        kRoomEnvironments[static_cast<size_t>(std::clamp(environment, 0, 3))];
    const double seconds = room.reverbSeconds * (0.5 + std::clamp(roomSize, 0, 100) / 100.0);
    const size_t preDelay = static_cast<size_t>(room.preDelaySeconds * kRoomSampleRate);
    const size_t length =
        preDelay + static_cast<size_t>(std::min(seconds * 1.2, 4.0) * kRoomSampleRate);
    std::array<std::vector<float>, 2> sides;
    for (size_t side = 0; side < 2; ++side) {
        std::vector<float>& out = sides[side];
        out.assign(length, 0.0f);
        // A fixed seed per side: the same settings always give the same file.
        uint32_t state = 0x9E3779B9u + static_cast<uint32_t>(side) * 7919u;
        double low = 0.0;
        double energy = 0.0;
        for (size_t i = preDelay; i < length; ++i) {
            state = state * 1664525u + 1013904223u;
            const double noise = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
            low += (1.0 - room.damping) * (noise - low);
            const double t = static_cast<double>(i - preDelay) / kRoomSampleRate;
            // 60 dB down after `seconds`.
            const double value = low * std::exp(-6.907755 * t / seconds);
            out[i] = static_cast<float>(value);
            energy += value * value;
        }
        const double scale = energy > 0.0 ? 1.0 / std::sqrt(energy) : 0.0;
        for (float& v : out) v = static_cast<float>(v * scale);
    }
    return sides;
}

bool WriteRoomResponse(const std::filesystem::path& file, int environment, int roomSize) {
    const auto sides = RoomResponse(environment, roomSize);
    const uint32_t frames = static_cast<uint32_t>(sides[0].size());
    const uint32_t dataBytes = frames * 2 * 4;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    auto u32 = [&out](uint32_t v) {
        const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
        out.write(b, 4);
    };
    auto u16 = [&out](uint16_t v) {
        const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
        out.write(b, 2);
    };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(3);  // IEEE float
    u16(2);
    u32(kRoomSampleRate);
    u32(kRoomSampleRate * 2 * 4);
    u16(8);
    u16(32);
    out.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        for (const auto& side : sides) {
            uint32_t bits = 0;
            std::memcpy(&bits, &side[i], 4);
            u32(bits);
        }
    }
    return static_cast<bool>(out);
}

std::string RoomResponseName(int environment, int roomSize) {
    return "qx580-room-" + std::to_string(environment) + "-" + std::to_string(roomSize) + ".wav";
}

std::string FilterChainConfig(const ProcessingSettings& settings, const std::string& targetNode,
                              const std::filesystem::path& roomResponse) {
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
    if (settings.room) {
        const RoomEnvironment& room =
            kRoomEnvironments[static_cast<size_t>(std::clamp(settings.environment, 0, 3))];
        for (int i = 0; i < 2; ++i) {
            const std::string side = sides[i];
            const std::string dry = settings.surround ? "mix_" + side : "eq_" + side + "_10";
            nodes << "               { type = builtin name = room_" << side
                  << " label = convolver config = { filename = " << SpaQuoted(roomResponse.string())
                  << " channel = " << i << " } }\n"
                  << "               { type = builtin name = room_mix_" << side
                  << " label = mixer control = { \"Gain 1\" = 1.0 \"Gain 2\" = " << room.wetGain
                  << " } }\n";
            links << "               { output = \"" << dry << ":Out\" input = \"room_" << side
                  << ":In\" }\n"
                  << "               { output = \"" << dry << ":Out\" input = \"room_mix_" << side
                  << ":In 1\" }\n"
                  << "               { output = \"room_" << side << ":Out\" input = \"room_mix_"
                  << side << ":In 2\" }\n";
        }
        outputs = "\"room_mix_l:Out\" \"room_mix_r:Out\"";
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
         << "             node.name = " << SpaQuoted(kEffectsSinkName) << "\n"
         << "             media.class = Audio/Sink\n"
         << "         }\n"
         << "         playback.props = {\n"
         << "             node.name = " << SpaQuoted(kEffectsOutputName) << "\n"
         << "             node.passive = true\n"
         << "             target.object = " << SpaQuoted(targetNode) << "\n"
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

namespace {

std::optional<std::string> CardNode(int card, const char* mediaClass) {
    const Json::Value root = Dump();
    for (const Json::Value& object : root) {
        const Json::Value& props = object["info"]["props"];
        if (!props.isObject() || props["media.class"].asString() != mediaClass) continue;
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

}  // namespace

std::optional<std::string> HeadsetSinkNode(int card) { return CardNode(card, "Audio/Sink"); }

std::optional<std::string> HeadsetSourceNode(int card) { return CardNode(card, "Audio/Source"); }

std::optional<std::string> DefaultSinkName(const char* key) {
    const Json::Value root = Dump();
    for (const Json::Value& object : root) {
        if (object["type"].asString() != "PipeWire:Interface:Metadata" ||
            object["props"]["metadata.name"].asString() != "default")
            continue;
        for (const Json::Value& entry : object["metadata"]) {
            if (entry["subject"].asInt() != 0 || entry["key"].asString() != key) continue;
            // The value is {"name": "..."}, given as an object or as its JSON text.
            Json::Value value = entry["value"];
            if (value.isString()) {
                const std::string text = value.asString();
                std::string errors;
                std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
                if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors))
                    return std::nullopt;
            }
            if (value.isObject() && value["name"].isString()) return value["name"].asString();
        }
    }
    return std::nullopt;
}

bool SetConfiguredSink(const std::string& name) {
    return SetConfiguredNode(kConfiguredSinkKey, name);
}

bool SetConfiguredNode(const char* key, const std::string& name) {
    if (name.empty()) {
        Run({"pw-metadata", "-n", "default", "-d", "0", key}, nullptr);
        return WaitFor([key] { return !DefaultSinkName(key); }, 1000);
    }
    Json::Value value;
    value["name"] = name;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    Run({"pw-metadata", "-n", "default", "0", key, Json::writeString(writer, value),
         "Spa:String:JSON"},
        nullptr);
    // pw-metadata exits 0 whatever happened: the value read back says.
    return WaitFor([&] { return DefaultSinkName(key) == name; }, 1000);
}

std::optional<uint32_t> NodeId(const std::string& name) {
    const Json::Value root = Dump();
    const Json::Value* node = FindNode(root, name);
    if (node == nullptr || !(*node)["id"].isUInt()) return std::nullopt;
    return (*node)["id"].asUInt();
}

std::vector<std::pair<std::string, double>> NodeControls(const std::string& name) {
    std::vector<std::pair<std::string, double>> controls;
    const Json::Value root = Dump();
    const Json::Value* node = FindNode(root, name);
    if (node == nullptr) return controls;
    for (const Json::Value& props : (*node)["info"]["params"]["Props"]) {
        const Json::Value& params = props["params"];
        if (!params.isArray()) continue;
        for (Json::ArrayIndex i = 0; i + 1 < params.size(); i += 2)
            if (params[i].isString() && params[i + 1].isNumeric())
                controls.emplace_back(params[i].asString(), params[i + 1].asDouble());
            else if (params[i].isString() && params[i + 1].isBool())
                controls.emplace_back(params[i].asString(), params[i + 1].asBool() ? 1.0 : 0.0);
    }
    return controls;
}

bool SetControlsLive(const std::string& name,
                     const std::vector<std::pair<std::string, double>>& values,
                     std::string* error) {
    const std::optional<uint32_t> id = NodeId(name);
    if (!id) {
        *error = "the chain's node " + name + " is not in PipeWire";
        return false;
    }
    std::ostringstream pod;
    pod << "{ params = [";
    for (const auto& [key, value] : values) {
        pod << " " << SpaQuoted(key) << " ";
        // Always a float: the chain's controls take floats, whatever the plugin's port.
        if (value == static_cast<double>(static_cast<long>(value)))
            pod << static_cast<long>(value) << ".0";
        else
            pod << value;
    }
    pod << " ] }";
    if (Run({"pw-cli", "set-param", std::to_string(*id), "Props", pod.str()}, nullptr) != 0) {
        *error = "pw-cli could not set the controls";
        return false;
    }
    // pw-cli exits 0 even when the node refused: the node's own values say.
    const std::map<std::string, double> wanted(values.begin(), values.end());
    const bool took = WaitFor(
        [&] {
            size_t matched = 0;
            for (const auto& [key, value] : NodeControls(name)) {
                const auto found = wanted.find(key);
                // Integer and switch ports read back rounded.
                if (found != wanted.end() && std::abs(found->second - value) < 1e-3) ++matched;
            }
            return matched == wanted.size();
        },
        1000);
    if (!took) *error = "the controls did not read back";
    return took;
}

pid_t StartChainProcess(const std::filesystem::path& file, const std::string& shownNode,
                        std::string* error) {
    std::string path = file.string();
    char program[] = "pipewire";
    char option[] = "-c";
    char* argv[] = {program, option, path.data(), nullptr};
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        if (error) *error = "the pipewire program could not be started";
        return -1;
    }
    if (pid == 0) {
        // The chain ends with this program, even when it is killed: its nodes then disappear
        // and PipeWire's session manager moves the streams elsewhere. The signal follows the
        // thread that starts the chain (the headset's worker), so the chain also ends when the
        // headset's device goes away; the next change starts it again.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        ::execvp(program, argv);
        ::_exit(127);
    }
    // A description PipeWire refuses ends the process at once; one it takes shows its node.
    int status = 0;
    bool ended = false;
    const bool shown = WaitFor(
        [&] {
            if (::waitpid(pid, &status, WNOHANG) == pid) ended = true;
            return ended || NodeId(shownNode).has_value();
        },
        5000);
    if (ended || !shown) {
        if (!ended) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (error)
            *error = ended ? "PipeWire refused the filter chain in " + file.string()
                           : "the chain's node " + shownNode + " did not appear in PipeWire";
        return -1;
    }
    return pid;
}

void EndChainProcess(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

void DefaultRoute::Take(const std::string& device) {
    if (taken_) return;  // a restart keeps the node's name, so the route stays
    const std::optional<std::string> configured = DefaultSinkName(configuredKey_);
    if (configured == ours_) {
        // Left by a run of ours that ended without giving it back: the device was the default.
        previous_ = device;
        taken_ = true;
        return;
    }
    const bool deviceIsDefault = configured == device || DefaultSinkName(chosenKey_) == device;
    if (!deviceIsDefault) return;
    previous_ = configured.value_or("");
    if (SetConfiguredNode(configuredKey_, ours_)) {
        taken_ = true;
        DebugLine(std::string("headset chain: ") + configuredKey_ + " now " + ours_);
    } else {
        DebugLine(std::string("headset chain: ") + configuredKey_ + " could not be set");
    }
}

void DefaultRoute::GiveBack() {
    if (!taken_) return;
    taken_ = false;
    // The user chose another device meanwhile: that choice stays.
    if (DefaultSinkName(configuredKey_) != ours_) return;
    if (!SetConfiguredNode(configuredKey_, previous_))
        DebugLine(std::string("headset chain: the previous ") + configuredKey_ +
                  " could not be given back");
}

FilterChainRunner::~FilterChainRunner() { Stop(); }

void FilterChainRunner::Stop() {
    // The default output goes back while the chain's sink is still there, so that streams
    // move once, straight to it.
    route_.GiveBack();
    EndChainProcess(child_);
}

bool FilterChainRunner::Apply(const ProcessingSettings& settings, const std::string& targetNode,
                              const std::filesystem::path& folder, std::string* error) {
    if (child_ > 0 && ::waitpid(child_, nullptr, WNOHANG) == child_) {
        DebugLine("headset filter chain: the process ended on its own");
        child_ = -1;
    }
    if (child_ > 0 && targetNode == target_ && settings.SameShape(running_)) {
        std::string liveError;
        if (SetGainsLive(settings, &liveError)) {
            running_ = settings;
            return true;
        }
        DebugLine("headset filter chain: live change failed (" + liveError + "), restarting");
    }
    if (!Start(settings, targetNode, folder, error)) {
        // Nothing of ours plays any more: the default output goes back.
        route_.GiveBack();
        return false;
    }
    route_.Take(targetNode);
    return true;
}

bool FilterChainRunner::Start(const ProcessingSettings& settings, const std::string& targetNode,
                              const std::filesystem::path& folder, std::string* error) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    const std::filesystem::path file = folder / "qx580-headset-effects.conf";
    {
        std::ofstream out(file, std::ios::trunc);
        std::filesystem::path response;
        if (settings.room) {
            response = folder / RoomResponseName(settings.environment, settings.roomSize);
            if (!WriteRoomResponse(response, settings.environment, settings.roomSize)) {
                if (error) *error = "the room's impulse response could not be written";
                return false;
            }
        }
        out << FilterChainConfig(settings, targetNode, response);
        if (!out) {
            if (error) *error = "the filter chain could not be written to " + file.string();
            return false;
        }
    }
    EndChainProcess(child_);
    const pid_t pid = StartChainProcess(file, kEffectsSinkName, error);
    if (pid < 0) return false;
    child_ = pid;
    running_ = settings;
    target_ = targetNode;
    DebugLine("headset filter chain started for " + targetNode);
    return true;
}

bool FilterChainRunner::SetGainsLive(const ProcessingSettings& settings, std::string* error) {
    // Every band of both sides in one Props update.
    std::vector<std::pair<std::string, double>> values;
    for (const char* side : {"l", "r"}) {
        for (size_t b = 0; b < kEqFrequencies.size(); ++b) {
            const int gain = settings.equaliser ? settings.bands[b] : 0;
            values.emplace_back(std::string("eq_") + side + "_" + std::to_string(b + 1) + ":Gain",
                                gain);
        }
    }
    return SetControlsLive(kEffectsSinkName, values, error);
}

std::string SpaQuoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace qx::audio
