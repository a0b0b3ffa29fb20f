#include "audio/voice_chain.h"

#include <sys/wait.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/diagnostics.h"

namespace qx::audio {
namespace {

// Male: a fourth lower with the formants following (a bigger throat); female: a fourth
// higher, the formants kept so it stays a voice; child: a fifth and more higher, formants
// raised with it (a smaller throat); robot: slightly lower, smeared, and a short comb that
// rings at 125 Hz.
constexpr std::array<VoiceType, kVoiceTypeCount> kVoiceTypes = {{
    {"Male", -5, false, 3, 0.0},
    {"Female", 5, true, 3, 0.0},
    {"Child", 8, false, 3, 0.0},
    {"Robot", -2, true, 0, 0.8},
}};

constexpr const char* kIndent = "               ";

}  // namespace

const VoiceType& VoicePreset(int type) {
    if (type < 1 || type > kVoiceTypeCount) type = 1;
    return kVoiceTypes[static_cast<size_t>(type - 1)];
}

std::optional<std::filesystem::path> FindLadspaPlugin(const std::string& file) {
    std::vector<std::filesystem::path> folders;
    if (const char* path = std::getenv("LADSPA_PATH"); path != nullptr) {
        std::istringstream in(path);
        std::string folder;
        while (std::getline(in, folder, ':'))
            if (!folder.empty()) folders.emplace_back(folder);
    }
    for (const char* folder : {"/usr/lib/ladspa", "/usr/lib/x86_64-linux-gnu/ladspa",
                               "/usr/lib/aarch64-linux-gnu/ladspa", "/usr/local/lib/ladspa"})
        folders.emplace_back(folder);
    for (const std::filesystem::path& folder : folders) {
        std::error_code code;
        const std::filesystem::path candidate = folder / file;
        if (std::filesystem::is_regular_file(candidate, code)) return candidate;
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, double>> VoiceControls(const VoiceSettings& settings) {
    if (!settings.voiceChanger) return {};
    const VoiceType& type = VoicePreset(settings.type);
    return {{"pitch:Semitones", type.semitones},
            {"pitch:Formant Preserving", type.formantPreserving ? 1.0 : 0.0},
            {"pitch:Crispness", type.crispness},
            {"voice_mix:Gain 2", type.combGain}};
}

std::string VoiceChainConfig(const VoiceSettings& settings, const std::string& micNode,
                             const std::filesystem::path& pitchPlugin) {
    if (!settings.Any()) return {};
    const bool chain = settings.voiceChanger || settings.echo;
    std::ostringstream modules;
    if (settings.noise) {
        // WebRTC's noise suppression on the microphone; its echo canceller has no far end
        // to cancel here (the reference sink is ours and silent).
        modules
            << "   { name = libpipewire-module-echo-cancel\n"
            << "     args = {\n"
            << "         library.name = aec/libspa-aec-webrtc\n"
            << "         aec.args = { webrtc.noise_suppression = true webrtc.high_pass_filter = "
               "true\n"
            << "                      webrtc.gain_control = false webrtc.extended_filter = false\n"
            << "                      webrtc.delay_agnostic = false }\n"
            << "         audio.channels = 1\n"
            << "         audio.position = [ MONO ]\n"
            << "         capture.props = { node.name = \"qx580_headset_voice_mic\" node.passive = "
               "true\n"
            << "                           target.object = " << SpaQuoted(micNode) << " }\n"
            << "         source.props = { node.name = "
            << SpaQuoted(chain ? kVoiceCleanName : kVoiceSourceName)
            << " media.class = Audio/Source\n"
            << "                          node.description = \"QX-580 headset microphone, "
               "noise suppressed\" }\n"
            << "         sink.props = { node.name = \"qx580_headset_voice_reference\"\n"
            << "                        media.class = Audio/Sink/Internal node.passive = true }\n"
            << "         playback.props = { node.name = \"qx580_headset_voice_reference_out\"\n"
            << "                            node.passive = true }\n"
            << "     }\n"
            << "   }\n";
    }
    if (chain) {
        std::ostringstream nodes;
        std::ostringstream links;
        // The graph's single input fans out from a copy node.
        nodes << kIndent << "{ type = builtin name = in label = copy }\n";
        std::string head = "in:Out";
        if (settings.voiceChanger) {
            const VoiceType& type = VoicePreset(settings.type);
            nodes << kIndent
                  << "{ type = ladspa name = pitch plugin = " << SpaQuoted(pitchPlugin.string())
                  << " label = " << SpaQuoted(kPitchPluginLabel) << "\n"
                  << kIndent << "  control = { \"Semitones\" = " << type.semitones
                  << " \"Formant Preserving\" = " << (type.formantPreserving ? 1 : 0)
                  << " \"Crispness\" = " << type.crispness << " \"Wet-Dry Mix\" = 0 } }\n"
                  << kIndent << "{ type = builtin name = comb label = delay config = { "
                  << "\"max-delay\" = 0.05 } control = { \"Delay (s)\" = " << kCombDelaySeconds
                  << " } }\n"
                  << kIndent << "{ type = builtin name = voice_mix label = mixer control = { "
                  << "\"Gain 1\" = 1.0 \"Gain 2\" = " << type.combGain << " } }\n";
            links << kIndent << "{ output = \"" << head << "\" input = \"pitch:Input\" }\n"
                  << kIndent << "{ output = \"pitch:Output\" input = \"comb:In\" }\n"
                  << kIndent << "{ output = \"pitch:Output\" input = \"voice_mix:In 1\" }\n"
                  << kIndent << "{ output = \"comb:Out\" input = \"voice_mix:In 2\" }\n";
            head = "voice_mix:Out";
        }
        if (settings.echo) {
            nodes << kIndent << "{ type = builtin name = echo_1 label = delay config = { "
                  << "\"max-delay\" = 1.0 } control = { \"Delay (s)\" = " << kEchoDelaySeconds
                  << " } }\n"
                  << kIndent << "{ type = builtin name = echo_2 label = delay config = { "
                  << "\"max-delay\" = 1.0 } control = { \"Delay (s)\" = " << kEchoDelaySeconds
                  << " } }\n"
                  << kIndent << "{ type = builtin name = echo_mix label = mixer control = { "
                  << "\"Gain 1\" = 1.0 \"Gain 2\" = " << kEchoGain1
                  << " \"Gain 3\" = " << kEchoGain2 << " } }\n";
            links << kIndent << "{ output = \"" << head << "\" input = \"echo_1:In\" }\n"
                  << kIndent << "{ output = \"echo_1:Out\" input = \"echo_2:In\" }\n"
                  << kIndent << "{ output = \"" << head << "\" input = \"echo_mix:In 1\" }\n"
                  << kIndent << "{ output = \"echo_1:Out\" input = \"echo_mix:In 2\" }\n"
                  << kIndent << "{ output = \"echo_2:Out\" input = \"echo_mix:In 3\" }\n";
            head = "echo_mix:Out";
        }
        modules << "   { name = libpipewire-module-filter-chain\n"
                << "     args = {\n"
                << "         node.description = \"QX-580 headset voice\"\n"
                << "         media.name = \"QX-580 headset voice\"\n"
                << "         filter.graph = {\n"
                << "             nodes = [\n"
                << nodes.str() << "             ]\n"
                << "             links = [\n"
                << links.str() << "             ]\n"
                << "             inputs = [ \"in:In\" ]\n"
                << "             outputs = [ " << SpaQuoted(head) << " ]\n"
                << "         }\n"
                << "         audio.channels = 1\n"
                << "         audio.position = [ MONO ]\n"
                << "         capture.props = {\n"
                << "             node.name = " << SpaQuoted(kVoiceCaptureName) << "\n"
                << "             node.passive = true\n"
                << "             target.object = "
                << SpaQuoted(settings.noise ? kVoiceCleanName : micNode) << "\n"
                << "         }\n"
                << "         playback.props = {\n"
                << "             node.name = " << SpaQuoted(kVoiceSourceName) << "\n"
                << "             media.class = Audio/Source\n"
                << "         }\n"
                << "     }\n"
                << "   }\n";
    }
    std::ostringstream text;
    text << "# The QX-580 headset microphone's processing, written by the QX-580 utility.\n"
         << "context.properties = { log.level = 0 }\n"
         << "context.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert\n"
         << "                     support.* = support/libspa-support }\n"
         << "context.modules = [\n"
         << "   { name = libpipewire-module-protocol-native }\n"
         << "   { name = libpipewire-module-client-node }\n"
         << "   { name = libpipewire-module-adapter }\n"
         << modules.str() << "]\n";
    return text.str();
}

VoiceChainRunner::~VoiceChainRunner() { Stop(); }

void VoiceChainRunner::Stop() {
    // The default input goes back while our source is still there.
    route_.GiveBack();
    EndChainProcess(child_);
    running_ = {};
}

bool VoiceChainRunner::Apply(const VoiceSettings& settings, const std::string& micNode,
                             const std::filesystem::path& pitchPlugin,
                             const std::filesystem::path& folder, std::string* error) {
    if (child_ > 0 && ::waitpid(child_, nullptr, WNOHANG) == child_) {
        DebugLine("headset voice chain: the process ended on its own");
        child_ = -1;
    }
    if (!settings.Any()) {
        Stop();
        return true;
    }
    if (child_ > 0 && micNode == mic_ && settings.SameShape(running_)) {
        const auto controls = VoiceControls(settings);
        std::string liveError;
        if (controls.empty() || SetControlsLive(kVoiceCaptureName, controls, &liveError)) {
            running_ = settings;
            return true;
        }
        DebugLine("headset voice chain: live change failed (" + liveError + "), restarting");
    }
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    const std::filesystem::path file = folder / "qx580-headset-voice.conf";
    {
        std::ofstream out(file, std::ios::trunc);
        out << VoiceChainConfig(settings, micNode, pitchPlugin);
        if (!out) {
            if (error) *error = "the voice chain could not be written to " + file.string();
            Stop();
            return false;
        }
    }
    EndChainProcess(child_);
    child_ = StartChainProcess(file, kVoiceSourceName, error);
    if (child_ < 0) {
        // Nothing of ours records any more: the default input goes back.
        Stop();
        return false;
    }
    running_ = settings;
    mic_ = micNode;
    DebugLine("headset voice chain started for " + micNode);
    route_.Take(micNode);
    return true;
}

}  // namespace qx::audio
