// The mouse's bytes without a device: the profile block, the DPI conversions of a few sensors,
// the button map and the key table with renumbered macros.
#include <gtest/gtest.h>

#include "devices/mouse/mouse_block.h"
#include "sim/mouse_firmware.h"
#include "sim/packet_firmware.h"

namespace qx::devices {
namespace {

std::array<uint8_t, 34> Identity(uint16_t sensor, uint8_t step, uint16_t maxSteps,
                                 uint16_t minimum) {
    sim::IdentityFields fields;
    fields.sensorCode = sensor;
    fields.dpiStep = step;
    fields.dpiMaxSteps = maxSteps;
    fields.dpiMin = minimum;
    return sim::BuildIdentity(0x7041, 0x0100, fields);
}

TEST(MouseDpiScale, ConvertsStepsAndTypedValuesForEachSensor) {
    struct Case {
        uint16_t sensor;
        uint8_t step;
        int steps;          // shown as
        const char* shown;  // this text
        const char* typed;  // and this text
        int stored;         // is stored as these steps
    };
    const Case cases[] = {
        {0x3395, 100, 31, "3300", "3350", 31},
        {0x3395, 100, 0, "200", "100", 0},  // raised to the minimum first
        {0x3395, 100, 0, "200", "", 0},     // empty text counts as 0
        {0x3395, 100, 0, "200", "x12", 0},  // no leading digits
        {0x3325, 100, 48, "5000", "5000", 48},
        {0x3325, 100, 50, "5400", "5400", 50},
        {0x3325, 100, 49, "5200", "5399", 50 - 1},
        {0x3395, 50, 40, "2200", "2249", 40},
        {0x3395, 100, 60, "6200", "99999999999999", 60},  // limited to the maximum
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.shown) + " / " + c.typed);
        const DpiScale scale = DpiScaleFromIdentity(Identity(c.sensor, c.step, 60, 200));
        EXPECT_EQ(std::to_string(scale.ToDpi(c.steps)), c.shown);
        EXPECT_EQ(scale.ToSteps(c.typed), c.stored);
    }
}

TEST(MouseDpiScale, StepOfZeroCountsAsOne) {
    const DpiScale scale = DpiScaleFromIdentity(Identity(0x3395, 0, 100, 100));
    EXPECT_TRUE(scale.stepWasZero);
    EXPECT_EQ(scale.step, 1);
    EXPECT_EQ(scale.ToDpi(50), 150);
    EXPECT_EQ(scale.ToSteps("150"), 50);
    EXPECT_EQ(scale.MaxDpi(), 200);
}

TEST(MouseBlock, HoldsLightingStagesScreenAndCorrection) {
    MouseBlockInput input;
    input.light.selectItem = 3;
    input.light.light = 4;
    input.light.speed = 1;
    input.light.fx = 1;
    input.light.red = 9;
    input.pollingIndex = 7;  // written as it stands
    input.activeStage = 2;
    input.stages = {
        {1, 0, 8, 8, 255, 0, 0}, {1, 0, 0x1234, 16, 0, 255, 0}, {0, 1, 32, 33, 1, 2, 3}};
    input.corrections = {{5, 6, 0, "a"}, {10, 30, 1, "b"}, {20, 50, 1, "c"}};
    const std::vector<int> codes = {0x10, 0x11, 0x12, 0x13};
    const MouseBlock block = BuildMouseBlock(input, codes, {0, 1, 1920, 1080});
    EXPECT_EQ(block[1], 0x13);
    EXPECT_EQ(block[2], 4);
    EXPECT_EQ(block[3], 3);
    EXPECT_EQ(block[6], 9);
    EXPECT_EQ(block[11], 7);
    EXPECT_EQ(block[12], 2);
    EXPECT_EQ(block[14 + 9 + 2], 0x34);
    EXPECT_EQ(block[14 + 9 + 3], 0x12);
    EXPECT_EQ(block[14 + 18 + 5], 0) << "Y 33 high byte";
    EXPECT_EQ(block[14 + 18 + 4], 33);
    // A profile with three stages leaves stages 3 and 4 zero.
    for (size_t i = 41; i <= 58; ++i) EXPECT_EQ(block[i], 0) << i;
    EXPECT_EQ(block[59], 1);
    EXPECT_EQ(block[60] | block[61] << 8, 1920);
    EXPECT_EQ(block[62] | block[63] << 8, 1080);
    EXPECT_EQ(block[64], 30) << "the first selected correction";
    EXPECT_EQ(block[65], 10);

    // Effect 10 and above, or one the list lacks, goes as effect 0.
    input.light.selectItem = 12;
    EXPECT_EQ(BuildMouseBlock(input, codes, {})[1], 0x10);
    input.light.selectItem = 6;
    EXPECT_EQ(BuildMouseBlock(input, codes, {})[1], 0x10);

    // Read back: an unknown code stays the effect id.
    std::array<uint8_t, kMouseBlockRead> read{};
    read[1] = 0x12;
    read[3] = 1;
    EXPECT_EQ(DecodeMouseBlock(read, codes).effectId, 2);
    EXPECT_EQ(DecodeMouseBlock(read, codes).speed, 3);
    read[1] = 0x55;
    EXPECT_EQ(DecodeMouseBlock(read, codes).effectId, 0x55);
}

TEST(MouseButtons, MapTakesTheFirstPositionAndRenumbersMacros) {
    // Positions: button 0 twice (2 and 4), button 1 at 0, the others absent.
    std::vector<uint8_t> table(6 * 3, 0);
    auto put = [&](size_t k, std::array<uint8_t, 3> code) {
        std::copy(code.begin(), code.end(), table.begin() + static_cast<long>(k * 3));
    };
    put(2, MouseFactoryCode(0));
    put(4, MouseFactoryCode(0));
    put(0, MouseFactoryCode(1));
    const std::vector<uint8_t> map = BuildButtonMap(table, 6);
    ASSERT_EQ(map.size(), 6u);
    EXPECT_EQ(map[0], 2);
    EXPECT_EQ(map[1], 0);
    EXPECT_EQ(map[2], kNoButton);

    auto macro = [](uint8_t number) {
        KeyAssignRecord r;
        r.current = {0, 0x70, number, 0, 0};
        r.defaults = {0, 0x10, 0x04, 0, 0};
        return r;
    };
    // Buttons 0 and 1 share macro 5 (compact 0); button 2 is absent; macro 9 is beyond 6 macros.
    std::vector<KeyAssignRecord> keys = {macro(5), macro(5), macro(4)};
    EXPECT_EQ(CollectMouseMacros(keys, map, 6), (std::vector<int>{5}));
    std::vector<uint8_t> built = BuildMouseKeyTable(table, keys, map, 6);
    EXPECT_EQ(built[2 * 3 + 1], 0);
    EXPECT_EQ(built[0 * 3 + 1], 0);
    keys[0] = macro(6);  // equal to the number of macros: the default goes
    built = BuildMouseKeyTable(table, keys, map, 6);
    EXPECT_EQ((std::vector<uint8_t>(built.begin() + 6, built.begin() + 9)),
              (std::vector<uint8_t>{0x10, 0x04, 0}));
}

}  // namespace
}  // namespace qx::devices
