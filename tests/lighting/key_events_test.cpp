#include <gtest/gtest.h>

#include "lighting/keyboard_lighting.h"
#include "lighting_test_support.h"

namespace qx::lighting {
namespace {

using test::Effect;
using test::Rig;

TEST(KeyEvents, NotificationCodes) {
    struct Case {
        std::uint16_t code;
        bool event;
        int key;
        int kind;
    } cases[] = {{0x0533, true, 0x33, kKeyDown}, {0x0600, true, 0, kKeyUp},
                 {0x05FF, true, 0xFF, kKeyDown}, {0x0401, false, 0, 0},
                 {0x0733, false, 0, 0},          {0x1001, false, 0, 0}};
    for (const Case& c : cases) {
        const auto e = KeyEventFromNotification(c.code);
        ASSERT_EQ(e.has_value(), c.event) << std::hex << c.code;
        if (!e) continue;
        EXPECT_EQ(e->keyCode, c.key);
        EXPECT_EQ(e->kind, c.kind);
    }
}

TEST(KeyEvents, KeyTableMapsCodesAndUnknownKeysAreIgnored) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(10));
    std::array<std::uint8_t, 256> table{};
    table.fill(255);
    table[0x21] = 51;
    engine.SetKeyToLedTable(table);
    engine.OnKeyEvent(0x21, kKeyDown);
    engine.OnKeyEvent(0x22, kKeyDown);  // unknown
    engine.OnKeyEvent(0x21, 7);         // neither down nor up
    EXPECT_EQ(test::FullLevels(engine), (std::set<int>{51}));
    EXPECT_EQ(engine.State().keyState[51], kKeyDown);
}

TEST(KeyEvents, GlowKeepsSharedNeighboursWhileAKeyIsHeld) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(8));
    const auto& S = engine.State().keyState;
    const auto& L = engine.State().level;
    // 51 (O) at column 10 row 2 and 52 (P) at column 11 row 2.
    engine.OnLedKeyEvent(51, kKeyDown);
    EXPECT_EQ(L[30], 150);  // directly above
    EXPECT_EQ(L[29], 90);   // diagonal
    EXPECT_EQ(L[49], 60);   // two columns left
    engine.OnLedKeyEvent(52, kKeyDown);
    EXPECT_EQ(L[30], 240);  // above-left of 52 as well: + 90
    engine.OnLedKeyEvent(51, kKeyUp);
    EXPECT_EQ(S[30], 1) << "a neighbour shared with the held key stays lit";
    EXPECT_EQ(L[30], 240);
    EXPECT_EQ(S[51], 1) << "the released key is next to the held one";
    EXPECT_EQ(engine.State().pressed[51], 0);
    EXPECT_EQ(S[49], 2);  // only 51's neighbour, and not next to 52
    EXPECT_EQ(L[49], 0);  // 60 - 90 floors at 0
    engine.OnLedKeyEvent(52, kKeyUp);
    EXPECT_EQ(S[30], 2);
    EXPECT_EQ(S[52], 2);
    const int before = L[30];
    engine.Step();
    EXPECT_EQ(L[30], before - 5);
    for (int i = 0; i < 60; ++i) engine.Step();
    EXPECT_EQ(L[30], 0);
    EXPECT_EQ(L[52], 0);
}

TEST(KeyEvents, GlowRisesWhileHeld) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(8));
    engine.OnLedKeyEvent(51, kKeyDown);
    engine.Step();
    EXPECT_EQ(engine.State().level[30], 165);
    EXPECT_EQ(engine.Frame().leds[30].level, 255 * 165 >> 8);
}

TEST(KeyEvents, FlashRelightsOnKeyUpWithANewColour) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(10, true));
    engine.OnLedKeyEvent(51, kKeyDown);
    for (int i = 0; i < 5; ++i) engine.Step();
    EXPECT_EQ(engine.State().level[51], 255);
    const int hueDown = engine.State().hue[51];
    engine.OnLedKeyEvent(51, kKeyUp);
    EXPECT_EQ(engine.State().level[51], 255);
    EXPECT_NE(engine.State().hue[51], hueDown);
    engine.Step();
    EXPECT_EQ(engine.State().level[51], 250);
    const Rgb wheel = kColourWheel[engine.State().hue[51]];
    EXPECT_EQ(engine.Frame().leds[51].red, wheel.red);
}

TEST(KeyEvents, RippleSpreadsAsADiamondAndLineRippleAlongTheRow) {
    Rig rig;
    KeyboardLighting engine(rig.Sources());
    engine.ApplySettings(Effect(9));
    engine.OnLedKeyEvent(51, kKeyUp);  // key-ups do not seed
    EXPECT_TRUE(engine.State().masks.Empty());
    engine.OnLedKeyEvent(51, kKeyDown);
    engine.Step();  // marks the seed, then the fronts move one cell
    EXPECT_EQ(test::FullLevels(engine).count(51), 0u);  // faded once already
    EXPECT_GT(engine.State().level[51], 200);
    engine.Step();
    for (const int led : {30, 50, 52, 72}) EXPECT_GT(engine.State().level[led], 200) << led;

    engine.ApplySettings(Effect(44));
    engine.OnLedKeyEvent(51, kKeyDown);
    const std::set<int> row2 = test::GridLedsOfRows(2, 2);
    for (int i = 0; i < 12; ++i) {
        engine.Step();
        for (int led = 0; led < kMaxLeds; ++led) {
            if (engine.State().level[led] != 0) {
                ASSERT_TRUE(row2.count(led)) << led;
            }
        }
    }
    EXPECT_GT(engine.State().level[kKeyGrid[19][2]], 0);  // the line reached the right side
}

}  // namespace
}  // namespace qx::lighting
