// The keyboard's tables on their own: position maps, the settings block both ways, the
// custom-colour mask, the key table with its macro numbering, and the names on the key buttons.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "devices/keyboard/keyboard_key_labels.h"
#include "devices/keyboard/keyboard_key_map.h"
#include "devices/keyboard/keyboard_key_table.h"
#include "devices/keyboard/keyboard_system_block.h"
#include "sim/keyboard_layout.h"

namespace qx::devices {
namespace {

std::vector<uint8_t> SimTable() {
    const auto table = sim::FactoryKeyTable();
    return {table.begin(), table.end()};
}

TEST(KeyboardTables, MapsFindEveryKeyOfTheKeyboardsOwnLayout) {
    const std::vector<uint8_t> table = SimTable();
    const KeyPositionMaps maps = BuildKeyPositionMaps(table, sim::kKeyboardKeyCount);
    std::map<KeyCode3, int> uses;
    for (int key = 0; key < kLogicalKeyCount; ++key) ++uses[FactoryKeyCode(key)];
    int checked = 0;
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        // Keys that share a code (the unused ones) all find its first position.
        if (uses[FactoryKeyCode(key)] != 1) continue;
        SCOPED_TRACE(key);
        EXPECT_EQ(FactoryKeyCode(key), sim::FactoryKeyCode(static_cast<size_t>(key)));
        EXPECT_EQ(maps.primary[static_cast<size_t>(key)],
                  sim::KeyboardPositionOf(static_cast<size_t>(key)));
        EXPECT_EQ(maps.colour[static_cast<size_t>(key)], maps.primary[static_cast<size_t>(key)]);
        ++checked;
    }
    EXPECT_GT(checked, 120);
}

TEST(KeyboardTables, FunctionKeyFallsBackTo113OnlyWhenTheTableHasKeys) {
    std::vector<uint8_t> table = SimTable();
    const size_t at = sim::KeyboardPositionOf(kFunctionKeyIndex) * 3;
    table[at] = 0x20;  // the function key's code is gone
    table[at + 1] = 0x00;
    table[at + 2] = 0x00;
    EXPECT_EQ(BuildKeyPositionMaps(table, 170).primary[kFunctionKeyIndex], 113);
    EXPECT_EQ(BuildKeyPositionMaps(table, 0).primary[kFunctionKeyIndex], kNoPosition);
    // A key count larger than the table reads no further than the table.
    const std::vector<uint8_t> shortTable(table.begin(), table.begin() + 30);
    const KeyPositionMaps maps = BuildKeyPositionMaps(shortTable, 170);
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        if (key == kFunctionKeyIndex) continue;
        EXPECT_TRUE(maps.primary[static_cast<size_t>(key)] == kNoPosition ||
                    maps.primary[static_cast<size_t>(key)] < 10)
            << key;
    }
}

TEST(KeyboardTables, SystemBlockBytesBothWays) {
    KeyboardSystem system;
    system.winLock = 1;
    system.wKey = 0;
    system.sixKey = 1;
    system.pollingRate = 2;
    system.repeatRate = 3;  // profile only: no byte
    LightInfoRecord light;
    light.selectItem = 5;
    light.light = 3;
    light.speed = 1;
    light.fx = 1;
    light.multiColor = 1;
    light.red = 0x11;
    light.green = 0x22;
    light.blue = 0x33;
    light.zzccLedMode = 4;
    light.customGroup = 2;
    std::vector<int> codes = DefaultEffectCodes();
    codes[5] = 0x09;
    const SystemBlock block = BuildSystemBlock(system, light, codes, 7);
    const SystemBlock expected = {7, 0x09, 3, 3, 1, 1, 0x11, 0x22, 0x33, 0, 0, 0, 0,
                                  0, 0,    0, 0, 0, 4, 0,    1,    1,    2, 0, 0, 2};
    EXPECT_EQ(block, expected);

    const DecodedSystemBlock decoded = DecodeSystemBlock(block, codes);
    EXPECT_EQ(decoded.effectId, 5);
    EXPECT_EQ(decoded.light.speed, 1) << "a speed level of 1 is sent as 3 and read back as 1";
    EXPECT_EQ(decoded.light.customGroup, 2);
    EXPECT_EQ(decoded.light.zzccLedMode, 4);
    EXPECT_EQ(decoded.winLock, 1);
    EXPECT_EQ(decoded.wKey, 0);
    EXPECT_EQ(decoded.sixKey, 1);

    // The host-driven effects are written as 0xFE, which reads back as "keep the host's".
    for (int code : {0x1D, 0x1E}) {
        codes[5] = code;
        const SystemBlock hostDriven = BuildSystemBlock(system, light, codes, 0);
        EXPECT_EQ(hostDriven[1], kHostDrivenCode);
        EXPECT_FALSE(DecodeSystemBlock(hostDriven, codes).effectId.has_value());
    }
}

TEST(KeyboardTables, CustomColourMaskBits) {
    KeyPositionMap colour{};
    colour.fill(kNoPosition);
    lighting::LightFrame frame;
    auto custom = [&](int led, int position) {
        colour[static_cast<size_t>(led)] = static_cast<uint8_t>(position);
        frame.leds[static_cast<size_t>(led)].custom = 1;
    };
    custom(0, 22);             // byte 1, bit 1
    custom(1, 0);              // byte 0, bit 0
    custom(2, 167);            // byte 20, bit 7
    custom(3, 168);            // past the mask: nothing
    frame.leds[4].custom = 1;  // no position: nothing
    colour[5] = 44;            // a position, but not custom: nothing
    std::array<uint8_t, kColourMaskSize> expected{};
    expected[1] = 0x02;
    expected[0] = 0x01;
    expected[20] = 0x80;
    EXPECT_EQ(CustomColourMask(frame, colour), expected);
}

KeyAssignRecord Macro(int number, int defaultUsage) {
    KeyAssignRecord record;
    record.current = {0, 0x70, static_cast<uint8_t>(number), 0, 0};
    record.defaults = {0, 0x20, 0, static_cast<uint8_t>(defaultUsage), 0};
    return record;
}

TEST(KeyboardTables, KeyTableRenumbersMacrosAndRevertsDanglingOnes) {
    KeyPositionMap primary{};
    primary.fill(kNoPosition);
    primary[0] = 2;
    primary[1] = 0;
    primary[2] = 1;
    primary[3] = 3;
    std::vector<KeyAssignRecord> keys = {Macro(3, 0x04), Macro(1, 0x05), Macro(3, 0x06),
                                         Macro(7, 0x07)};
    const std::vector<uint8_t> table(4 * 3, 0xEE);
    EXPECT_EQ(CollectKeyMacros(keys, primary, 5), (std::vector<int>{3, 1}));
    const std::vector<uint8_t> written = BuildKeyTable(table, keys, primary, 5);
    const std::vector<uint8_t> expected = {
        0x70, 1, 0,     // position 0: key 1, macro 1 -> second in first-use order
        0x70, 0, 0,     // position 1: key 2, macro 3 -> first
        0x70, 0, 0,     // position 2: key 0, macro 3 -> first
        0x20, 0, 0x07,  // position 3: key 3, macro 7 of 5 -> its default
    };
    EXPECT_EQ(written, expected);
    // Only the dangling one is repaired in the profile's list.
    EXPECT_TRUE(RevertDanglingMacros(keys, 5));
    EXPECT_EQ(keys[3].current, keys[3].defaults);
    EXPECT_EQ(keys[0], Macro(3, 0x04));
    EXPECT_FALSE(RevertDanglingMacros(keys, 5));
    // A position outside the table is skipped rather than written past its end.
    primary[0] = 40;
    EXPECT_EQ(BuildKeyTable(table, keys, primary, 5).size(), table.size());
}

TEST(KeyboardTables, KeyLabels) {
    const Translate translate = [](const QString& key) { return "<" + key + ">"; };
    const QStringList macros = {"first", "second"};
    struct Case {
        KeyAssignHalf function;
        std::optional<QString> label;
    };
    const Case cases[] = {
        {{0, 0x20, 0, 0x04, 0}, "<keyboard_key_A>"},
        {{0, 0x20, 1, 0x04, 0}, "<keyboard_key_LCtrl>+<keyboard_key_A>"},
        {{0, 0x20, 3, 0x00, 0}, "<keyboard_key_LCtrl>+<keyboard_key_LShift>"},
        {{0, 0x20, 0, 0, 0}, "<close_text>"},
        {{0, 0x99, 1, 2, 0}, QStringLiteral("关闭")},
        {{0, 0x70, 1, 0, 0}, "second"},
        {{0, 0x70, 2, 0, 0}, std::nullopt},
        {{0, 0x15, 1, 0, 0}, std::nullopt},
        {{0, 0x30, 0xE9, 0x00, 0}, "<media_vol_add>"},
        {{0, 0x30, 0x23, 0x02, 0}, "<web_text>"},
        {{0, 0x40, 2, 0, 0}, "<system_sleep>"},
        {{0, 0x11, 0, 0x80, 0}, "<mouse_key_right_Swing>"},
        {{0, 0xA0, 2, 0, 0}, "<mouse_key_smart_key>"},
        {{0, 0xA0, 1, 0, 0}, "<keyboard_key_FN>"},
        {{0, 0xD0, 0xA2, 3, 0}, "<keyboard_key_M3>"},
        {{0, 0x22, 0, 1, 0}, "<custem_copy>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::number(c.function.Value(), 16).toStdString());
        EXPECT_EQ(KeyFunctionLabel(c.function, translate, macros), c.label);
    }
    EXPECT_EQ(OwnKeyName(0, translate), "<keyboard_key_Esc>");
    EXPECT_EQ(OwnKeyName(110, translate), "<keyboard_key_FN>");
    EXPECT_TRUE(OwnKeyName(150, translate).isEmpty()) << "an unused key has no name of its own";
}

}  // namespace
}  // namespace qx::devices
