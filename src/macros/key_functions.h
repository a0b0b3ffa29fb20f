// Key functions: the three bytes a programmable key or button carries (category, P1, P2), the
// tables of every category in the order the key assignment panel lists them, and the two ways
// between a function and the panel's controls (shown from a value, read back into one). Also a
// text form of a function for scripts ("mouse:left", "key:ctrl+A", "macro:0,count=3").
// Plain C++: the panel and the command line share it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/profile_records.h"

namespace qx {

struct KeyFunction {
    uint8_t category = 0;
    uint8_t p1 = 0;
    uint8_t p2 = 0;

    // As "KeyList" stores it: category × 65536 + P1 × 256 + P2.
    int Value() const { return category * 65536 + p1 * 256 + p2; }
    static KeyFunction FromValue(int value);
    static KeyFunction Of(const KeyAssignHalf& half) { return {half.b2, half.b1, half.b0}; }
    void Into(KeyAssignHalf& half) const {
        half.b2 = category;
        half.b1 = p1;
        half.b0 = p2;
    }
    bool operator==(const KeyFunction&) const = default;
};

namespace key_category {
inline constexpr uint8_t kDefault = 0x00;
inline constexpr uint8_t kMouseButton = 0x10;
inline constexpr uint8_t kSwing = 0x11;
inline constexpr uint8_t kWheel = 0x12;
inline constexpr uint8_t kDpi = 0x13;
inline constexpr uint8_t kRapidFire = 0x14;
inline constexpr uint8_t kKeyboard = 0x20;
inline constexpr uint8_t kMedia = 0x30;
inline constexpr uint8_t kSystem = 0x40;
inline constexpr uint8_t kMacro = 0x70;
inline constexpr uint8_t kMacroTimes = 0x71;
inline constexpr uint8_t kGun = 0x72;
inline constexpr uint8_t kCombinationNone = 0xB0;
}  // namespace key_category

// The function numbers: the items of the function combo and the pages of its tab layout.
enum FunctionNumber : int {
    kFunctionNone = -1,  // the value has no function to show: the section is hidden
    kFunctionDefault = 0,
    kFunctionMouseButton = 1,
    kFunctionSwing = 2,
    kFunctionWheel = 3,
    kFunctionDpi = 4,
    kFunctionRapidFire = 5,
    kFunctionKeyboard = 6,
    kFunctionMedia = 7,
    kFunctionSystem = 8,
    kFunctionMacro = 9,
    kFunctionGun = 10,
    kFunctionCombination = 11,
};
inline constexpr int kFunctionCount = 12;

// The repeat combo's item that stands for "a number of times".
inline constexpr int kMacroRepeatTimes = 4;
inline constexpr int kMacroRepeatModes = 4;  // items 0-3: the repeat modes
inline constexpr int kGunKeyCount = 4;

// Rows of the tables, in combo order.
std::span<const KeyFunction> MouseButtonFunctions();  // left, middle, right, forward, back
std::span<const KeyFunction> DpiFunctions();          // up, down, cycle
std::span<const KeyFunction> MediaFunctions();        // 18 consumer keys
std::span<const KeyFunction> SystemFunctions();       // power, sleep, wake
std::span<const KeyFunction> CombinationFunctions();  // Ctrl + O, N, Z, S, C, X, V, F, A, -, =

// Whether a device offers a function: the keyboard has no DPI and no gun keys.
bool FunctionOffered(int function, bool keyboard);

// What the panel's controls show. Combo indexes are -1 without a selection; the numbers are
// what the edits show.
struct KeyFunctionForm {
    int function = kFunctionNone;
    int mouseButton = -1;
    int swingDirection = -1;  // 0 left, 1 right
    int swingDelay = 0;       // 0-15
    int swingSpeed = 0;       // 0-15
    int swingCount = 0;       // 0-127
    int wheelDirection = -1;  // 0 up, 1 down
    int wheelCount = 0;
    int wheelDelay = 0;
    int wheelSpeed = 0;
    int dpi = -1;
    int fireInterval = 0;
    int fireCount = 0;
    int modifierCheck = -1;  // 0 none, 1 Ctrl, 2 Shift, 3 Alt, 4 Win; -1 none selected
    int keyRow = -1;         // the key code table row the key edit names; -1 empty
    int media = -1;
    int system = -1;
    int macro = -1;
    int macroRepeat = -1;  // 0-3 a repeat mode, 4 a number of times
    int macroTimes = 0;
    bool macroTimesShown = false;
    int gunKey = -1;
    int combination = -1;

    bool operator==(const KeyFunctionForm&) const = default;
};

// Fills the form from a value (the controls a category does not use keep what they show). A
// keyboard key whose usage has no row is emptied: the key edit and the check are cleared and
// P1 and P2 of `current` become 0, so that the stored value says what the panel shows.
void ShowFunction(KeyFunction& current, int macroCount, KeyFunctionForm& form);

// The value the controls give; `current` when they name nothing new (no selection, no macro),
// `defaults` for the default function.
KeyFunction ReadFunction(const KeyFunctionForm& form, const KeyFunction& current,
                         const KeyFunction& defaults, int macroCount);

// The modifier check of a key code table modifier row (0-7): left and right give the same check.
int ModifierCheckOfRow(int row);
// A captured key put into the form: a modifier row (0-7) selects its check; any other keyboard
// row (category 0x20) names the key. False (nothing changed) for any other row.
bool CaptureKeyRow(int row, KeyFunctionForm& form);

// The left button guard of the mouse: true when key `key` is the only one of the list whose
// current function is the left button, so that it must keep it.
bool HoldsLastLeftButton(std::span<const KeyAssignRecord> keyList, int key);

// --- text form for scripts
// "default", "mouse:left|middle|right|forward|back", "swing:left|right[,count=N][,delay=D]
// [,speed=S]", "wheel:up|down[,count=N][,delay=D][,speed=S]", "dpi:up|down|cycle",
// "fire[:interval=I][,count=N]", "key:[ctrl+][shift+][alt+][win+]NAME" (NAME a key of the key
// code table: "A", "F1", "Enter", ...; "key:none" a disabled key), "media:NAME",
// "system:power|sleep|wake", "macro:N[,mode=M|count=N]", "gun:N". Names are compared without
// regard to case.
struct ParsedFunction {
    std::optional<KeyFunction> function;  // nullopt: `error` says why
    bool isDefault = false;               // "default": the key's own function
    std::string error;
};
ParsedFunction ParseFunctionText(std::string_view text, int macroCount);
// The text of a value; a function the text form has no word for is "raw:0xCCPPQQ".
std::string FunctionText(const KeyFunction& function);
// Every word the text form knows, for the usage text.
std::string FunctionTextHelp();

// The name of a key code table row for scripts ("A", "Page Up"): its display-name key without
// the "keyboard_key_" prefix.
std::string ScriptKeyName(int row);
// The row of a key named as ScriptKeyName gives it (case ignored); nullopt when none.
std::optional<int> RowOfScriptKeyName(std::string_view name);
// The key code table row equal in all three bytes to a function; nullopt when none.
std::optional<int> RowOfFunction(const KeyFunction& function);

}  // namespace qx
