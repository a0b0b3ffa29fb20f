// Key functions: the value each category gives from the panel's controls and back, the tables'
// order, the captured key, the left button guard and the text form scripts use.
#include "macros/key_functions.h"

#include <gtest/gtest.h>

#include "macros/key_code_rows.h"

namespace qx {
namespace {

// Shows a value on a fresh form and reads it back: what the panel stores when the user only
// looks at a key and saves.
KeyFunction RoundTrip(KeyFunction value, int macroCount = 3) {
    KeyFunctionForm form;
    ShowFunction(value, macroCount, form);
    return ReadFunction(form, value, {0x20, 0, 0x04}, macroCount);
}

TEST(KeyFunctions, TablesInComboOrder) {
    ASSERT_EQ(MouseButtonFunctions().size(), 5u);
    EXPECT_EQ(MouseButtonFunctions()[1], (KeyFunction{0x10, 4, 0}));  // middle before right
    EXPECT_EQ(MouseButtonFunctions()[3], (KeyFunction{0x10, 16, 0}));
    ASSERT_EQ(MediaFunctions().size(), 18u);
    EXPECT_EQ(MediaFunctions()[0], (KeyFunction{0x30, 0x83, 0x01}));  // 0x183, low byte first
    EXPECT_EQ(MediaFunctions()[17], (KeyFunction{0x30, 0x8A, 0x01}));
    EXPECT_EQ(SystemFunctions()[2], (KeyFunction{0x40, 4, 0}));
    EXPECT_EQ(DpiFunctions()[2], (KeyFunction{0x13, 3, 0}));
    ASSERT_EQ(CombinationFunctions().size(), 11u);
    EXPECT_EQ(CombinationFunctions()[0], (KeyFunction{0x20, 1, 0x12}));  // Ctrl+O
    EXPECT_EQ(CombinationFunctions()[10], (KeyFunction{0x20, 1, 0x2E}));
    EXPECT_EQ((KeyFunction{0x20, 1, 0x04}).Value(), 0x200104);
    EXPECT_EQ(KeyFunction::FromValue(0x12FFFD), (KeyFunction{0x12, 0xFF, 0xFD}));
}

TEST(KeyFunctions, EachCategoryFromTheControls) {
    struct Case {
        const char* name;
        KeyFunctionForm form;
        KeyFunction expected;
    };
    auto form = [](auto set) {
        KeyFunctionForm f;
        set(f);
        return f;
    };
    const KeyFunction current{0x20, 0, 0x05};
    const KeyFunction defaults{0x20, 0, 0x04};
    const Case cases[] = {
        {"default", form([](auto& f) { f.function = kFunctionDefault; }), defaults},
        {"mouse right", form([](auto& f) { f.function = 1, f.mouseButton = 2; }), {0x10, 2, 0}},
        {"mouse unselected", form([](auto& f) { f.function = 1; }), current},
        {"swing second direction",
         form([](auto& f) {
             f.function = 2, f.swingDirection = 1, f.swingCount = 3, f.swingDelay = 2,
             f.swingSpeed = 5;
         }),
         {0x11, 0x25, 0x83}},
        {"swing delay and speed masked",
         form([](auto& f) { f.function = 2, f.swingDirection = 0, f.swingDelay = 17; }),
         {0x11, 0x10, 0}},
        {"wheel second direction",
         form([](auto& f) { f.function = 3, f.wheelDirection = 1, f.wheelCount = 3; }),
         {0x12, 0, 0xFD}},
        {"wheel first direction",
         form([](auto& f) { f.function = 3, f.wheelDirection = 0, f.wheelCount = 3; }),
         {0x12, 0, 3}},
        {"wheel zero steps down",
         form([](auto& f) { f.function = 3, f.wheelDirection = 1; }),
         {0x12, 0, 0}},
        {"dpi cycle", form([](auto& f) { f.function = 4, f.dpi = 2; }), {0x13, 3, 0}},
        {"rapid fire",
         form([](auto& f) { f.function = 5, f.fireInterval = 300, f.fireCount = 7; }),
         {0x14, 300 & 0xFF, 7}},
        {"key with Alt",
         form([](auto& f) { f.function = 6, f.modifierCheck = 3, f.keyRow = 8; }),
         {0x20, 4, 0x04}},
        {"key without check", form([](auto& f) { f.function = 6, f.keyRow = 9; }), {0x20, 0, 5}},
        {"modifier alone",
         form([](auto& f) { f.function = 6, f.modifierCheck = 4; }),
         {0x20, 8, 0}},
        {"media", form([](auto& f) { f.function = 7, f.media = 1; }), {0x30, 0xCD, 0}},
        {"system", form([](auto& f) { f.function = 8, f.system = 1; }), {0x40, 2, 0}},
        {"macro mode",
         form([](auto& f) { f.function = 9, f.macro = 2, f.macroRepeat = 3; }),
         {0x70, 2, 3}},
        {"macro times",
         form([](auto& f) { f.function = 9, f.macro = 1, f.macroRepeat = 4, f.macroTimes = 12; }),
         {0x71, 1, 12}},
        {"macro without mode", form([](auto& f) { f.function = 9, f.macro = 1; }), {0x70, 1, 0}},
        {"macro unselected", form([](auto& f) { f.function = 9; }), current},
        {"macro out of range", form([](auto& f) { f.function = 9, f.macro = 3; }), current},
        {"gun", form([](auto& f) { f.function = 10, f.gunKey = 2; }), {0x72, 2, 0}},
        {"combination", form([](auto& f) { f.function = 11, f.combination = 2; }), {0x20, 1, 0x1D}},
        {"no function", KeyFunctionForm{}, defaults},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadFunction(c.form, current, defaults, 3), c.expected);
    }
    // With no macros at all the stored value stays.
    EXPECT_EQ(
        ReadFunction(form([](auto& f) { f.function = 9, f.macro = 0; }), current, defaults, 0),
        current);
}

TEST(KeyFunctions, ShownAgainAsStored) {
    struct Case {
        KeyFunction value;
        int function;
    };
    const Case cases[] = {
        {{0x10, 8, 0}, kFunctionMouseButton}, {{0x11, 0x25, 0x83}, kFunctionSwing},
        {{0x12, 0x31, 0xFD}, kFunctionWheel}, {{0x12, 0, 5}, kFunctionWheel},
        {{0x13, 2, 0}, kFunctionDpi},         {{0x14, 20, 3}, kFunctionRapidFire},
        {{0x20, 0, 0x29}, kFunctionKeyboard}, {{0x20, 4, 0x3A}, kFunctionKeyboard},
        {{0x30, 0x27, 0x02}, kFunctionMedia}, {{0x40, 1, 0}, kFunctionSystem},
        {{0x70, 2, 1}, kFunctionMacro},       {{0x71, 0, 9}, kFunctionMacro},
        {{0x72, 3, 0}, kFunctionGun},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.Value());
        KeyFunctionForm form;
        KeyFunction value = c.value;
        ShowFunction(value, 3, form);
        EXPECT_EQ(form.function, c.function);
        EXPECT_EQ(RoundTrip(c.value), c.value);
    }

    KeyFunctionForm wheel;
    KeyFunction down{0x12, 0, 0xFD};
    ShowFunction(down, 0, wheel);
    EXPECT_EQ(wheel.wheelCount, 3);
    EXPECT_EQ(wheel.wheelDirection, 1);
}

TEST(KeyFunctions, KeyboardValuesShown) {
    // A right-hand modifier shows as the same check and is written back as the left-hand bit.
    KeyFunctionForm form;
    KeyFunction rightShift{0x20, 0x20, 0x04};
    ShowFunction(rightShift, 0, form);
    EXPECT_EQ(form.modifierCheck, 2);
    EXPECT_EQ(ReadFunction(form, rightShift, {}, 0), (KeyFunction{0x20, 0x02, 0x04}));

    // A combination is stored as a key with Ctrl and shown again as one.
    KeyFunctionForm combo;
    combo.function = kFunctionCombination;
    combo.combination = 4;  // Ctrl+C
    KeyFunction stored = ReadFunction(combo, {}, {}, 0);
    KeyFunctionForm shown;
    ShowFunction(stored, 0, shown);
    EXPECT_EQ(shown.function, kFunctionKeyboard);
    EXPECT_EQ(shown.modifierCheck, 1);
    EXPECT_EQ(KeyCodeRows()[static_cast<size_t>(shown.keyRow)].second, 0x06);

    // A usage without a row empties the edit and the stored value's parameters.
    KeyFunctionForm unknown;
    unknown.keyRow = 12;
    unknown.modifierCheck = 2;
    KeyFunction odd{0x20, 0, 0xF0};
    ShowFunction(odd, 0, unknown);
    EXPECT_EQ(unknown.keyRow, -1);
    EXPECT_EQ(unknown.modifierCheck, -1);
    EXPECT_EQ(odd, (KeyFunction{0x20, 0, 0}));

    // P1 above 128: the combination page, no row of its table matches.
    KeyFunctionForm high;
    KeyFunction ctrlRight{0x20, 0x81, 0x06};
    ShowFunction(ctrlRight, 0, high);
    EXPECT_EQ(high.function, kFunctionCombination);
    EXPECT_EQ(high.combination, -1);
}

TEST(KeyFunctions, OtherCategoriesAndMacrosOutOfRange) {
    KeyFunctionForm form;
    KeyFunction special{0xA0, 0x01, 0};
    ShowFunction(special, 3, form);
    EXPECT_EQ(form.function, kFunctionNone);

    KeyFunction none{0xB0, 0, 0};
    ShowFunction(none, 3, form);
    EXPECT_EQ(form.function, kFunctionCombination);
    EXPECT_EQ(form.combination, -1);

    KeyFunctionForm macro;
    KeyFunction gone{0x70, 5, 1};
    ShowFunction(gone, 3, macro);
    EXPECT_EQ(macro.function, kFunctionMacro);
    EXPECT_EQ(macro.macro, -1);
    EXPECT_EQ(macro.macroRepeat, -1);
    KeyFunction goneTimes{0x71, 5, 7};
    ShowFunction(goneTimes, 3, macro);
    EXPECT_FALSE(macro.macroTimesShown);
    EXPECT_EQ(macro.macroRepeat, kMacroRepeatTimes);
    KeyFunction times{0x71, 1, 7};
    ShowFunction(times, 3, macro);
    EXPECT_TRUE(macro.macroTimesShown);
    EXPECT_EQ(macro.macroTimes, 7);

    EXPECT_FALSE(FunctionOffered(kFunctionDpi, true));
    EXPECT_FALSE(FunctionOffered(kFunctionGun, true));
    EXPECT_TRUE(FunctionOffered(kFunctionGun, false));
    EXPECT_TRUE(FunctionOffered(kFunctionSwing, true));
}

TEST(KeyFunctions, CapturedKeys) {
    // Left and right modifiers give the same check.
    const int checks[8] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (int row = 0; row < 8; ++row) EXPECT_EQ(ModifierCheckOfRow(row), checks[row]) << row;
    KeyFunctionForm form;
    form.keyRow = 8;
    EXPECT_TRUE(CaptureKeyRow(5, form));  // right Shift
    EXPECT_EQ(form.modifierCheck, 2);
    EXPECT_EQ(form.keyRow, 8) << "a modifier keeps the key";
    const std::optional<int> f5 = FindUsageRow(0x3E);
    ASSERT_TRUE(f5);
    EXPECT_TRUE(CaptureKeyRow(*f5, form));
    EXPECT_EQ(form.keyRow, *f5);
    EXPECT_FALSE(CaptureKeyRow(120, form));  // a consumer key
    EXPECT_FALSE(CaptureKeyRow(-1, form));
    EXPECT_EQ(form.keyRow, *f5);
}

TEST(KeyFunctions, LeftButtonGuard) {
    auto list = [](std::initializer_list<int> values) {
        std::vector<KeyAssignRecord> records;
        for (int v : values) {
            KeyAssignRecord r;
            r.current.SetValue(v);
            records.push_back(r);
        }
        return records;
    };
    const auto one = list({0x100100, 0x100200, 0x100400});
    EXPECT_TRUE(HoldsLastLeftButton(one, 0));
    EXPECT_FALSE(HoldsLastLeftButton(one, 1));
    EXPECT_FALSE(HoldsLastLeftButton(one, 7));
    const auto two = list({0x100100, 0x100200, 0x100100});
    EXPECT_FALSE(HoldsLastLeftButton(two, 0));
    EXPECT_FALSE(HoldsLastLeftButton(two, 2));
}

TEST(KeyFunctions, TextFormBothWays) {
    struct Case {
        const char* text;
        KeyFunction value;
        const char* canonical;
    };
    const Case cases[] = {
        {"mouse:Forward", {0x10, 16, 0}, "mouse:forward"},
        {"swing:right,count=3", {0x11, 0, 0x83}, "swing:right,count=3,delay=0,speed=0"},
        {"wheel:down,count=3,delay=1,speed=2", {0x12, 0x12, 0xFD}, nullptr},
        {"dpi:cycle", {0x13, 3, 0}, nullptr},
        {"fire:interval=20,count=3", {0x14, 20, 3}, nullptr},
        {"key:A", {0x20, 0, 0x04}, nullptr},
        {"key:ctrl+c", {0x20, 1, 0x06}, "key:ctrl+C"},
        {"key:Shift+page up", {0x20, 2, 0x4B}, "key:shift+Page Up"},
        {"key:alt+Num +", {0x20, 4, 0x57}, nullptr},
        {"key:win", {0x20, 8, 0}, nullptr},
        {"key:none", {0x20, 0, 0}, nullptr},
        {"media:volume-up", {0x30, 0xE9, 0}, nullptr},
        {"system:wake", {0x40, 4, 0}, nullptr},
        {"macro:1", {0x70, 1, 0}, "macro:1,mode=0"},
        {"macro:2,count=5", {0x71, 2, 5}, nullptr},
        {"gun:3", {0x72, 3, 0}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ParsedFunction parsed = ParseFunctionText(c.text, 3);
        ASSERT_TRUE(parsed.function) << parsed.error;
        EXPECT_EQ(*parsed.function, c.value);
        EXPECT_EQ(FunctionText(c.value), c.canonical ? c.canonical : c.text);
    }
    EXPECT_TRUE(ParseFunctionText("default", 0).isDefault);
    EXPECT_EQ(FunctionText({0xA0, 1, 0}), "raw:0xA00100");
    EXPECT_EQ(FunctionText({0x20, 0x20, 4}), "raw:0x202004") << "right Shift has no word";

    for (const char* bad : {"mouse:thumb", "swing:up", "wheel:down,count=200", "key:Q+",
                            "key:ctrl+shift+A", "key:Volume Up", "macro:3", "macro:x",
                            "macro:0,mode=1,count=2", "gun:4", "toaster", "fire:speed=1", ""}) {
        SCOPED_TRACE(bad);
        const ParsedFunction parsed = ParseFunctionText(bad, 3);
        EXPECT_FALSE(parsed.function);
        EXPECT_FALSE(parsed.isDefault);
        EXPECT_FALSE(parsed.error.empty());
    }
}

}  // namespace
}  // namespace qx
