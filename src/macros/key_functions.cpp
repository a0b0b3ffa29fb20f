#include "macros/key_functions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "macros/key_code_rows.h"

namespace qx {
namespace {

using namespace key_category;

constexpr std::array<KeyFunction, 5> kMouseButtons{{{kMouseButton, 1, 0},
                                                    {kMouseButton, 4, 0},
                                                    {kMouseButton, 2, 0},
                                                    {kMouseButton, 16, 0},
                                                    {kMouseButton, 8, 0}}};
constexpr std::array<KeyFunction, 3> kDpiRows{{{kDpi, 1, 0}, {kDpi, 2, 0}, {kDpi, 3, 0}}};
constexpr std::array<uint16_t, 18> kConsumerUsages{0x183, 0xCD,  0xB7,  0xB6,  0xB5,  0xEA,
                                                   0xE9,  0xE2,  0x223, 0x227, 0x226, 0x224,
                                                   0x225, 0x22A, 0x221, 0x194, 0x192, 0x18A};
constexpr std::array<KeyFunction, 3> kSystemRows{
    {{kSystem, 1, 0}, {kSystem, 2, 0}, {kSystem, 4, 0}}};
constexpr std::array<uint8_t, 11> kCombinationUsages{0x12, 0x11, 0x1D, 0x16, 0x06, 0x1B,
                                                     0x19, 0x09, 0x04, 0x2D, 0x2E};

constexpr std::array<KeyFunction, 18> MakeMedia() {
    std::array<KeyFunction, 18> rows{};
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = {kMedia, static_cast<uint8_t>(kConsumerUsages[i] & 0xFF),
                   static_cast<uint8_t>(kConsumerUsages[i] >> 8)};
    return rows;
}
constexpr std::array<KeyFunction, 18> kMediaRows = MakeMedia();

constexpr std::array<KeyFunction, 11> MakeCombinations() {
    std::array<KeyFunction, 11> rows{};
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = {kKeyboard, 1, kCombinationUsages[i]};
    return rows;
}
constexpr std::array<KeyFunction, 11> kCombinations = MakeCombinations();

// The row of a table equal to (P1, P2); -1 when none.
int RowOf(std::span<const KeyFunction> table, const KeyFunction& function) {
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].p1 == function.p1 && table[i].p2 == function.p2) return static_cast<int>(i);
    return -1;
}

// The table row at a combo index; `current` for no selection (or an index past the table).
KeyFunction At(std::span<const KeyFunction> table, int index, const KeyFunction& current) {
    if (index < 0 || index >= static_cast<int>(table.size())) return current;
    return table[static_cast<size_t>(index)];
}

// Delay and speed share P1: delay in the high half, speed in the low.
uint8_t DelaySpeed(int delay, int speed) {
    return static_cast<uint8_t>((delay & 0x0F) << 4 | (speed & 0x0F));
}

constexpr int kModifierRows = 8;

// --- text form

std::string Lower(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

constexpr std::array<const char*, 5> kMouseWords{"left", "middle", "right", "forward", "back"};
constexpr std::array<const char*, 3> kDpiWords{"up", "down", "cycle"};
constexpr std::array<const char*, 18> kMediaWords{
    "player",      "play",           "stop",       "prev",        "next",       "volume-down",
    "volume-up",   "mute",           "web-home",   "web-refresh", "web-stop",   "web-back",
    "web-forward", "web-favourites", "web-search", "computer",    "calculator", "mail"};
constexpr std::array<const char*, 3> kSystemWords{"power", "sleep", "wake"};
constexpr std::array<const char*, 4> kModifierWords{"ctrl", "shift", "alt", "win"};

template <size_t N>
int WordIndex(const std::array<const char*, N>& words, std::string_view word) {
    const std::string wanted = Lower(word);
    for (size_t i = 0; i < N; ++i)
        if (wanted == words[i]) return static_cast<int>(i);
    return -1;
}

template <size_t N>
std::string Joined(const std::array<const char*, N>& words) {
    std::string out;
    for (const char* word : words) out += std::string(out.empty() ? "" : "|") + word;
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

std::optional<int> Number(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// "name=value" settings after the first word; each in [0, maximum].
struct Settings {
    std::vector<std::pair<std::string, int>> values;
    std::string error;
    int Get(const std::string& name, int fallback) const {
        for (const auto& [key, value] : values)
            if (key == name) return value;
        return fallback;
    }
};

Settings ReadSettings(std::span<const std::string_view> parts,
                      std::initializer_list<std::pair<const char*, int>> known) {
    Settings settings;
    for (std::string_view part : parts) {
        const size_t equals = part.find('=');
        const std::string name = Lower(part.substr(0, equals));
        const auto* entry = std::find_if(known.begin(), known.end(),
                                         [&](const auto& k) { return name == k.first; });
        if (equals == std::string_view::npos || entry == known.end()) {
            settings.error = "unknown setting \"" + std::string(part) + "\"";
            return settings;
        }
        const std::optional<int> value = Number(part.substr(equals + 1));
        if (!value || *value < 0 || *value > entry->second) {
            settings.error = name + " must be a number from 0 to " + std::to_string(entry->second);
            return settings;
        }
        settings.values.emplace_back(name, *value);
    }
    return settings;
}

ParsedFunction Error(std::string text) { return {std::nullopt, false, std::move(text)}; }
ParsedFunction Made(KeyFunction function) { return {function, false, {}}; }

std::string Hex(const KeyFunction& function) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X%02X%02X", function.category, function.p1, function.p2);
    return text;
}

}  // namespace

KeyFunction KeyFunction::FromValue(int value) {
    const auto bits = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 8),
            static_cast<uint8_t>(bits)};
}

std::span<const KeyFunction> MouseButtonFunctions() { return kMouseButtons; }
std::span<const KeyFunction> DpiFunctions() { return kDpiRows; }
std::span<const KeyFunction> MediaFunctions() { return kMediaRows; }
std::span<const KeyFunction> SystemFunctions() { return kSystemRows; }
std::span<const KeyFunction> CombinationFunctions() { return kCombinations; }

bool FunctionOffered(int function, bool keyboard) {
    if (function < 0 || function >= kFunctionCount) return false;
    return !(keyboard && (function == kFunctionDpi || function == kFunctionGun));
}

int ModifierCheckOfRow(int row) { return (row + 1) % 5 + (row + 1) / 5; }

void ShowFunction(KeyFunction& current, int macroCount, KeyFunctionForm& form) {
    const uint8_t p1 = current.p1;
    const uint8_t p2 = current.p2;
    switch (current.category) {
        case kDefault:
            form.function = kFunctionDefault;
            break;
        case kMouseButton:
            form.function = kFunctionMouseButton;
            form.mouseButton = RowOf(kMouseButtons, current);
            break;
        case kSwing:
            form.function = kFunctionSwing;
            form.swingDelay = p1 >> 4;
            form.swingSpeed = p1 & 0x0F;
            form.swingCount = p2 & 0x7F;
            form.swingDirection = (p2 & 0x80) != 0 ? 1 : 0;
            break;
        case kWheel:
            form.function = kFunctionWheel;
            form.wheelDelay = p1 >> 4;
            form.wheelSpeed = p1 & 0x0F;
            form.wheelCount = (p2 & 0x80) != 0 ? 128 - (p2 & 0x7F) : p2;
            form.wheelDirection = (p2 & 0x80) != 0 ? 1 : 0;
            break;
        case kDpi:
            form.function = kFunctionDpi;
            form.dpi = RowOf(kDpiRows, current);
            break;
        case kRapidFire:
            form.function = kFunctionRapidFire;
            form.fireInterval = p1;
            form.fireCount = p2;
            break;
        case kKeyboard:
            if (p1 > 128) {
                form.function = kFunctionCombination;
                form.combination = RowOf(kCombinations, current);
                break;
            }
            form.function = kFunctionKeyboard;
            if (p1 == 0) {
                const std::optional<int> row = FindUsageRow(p2);
                if (!row) {
                    form.keyRow = -1;
                    form.modifierCheck = -1;
                    current.p1 = 0;
                    current.p2 = 0;
                    break;
                }
                form.modifierCheck = 0;
                form.keyRow = *row;
                break;
            }
            form.modifierCheck = 0;
            for (int row = 0; row < kModifierRows; ++row) {
                if (KeyCodeRows()[static_cast<size_t>(row)].first == p1) {
                    form.modifierCheck = ModifierCheckOfRow(row);
                    break;
                }
            }
            form.keyRow = FindUsageRow(p2).value_or(-1);
            break;
        case kMedia:
            form.function = kFunctionMedia;
            form.media = RowOf(kMediaRows, current);
            break;
        case kSystem:
            form.function = kFunctionSystem;
            form.system = RowOf(kSystemRows, current);
            break;
        case kMacro: {
            form.function = kFunctionMacro;
            const bool known = p1 < macroCount;
            form.macro = known ? p1 : -1;
            form.macroRepeat = known && p2 < kMacroRepeatModes ? p2 : -1;
            form.macroTimesShown = false;
            break;
        }
        case kMacroTimes: {
            form.function = kFunctionMacro;
            const bool known = p1 < macroCount;
            form.macro = known ? p1 : -1;
            form.macroTimesShown = known;
            form.macroTimes = p2;
            form.macroRepeat = kMacroRepeatTimes;
            break;
        }
        case kGun:
            form.function = kFunctionGun;
            form.gunKey = p1 < kGunKeyCount ? p1 : -1;
            break;
        case kCombinationNone:
            form.function = kFunctionCombination;
            form.combination = -1;
            break;
        default:
            form.function = kFunctionNone;
            break;
    }
}

KeyFunction ReadFunction(const KeyFunctionForm& form, const KeyFunction& current,
                         const KeyFunction& defaults, int macroCount) {
    switch (form.function) {
        case kFunctionMouseButton:
            return At(kMouseButtons, form.mouseButton, current);
        case kFunctionDpi:
            return At(kDpiRows, form.dpi, current);
        case kFunctionMedia:
            return At(kMediaRows, form.media, current);
        case kFunctionSystem:
            return At(kSystemRows, form.system, current);
        case kFunctionCombination:
            return At(kCombinations, form.combination, current);
        case kFunctionSwing: {
            uint8_t p2 = static_cast<uint8_t>(form.swingCount & 0x7F);
            if (form.swingDirection == 1) p2 |= 0x80;
            return {kSwing, DelaySpeed(form.swingDelay, form.swingSpeed), p2};
        }
        case kFunctionWheel: {
            // The second direction is the count's negative as a signed byte. A count of 0 stays
            // 0 (no steps) instead of becoming -128.
            const int count = form.wheelCount & 0x7F;
            const uint8_t p2 = form.wheelDirection == 1 ? static_cast<uint8_t>(-count)
                                                        : static_cast<uint8_t>(count);
            return {kWheel, DelaySpeed(form.wheelDelay, form.wheelSpeed), p2};
        }
        case kFunctionRapidFire:
            return {kRapidFire, static_cast<uint8_t>(form.fireInterval),
                    static_cast<uint8_t>(form.fireCount)};
        case kFunctionKeyboard: {
            const uint8_t p1 = static_cast<uint8_t>(
                form.modifierCheck >= 1 && form.modifierCheck <= 4 ? 1 << (form.modifierCheck - 1)
                                                                   : 0);
            uint8_t usage = 0;
            if (form.keyRow >= 0 && form.keyRow < kKeyCodeRowCount)
                usage = KeyCodeRows()[static_cast<size_t>(form.keyRow)].second;
            return {kKeyboard, p1, usage};
        }
        case kFunctionMacro: {
            if (macroCount <= 0 || form.macro < 0 || form.macro >= macroCount) return current;
            const auto number = static_cast<uint8_t>(form.macro);
            if (form.macroRepeat == kMacroRepeatTimes)
                return {kMacroTimes, number, static_cast<uint8_t>(form.macroTimes)};
            // Without a repeat mode chosen the first one is meant.
            const int mode = form.macroRepeat >= 0 && form.macroRepeat < kMacroRepeatModes
                                 ? form.macroRepeat
                                 : 0;
            return {kMacro, number, static_cast<uint8_t>(mode)};
        }
        case kFunctionGun:
            if (form.gunKey < 0 || form.gunKey >= kGunKeyCount) return current;
            return {kGun, static_cast<uint8_t>(form.gunKey), 0};
        default:
            return defaults;
    }
}

bool CaptureKeyRow(int row, KeyFunctionForm& form) {
    if (row < 0 || row >= kKeyCodeRowCount) return false;
    if (row < kModifierRows) {
        form.modifierCheck = ModifierCheckOfRow(row);
        return true;
    }
    if (KeyCodeRows()[static_cast<size_t>(row)].category != kKeyboard) return false;
    form.keyRow = row;
    return true;
}

bool HoldsLastLeftButton(std::span<const KeyAssignRecord> keyList, int key) {
    if (key < 0 || key >= static_cast<int>(keyList.size())) return false;
    const KeyFunction left = kMouseButtons[0];
    if (KeyFunction::Of(keyList[static_cast<size_t>(key)].current) != left) return false;
    for (size_t i = 0; i < keyList.size(); ++i)
        if (static_cast<int>(i) != key && KeyFunction::Of(keyList[i].current) == left) return false;
    return true;
}

// --- text form

std::string ScriptKeyName(int row) {
    if (row < 0 || row >= kKeyCodeRowCount) return {};
    std::string_view name = KeyCodeRows()[static_cast<size_t>(row)].nameKey;
    constexpr std::string_view kPrefix = "keyboard_key_";
    if (name.substr(0, kPrefix.size()) == kPrefix) name.remove_prefix(kPrefix.size());
    if (name == "xiegang") return "\\";
    if (name == "<") return ",";
    return std::string(name);
}

std::optional<int> RowOfScriptKeyName(std::string_view name) {
    const std::string wanted = Lower(name);
    if (wanted.empty()) return std::nullopt;
    for (int row = 0; row < kKeyCodeRowCount; ++row)
        if (Lower(ScriptKeyName(row)) == wanted) return row;
    return std::nullopt;
}

std::optional<int> RowOfFunction(const KeyFunction& function) {
    for (int row = 0; row < kKeyCodeRowCount; ++row) {
        const KeyCodeRow& r = KeyCodeRows()[static_cast<size_t>(row)];
        if (r.category == function.category && r.first == function.p1 && r.second == function.p2)
            return row;
    }
    return std::nullopt;
}

ParsedFunction ParseFunctionText(std::string_view text, int macroCount) {
    const size_t colon = text.find(':');
    const std::string kind = Lower(text.substr(0, colon));
    const std::string_view rest =
        colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    const std::vector<std::string_view> parts =
        rest.empty() ? std::vector<std::string_view>{} : Split(rest, ',');
    auto first = [&parts]() { return parts.empty() ? std::string_view() : parts[0]; };
    const std::span<const std::string_view> after =
        parts.empty() ? std::span<const std::string_view>()
                      : std::span<const std::string_view>(parts).subspan(1);

    if (kind == "default" && rest.empty()) return {std::nullopt, true, {}};
    if (kind == "mouse") {
        const int i = WordIndex(kMouseWords, first());
        if (i < 0 || parts.size() != 1)
            return Error("a mouse button is one of " + Joined(kMouseWords));
        return Made(kMouseButtons[static_cast<size_t>(i)]);
    }
    if (kind == "swing" || kind == "wheel") {
        const bool swing = kind == "swing";
        const int direction = swing
                                  ? WordIndex(std::array<const char*, 2>{"left", "right"}, first())
                                  : WordIndex(std::array<const char*, 2>{"up", "down"}, first());
        if (direction < 0)
            return Error(swing ? "a swing goes left or right" : "the wheel goes up or down");
        const Settings s = ReadSettings(after, {{"count", 127}, {"delay", 15}, {"speed", 15}});
        if (!s.error.empty()) return Error(s.error);
        KeyFunctionForm form;
        form.function = swing ? kFunctionSwing : kFunctionWheel;
        (swing ? form.swingDirection : form.wheelDirection) = direction;
        (swing ? form.swingCount : form.wheelCount) = s.Get("count", 1);
        (swing ? form.swingDelay : form.wheelDelay) = s.Get("delay", 0);
        (swing ? form.swingSpeed : form.wheelSpeed) = s.Get("speed", 0);
        return Made(ReadFunction(form, {}, {}, macroCount));
    }
    if (kind == "dpi") {
        const int i = WordIndex(kDpiWords, first());
        if (i < 0 || parts.size() != 1) return Error("a DPI step is one of " + Joined(kDpiWords));
        return Made(kDpiRows[static_cast<size_t>(i)]);
    }
    if (kind == "fire") {
        const Settings s = ReadSettings(parts, {{"interval", 255}, {"count", 255}});
        if (!s.error.empty()) return Error(s.error);
        return Made({kRapidFire, static_cast<uint8_t>(s.Get("interval", 0)),
                     static_cast<uint8_t>(s.Get("count", 0))});
    }
    if (kind == "key") {
        std::string_view name = rest;
        uint8_t modifiers = 0;
        bool matched = true;
        while (matched) {
            matched = false;
            for (size_t m = 0; m < kModifierWords.size(); ++m) {
                const std::string prefix = std::string(kModifierWords[m]) + "+";
                if (Lower(name.substr(0, prefix.size())) == prefix && name.size() > prefix.size()) {
                    modifiers |= static_cast<uint8_t>(1 << m);
                    name.remove_prefix(prefix.size());
                    matched = true;
                }
            }
        }
        if (Lower(name) == "none" && modifiers == 0) return Made({kKeyboard, 0, 0});
        const std::optional<int> modifierOnly =
            WordIndex(kModifierWords, name) >= 0
                ? std::optional<int>(WordIndex(kModifierWords, name))
                : std::nullopt;
        if (modifierOnly) {
            modifiers |= static_cast<uint8_t>(1 << *modifierOnly);
            if ((modifiers & (modifiers - 1)) != 0)
                return Error("a key carries one modifier (ctrl, shift, alt or win)");
            return Made({kKeyboard, modifiers, 0});
        }
        if ((modifiers & (modifiers - 1)) != 0)
            return Error("a key carries one modifier (ctrl, shift, alt or win)");
        const std::optional<int> row = RowOfScriptKeyName(name);
        const KeyCodeRow* found = row ? &KeyCodeRows()[static_cast<size_t>(*row)]
                                      : static_cast<const KeyCodeRow*>(nullptr);
        if (found == nullptr || found->category != kKeyboard || found->first != 0)
            return Error("unknown key \"" + std::string(name) +
                         "\" (keys are named as on the key caps: A, F1, Enter, Space, ...)");
        return Made({kKeyboard, modifiers, found->second});
    }
    if (kind == "media") {
        const int i = WordIndex(kMediaWords, first());
        if (i < 0 || parts.size() != 1)
            return Error("a media key is one of " + Joined(kMediaWords));
        return Made(kMediaRows[static_cast<size_t>(i)]);
    }
    if (kind == "system") {
        const int i = WordIndex(kSystemWords, first());
        if (i < 0 || parts.size() != 1)
            return Error("a system key is one of " + Joined(kSystemWords));
        return Made(kSystemRows[static_cast<size_t>(i)]);
    }
    if (kind == "macro") {
        const std::optional<int> number = Number(first());
        if (!number || *number < 0)
            return Error("a macro is named by its number (from 0) in the device's macro list");
        if (*number >= macroCount)
            return Error("there is no macro " + std::to_string(*number) + "; the device has " +
                         std::to_string(macroCount));
        const Settings s = ReadSettings(after, {{"mode", kMacroRepeatModes - 1}, {"count", 255}});
        if (!s.error.empty()) return Error(s.error);
        if (s.values.size() > 1) return Error("a macro takes a mode or a count, not both");
        const auto p1 = static_cast<uint8_t>(*number);
        if (!s.values.empty() && s.values[0].first == "count")
            return Made({kMacroTimes, p1, static_cast<uint8_t>(s.values[0].second)});
        return Made({kMacro, p1, static_cast<uint8_t>(s.Get("mode", 0))});
    }
    if (kind == "gun") {
        const std::optional<int> number = Number(first());
        if (!number || *number < 0 || *number >= kGunKeyCount || parts.size() != 1)
            return Error("a gun key is a number from 0 to " + std::to_string(kGunKeyCount - 1));
        return Made({kGun, static_cast<uint8_t>(*number), 0});
    }
    return Error("unknown function \"" + std::string(text) + "\"");
}

std::string FunctionText(const KeyFunction& f) {
    auto word = [&f](std::span<const KeyFunction> table, auto& words,
                     const char* kind) -> std::string {
        const int row = RowOf(table, f);
        if (row < 0) return "raw:" + Hex(f);
        return std::string(kind) + ":" + words[static_cast<size_t>(row)];
    };
    const auto settings = [](int count, int delay, int speed) {
        return ",count=" + std::to_string(count) + ",delay=" + std::to_string(delay) +
               ",speed=" + std::to_string(speed);
    };
    switch (f.category) {
        case kMouseButton:
            return word(kMouseButtons, kMouseWords, "mouse");
        case kSwing:
            return std::string("swing:") + ((f.p2 & 0x80) != 0 ? "right" : "left") +
                   settings(f.p2 & 0x7F, f.p1 >> 4, f.p1 & 0x0F);
        case kWheel: {
            const bool down = (f.p2 & 0x80) != 0;
            return std::string("wheel:") + (down ? "down" : "up") +
                   settings(down ? 128 - (f.p2 & 0x7F) : f.p2, f.p1 >> 4, f.p1 & 0x0F);
        }
        case kDpi:
            return word(kDpiRows, kDpiWords, "dpi");
        case kRapidFire:
            return "fire:interval=" + std::to_string(f.p1) + ",count=" + std::to_string(f.p2);
        case kKeyboard: {
            if (f.p1 == 0 && f.p2 == 0) return "key:none";
            std::string text = "key:";
            int modifiers = 0;
            for (size_t m = 0; m < kModifierWords.size(); ++m) {
                if ((f.p1 & (1 << m)) == 0) continue;
                ++modifiers;
                text += kModifierWords[m];
                if (f.p2 != 0) text += "+";
            }
            // Right-hand modifiers and several of them have no word: the raw value says it.
            if ((f.p1 & 0xF0) != 0 || modifiers > 1) return "raw:" + Hex(f);
            if (f.p2 == 0) return text;
            const std::optional<int> row = FindUsageRow(f.p2);
            if (!row) return "raw:" + Hex(f);
            return text + ScriptKeyName(*row);
        }
        case kMedia:
            return word(kMediaRows, kMediaWords, "media");
        case kSystem:
            return word(kSystemRows, kSystemWords, "system");
        case kMacro:
            return "macro:" + std::to_string(f.p1) + ",mode=" + std::to_string(f.p2);
        case kMacroTimes:
            return "macro:" + std::to_string(f.p1) + ",count=" + std::to_string(f.p2);
        case kGun:
            return "gun:" + std::to_string(f.p1);
        default:
            return "raw:" + Hex(f);
    }
}

std::string FunctionTextHelp() {
    return "default | mouse:" + Joined(kMouseWords) +
           " | swing:left|right[,count=N][,delay=D][,speed=S]"
           " | wheel:up|down[,count=N][,delay=D][,speed=S] | dpi:" +
           Joined(kDpiWords) + " | fire:interval=I,count=N | key:[ctrl+|shift+|alt+|win+]NAME" +
           " | key:none | media:" + Joined(kMediaWords) + " | system:" + Joined(kSystemWords) +
           " | macro:N[,mode=0-3|,count=N] | gun:0-3";
}

}  // namespace qx
