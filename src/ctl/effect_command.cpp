// qx580ctl effect render|frames|list: runs lighting effects on a manual clock and a seeded
// generator and draws their frames as a contact sheet (one row per drawn step, one column per
// effect) or writes them as JSON; lists the effect catalogue of each device family.
#include <json/json.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "ctl/command_help.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"
#include "ctl/png_writer.h"
#include "lighting/effect_catalogue.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/preview_lighting.h"

namespace qx::ctl {
namespace {

using namespace qx::lighting;

const char* const kEffectUsage = CommandUsage("effect");

constexpr int kMaxSteps = 2000;
constexpr int kMaxEvery = 1000;

struct KeyScriptEvent {
    int step = 0;
    int led = 0;
    int kind = kKeyDown;
};

struct Options {
    std::vector<int> ids;
    std::vector<int> styles;  // sound styles; each sound effect is run once per style
    EffectFamily device = EffectFamily::Keyboard;
    int steps = 24;
    int every = 1;
    LightSettings settings;
    AudioLightSettings audio;
    std::uint32_t seed = 1;
    std::string levelsPath;
    std::vector<std::vector<std::int32_t>> levels;
    std::optional<std::vector<KeyScriptEvent>> keys;
    std::string out;
    bool json = false;
};

bool ParseInt(const std::string& text, long long low, long long high, long long& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

bool ParseColour(const std::string& text, Rgb& colour) {
    const auto parts = Split(text, ',');
    if (parts.size() != 3) return false;
    long long v[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!ParseInt(parts[i], 0, 255, v[i])) return false;
    }
    colour = {static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
              static_cast<std::uint8_t>(v[2])};
    return true;
}

bool ParseKeys(const std::string& text, std::vector<KeyScriptEvent>& events) {
    for (const std::string& item : Split(text, ',')) {
        const auto parts = Split(item, ':');
        long long step = 0;
        long long led = 0;
        if (parts.size() != 3 || !ParseInt(parts[0], 0, 1000000, step) ||
            !ParseInt(parts[1], 0, kMaxLeds - 1, led) || (parts[2] != "down" && parts[2] != "up")) {
            return false;
        }
        events.push_back({static_cast<int>(step), static_cast<int>(led),
                          parts[2] == "down" ? kKeyDown : kKeyUp});
    }
    return true;
}

bool ReadLevels(const std::string& path, std::vector<std::vector<std::int32_t>>& lines,
                std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(file, line) && lines.size() < 100000) {
        ++number;
        std::istringstream fields(line);
        std::vector<std::int32_t> levels;
        std::string field;
        while (fields >> field) {
            long long v = 0;
            if (!ParseInt(field, INT32_MIN, INT32_MAX, v)) {
                error = path + ":" + std::to_string(number) + ": \"" + field + "\" is not a level";
                return false;
            }
            levels.push_back(static_cast<std::int32_t>(v));
        }
        if (levels.empty()) continue;
        if (levels.size() != kSoundLevelCount) {
            error = path + ":" + std::to_string(number) + ": 25 levels expected, found " +
                    std::to_string(levels.size());
            return false;
        }
        lines.push_back(std::move(levels));
    }
    if (lines.empty()) {
        error = path + " holds no levels";
        return false;
    }
    return true;
}

// Returns an error text, empty when the options are good.
std::string ParseOptions(Args args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string v;
        long long n = 0;
        if (arg == "--colourful") {
            o.settings.colourful = 1;
            o.audio.foregroundColourful = 1;
        } else if (arg == "--json") {
            o.json = true;
        } else if (!value(v)) {
            return arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unexpected \"" + arg + "\"";
        } else if (arg == "--id") {
            for (const std::string& part : Split(v, ',')) {
                if (!ParseInt(part, 0, 255, n)) return "--id takes effect ids 0-255";
                o.ids.push_back(static_cast<int>(n));
            }
        } else if (arg == "--device") {
            const auto family = FamilyFromName(v);
            if (!family) return "--device takes keyboard, mouse, pad or headset";
            o.device = *family;
        } else if (arg == "--steps") {
            if (!ParseInt(v, 1, kMaxSteps, n)) return "--steps takes 1-2000";
            o.steps = static_cast<int>(n);
        } else if (arg == "--every") {
            if (!ParseInt(v, 1, kMaxEvery, n)) return "--every takes 1-1000";
            o.every = static_cast<int>(n);
        } else if (arg == "--brightness" || arg == "--speed") {
            if (!ParseInt(v, 0, 4, n)) return arg + " takes 0-4";
            (arg == "--speed" ? o.settings.speed : o.settings.brightness) =
                static_cast<std::uint8_t>(n);
        } else if (arg == "--direction") {
            if (!ParseInt(v, 0, 1, n)) return "--direction takes 0 or 1";
            o.settings.direction = static_cast<std::uint8_t>(n);
        } else if (arg == "--colour") {
            if (!ParseColour(v, o.settings.colour)) return "--colour takes R,G,B of 0-255";
            o.audio.foreground = o.settings.colour;
        } else if (arg == "--background") {
            if (!ParseColour(v, o.audio.background)) return "--background takes R,G,B of 0-255";
        } else if (arg == "--preset") {
            if (!ParseInt(v, 0, 3, n)) return "--preset takes 0-3";
            o.settings.presetColour = static_cast<std::uint8_t>(n);
        } else if (arg == "--style") {
            for (const std::string& part : Split(v, ',')) {
                if (!ParseInt(part, 0, 6, n)) return "--style takes styles 0-6";
                o.styles.push_back(static_cast<int>(n));
            }
        } else if (arg == "--seed") {
            if (!ParseInt(v, 0, UINT32_MAX, n)) return "--seed takes 0-4294967295";
            o.seed = static_cast<std::uint32_t>(n);
        } else if (arg == "--levels") {
            o.levelsPath = v;
        } else if (arg == "--keys") {
            std::vector<KeyScriptEvent> events;
            if (!ParseKeys(v, events)) return "--keys takes STEP:LED:down|up,...";
            o.keys = std::move(events);
        } else if (arg == "--out") {
            o.out = v;
        } else {
            return "unknown option " + arg;
        }
    }
    if (o.ids.empty()) return "--id is required";
    if (o.styles.empty()) o.styles.push_back(0);
    std::size_t runs = 0;
    for (const int id : o.ids) {
        const EffectInfo* effect = FindEffect(o.device, id);
        if (effect == nullptr) {
            std::string known;
            for (const EffectInfo& e : Effects(o.device))
                known += (known.empty() ? "" : ",") + std::to_string(e.id);
            return "effect " + std::to_string(id) + " is not a " +
                   std::string(FamilyName(o.device)) + " effect (its effects: " + known + ")";
        }
        runs += effect->feed == EffectFeed::SoundLevels ? o.styles.size() : 1;
    }
    if (runs > 16) return "at most 16 effects per sheet";
    return {};
}

// The sound styles an effect is run with: each given style for the sound effect, else one run.
std::vector<int> StylesOf(const Options& o, const EffectInfo& effect) {
    if (effect.feed == EffectFeed::SoundLevels) return o.styles;
    return {o.styles.front()};
}

// The built-in test signal: each band rises and falls between 0 and 2400, the bands out of step.
std::vector<std::int32_t> TestSignal(int feed) {
    std::vector<std::int32_t> levels(kSoundLevelCount);
    for (int j = 0; j < kSoundLevelCount; ++j) {
        const int p = (feed * 97 + j * 190) % 4800;
        levels[j] = p < 2400 ? p : 4800 - p;
    }
    return levels;
}

// Presses for the key effects when no --keys are given, repeating every 16 steps.
void ScriptedKeys(KeyboardLighting& engine, int step) {
    static constexpr KeyScriptEvent kScript[] = {{0, 51, kKeyDown}, {3, 72, kKeyDown},
                                                 {6, 51, kKeyUp},   {9, 72, kKeyUp},
                                                 {11, 5, kKeyDown}, {13, 5, kKeyUp}};
    for (const KeyScriptEvent& e : kScript) {
        if (step % 16 == e.step) engine.OnLedKeyEvent(e.led, e.kind);
    }
}

std::unique_ptr<LightingEngine> MakeEngine(EffectFamily device, EngineSources sources) {
    switch (device) {
        case EffectFamily::Mouse:
            return std::make_unique<MouseLighting>(kMouseLedCount, sources);
        case EffectFamily::Pad:
            return std::make_unique<PadLighting>(kPadLedCount, sources);
        case EffectFamily::Headset:
            return std::make_unique<HeadsetLighting>(sources);
        default:
            return std::make_unique<KeyboardLighting>(sources);
    }
}

// Runs one effect and returns the frame after every M-th step, K of them. Each pass of the
// simulated light thread moves the clock by one tick, so timed effects keep their pace.
std::vector<LightFrame> RenderFrames(const Options& o, const EffectInfo& effect, int style) {
    ManualTickSource clock(0);
    SeededRandSource random(o.seed);
    LightingModuleState module;
    const std::unique_ptr<LightingEngine> engine = MakeEngine(o.device, {&clock, &random, &module});
    auto* keyboard = dynamic_cast<KeyboardLighting*>(engine.get());
    auto* mouse = dynamic_cast<MouseLighting*>(engine.get());
    LightSettings settings = o.settings;
    settings.effectId = static_cast<std::uint8_t>(effect.id);
    if (keyboard != nullptr) {
        AudioLightSettings audio = o.audio;
        audio.style = static_cast<std::uint8_t>(style);
        keyboard->SetAudioLightSettings(audio);
    }
    engine->ApplySettings(settings);

    StepTicker ticker;
    ticker.Start(clock.NowMs());
    std::vector<LightFrame> frames;
    int step = 0;
    const int total = o.steps * o.every;
    for (long long pass = 0; step < total && pass < 1000000; ++pass) {
        clock.Advance(ticker.TickMs());
        ticker.Count(clock.NowMs());
        const int threshold = engine->StepThreshold();
        if (threshold >= 0 && !ticker.Due(threshold)) continue;
        if (keyboard != nullptr && effect.keys != KeyReaction::None) {
            if (o.keys) {
                for (const KeyScriptEvent& e : *o.keys) {
                    if (e.step == step) keyboard->OnLedKeyEvent(e.led, e.kind);
                }
            } else {
                ScriptedKeys(*keyboard, step);
            }
        }
        if (keyboard != nullptr && effect.feed == EffectFeed::SoundLevels) {
            const auto levels =
                o.levels.empty() ? TestSignal(step) : o.levels[step % o.levels.size()];
            keyboard->FeedAudioLevels(levels);
        }
        if (mouse != nullptr && effect.keys == KeyReaction::Press && step % 12 == 0) {
            mouse->OnPress();
        }
        engine->Step();
        ++step;
        if (step % o.every == 0) frames.push_back(engine->Frame());
    }
    return frames;
}

// --- the contact sheet

constexpr int kPitch = 16;  // one key place
constexpr int kKey = 14;    // the drawn key inside it
constexpr int kRowGap = 4;
constexpr int kColumnGap = 12;
constexpr std::uint8_t kBackdrop = 40;

struct Sheet {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    void Fill(int x, int y, int w, int h, Rgb c) {
        for (int yy = y; yy < y + h && yy < height; ++yy) {
            for (int xx = x; xx < x + w && xx < width; ++xx) {
                std::uint8_t* p = &rgb[(static_cast<std::size_t>(yy) * width + xx) * 3];
                p[0] = c.red;
                p[1] = c.green;
                p[2] = c.blue;
            }
        }
    }
};

void DrawFrame(Sheet& sheet, int x0, int y0, const LightFrame& frame, EffectFamily device) {
    if (device == EffectFamily::Keyboard) {
        for (int c = 0; c < kGridColumns; ++c) {
            for (int r = 0; r < kGridRows; ++r) {
                const int led = kKeyGrid[c][r];
                if (led >= frame.size) continue;
                sheet.Fill(x0 + c * kPitch + 1, y0 + r * kPitch + 1, kKey, kKey,
                           ShownColour(frame.leds[led]));
            }
        }
        return;
    }
    for (int led = 0; led < frame.size; ++led) {
        sheet.Fill(x0 + led * kPitch + 1, y0 + 1, kKey, kKey, ShownColour(frame.leds[led]));
    }
}

int Render(Context& context, const Options& o) {
    if (o.out.empty()) {
        context.err << "qx580ctl: effect render needs --out FILE.png\n";
        return kExitUsage;
    }
    std::vector<std::vector<LightFrame>> runs;
    for (const int id : o.ids) {
        const EffectInfo& effect = *FindEffect(o.device, id);
        for (const int style : StylesOf(o, effect)) runs.push_back(RenderFrames(o, effect, style));
    }
    const bool keyboard = o.device == EffectFamily::Keyboard;
    const int ledCount = runs.front().empty() ? 0 : runs.front().front().size;
    const int cellW = (keyboard ? kGridColumns : std::max(ledCount, 1)) * kPitch;
    const int cellH = (keyboard ? kGridRows : 1) * kPitch;
    Sheet sheet;
    sheet.width = static_cast<int>(runs.size()) * (cellW + kColumnGap) + kColumnGap;
    sheet.height = o.steps * (cellH + kRowGap) + kRowGap;
    sheet.rgb.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 3, kBackdrop);
    for (std::size_t col = 0; col < runs.size(); ++col) {
        for (std::size_t row = 0; row < runs[col].size(); ++row) {
            DrawFrame(sheet, kColumnGap + static_cast<int>(col) * (cellW + kColumnGap),
                      kRowGap + static_cast<int>(row) * (cellH + kRowGap), runs[col][row],
                      o.device);
        }
    }
    std::string error;
    if (!WritePng(o.out, sheet.width, sheet.height, sheet.rgb, error)) {
        context.err << "qx580ctl: " << error << "\n";
        return kExitFailure;
    }
    context.out << o.out << ": " << runs.size() << " run(s), " << o.steps << " steps, "
                << sheet.width << "x" << sheet.height << "\n";
    return kExitOk;
}

Json::Value FramesJson(const std::vector<LightFrame>& frames) {
    Json::Value list(Json::arrayValue);
    for (const LightFrame& frame : frames) {
        Json::Value leds(Json::arrayValue);
        for (int i = 0; i < frame.size; ++i) {
            const LedRecord& r = frame.leds[i];
            Json::Value led(Json::arrayValue);
            led.append(r.red);
            led.append(r.green);
            led.append(r.blue);
            led.append(r.level);
            leds.append(led);
        }
        list.append(leds);
    }
    return list;
}

int Frames(Context& context, const Options& o) {
    Json::Value effects(Json::arrayValue);
    for (const int id : o.ids) {
        const EffectInfo& effect = *FindEffect(o.device, id);
        for (const int style : StylesOf(o, effect)) {
            Json::Value entry(Json::objectValue);
            entry["Id"] = id;
            if (effect.feed == EffectFeed::SoundLevels) entry["Style"] = style;
            entry["Every"] = o.every;
            entry["Frames"] = FramesJson(RenderFrames(o, effect, style));
            effects.append(entry);
        }
    }
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    context.out << Json::writeString(builder, effects.size() == 1 ? effects[0] : effects) << "\n";
    return kExitOk;
}

// --- the catalogue

const char* PaceName(StepPace pace) {
    switch (pace) {
        case StepPace::SpeedTable:
            return "speed-table";
        case StepPace::Fixed:
            return "fixed";
        case StepPace::Preview:
            return "preview";
        case StepPace::MouseSweep:
            return "mouse-sweep";
        case StepPace::EveryPass:
            break;
    }
    return "every-pass";
}

const char* StartUpName(StartUp startUp) {
    switch (startUp) {
        case StartUp::SpacedColours:
            return "spaced-colours";
        case StartUp::ScriptedShow:
            return "scripted-show";
        case StartUp::SeedColumn9:
            return "seed-column-9";
        case StartUp::ColumnStart:
            return "column-start";
        case StartUp::StaggeredPhases:
            return "staggered-phases";
        case StartUp::StaggeredTimers:
            return "staggered-timers";
        case StartUp::CustomColours:
            return "custom-colours";
        case StartUp::SeedColumn1:
            return "seed-column-1";
        case StartUp::FadeRestart:
            return "fade-restart";
        case StartUp::None:
            break;
    }
    return "none";
}

const char* KeysName(KeyReaction keys) {
    switch (keys) {
        case KeyReaction::Glow:
            return "glow";
        case KeyReaction::Flash:
            return "flash";
        case KeyReaction::Seed:
            return "seed";
        case KeyReaction::Press:
            return "press";
        case KeyReaction::None:
            break;
    }
    return "none";
}

const char* FeedName(EffectFeed feed) {
    switch (feed) {
        case EffectFeed::SoundLevels:
            return "sound-levels";
        case EffectFeed::HostColour:
            return "host-colour";
        case EffectFeed::None:
            break;
    }
    return "none";
}

int List(Context& context, Args args) {
    std::vector<EffectFamily> families(std::begin(kEffectFamilies), std::end(kEffectFamilies));
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--device" && i + 1 < args.size()) {
            const auto family = FamilyFromName(args[++i]);
            if (!family) {
                context.err << "qx580ctl: --device takes keyboard, mouse, pad or headset\n";
                return kExitUsage;
            }
            families = {*family};
        } else {
            context.err << "qx580ctl: "
                        << (args[i] == "--device" ? "--device needs a value"
                                                  : "unknown option " + args[i])
                        << "\n"
                        << kEffectUsage;
            return kExitUsage;
        }
    }
    Json::Value rows(Json::arrayValue);
    std::ostringstream text;
    text << "device    id  name                                pace         ticks(0-4)      "
            "start-up          keys   feed\n";
    for (const EffectFamily family : families) {
        for (const EffectInfo& e : Effects(family)) {
            Json::Value row(Json::objectValue);
            row["Device"] = std::string(FamilyName(family));
            row["Id"] = e.id;
            row["Name"] = std::string(e.nameKey);
            row["Pace"] = PaceName(e.pace);
            row["SpeedRow"] = e.speedRow >= 0 ? Json::Value(e.speedRow) : Json::Value();
            Json::Value ticks(Json::arrayValue);
            std::string tickText;
            for (int speed = 0; speed < 5; ++speed) {
                const int t = StepThresholdOf(e, speed);
                ticks.append(t);
                tickText += (speed == 0 ? "" : ",") + std::to_string(t);
            }
            row["Ticks"] = ticks;
            row["StartUp"] = StartUpName(e.startUp);
            row["RestartOnApply"] = e.restartOnApply;
            row["Keys"] = KeysName(e.keys);
            row["Feed"] = FeedName(e.feed);
            rows.append(row);

            char line[200];
            std::snprintf(line, sizeof line, "%-8s %3d  %-35s %-12s %-15s %-17s %-6s %s\n",
                          std::string(FamilyName(family)).c_str(), e.id,
                          std::string(e.nameKey).c_str(), PaceName(e.pace), tickText.c_str(),
                          StartUpName(e.startUp), KeysName(e.keys), FeedName(e.feed));
            text << line;
        }
    }
    if (json) {
        WriteJson(context.out, rows);
    } else {
        context.out << text.str();
    }
    return kExitOk;
}

}  // namespace

int RunEffectCommand(Context& context, Args args) {
    if (!args.empty() && args[0] == "list") return List(context, args.subspan(1));
    if (args.empty() || (args[0] != "render" && args[0] != "frames")) {
        context.err << kEffectUsage;
        return kExitUsage;
    }
    Options o;
    const std::string problem = ParseOptions(args.subspan(1), o);
    if (!problem.empty()) {
        context.err << "qx580ctl: " << problem << "\n" << kEffectUsage;
        return kExitUsage;
    }
    if (!o.levelsPath.empty()) {
        std::string error;
        if (!ReadLevels(o.levelsPath, o.levels, error)) {
            context.err << "qx580ctl: " << error << "\n";
            return kExitFailure;
        }
    }
    return args[0] == "render" ? Render(context, o) : Frames(context, o);
}

}  // namespace qx::ctl
