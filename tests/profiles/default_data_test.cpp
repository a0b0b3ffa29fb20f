// The shipped default files hold what each family reads, through the same classes as the program.
#include <gtest/gtest.h>

#include "core/json_file.h"
#include "profiles/hs6533_profiledata.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "profiles/palette_store.h"

namespace qx {
namespace {

const std::filesystem::path kDefaults =
    std::filesystem::path(QX580_SOURCE_DATA_DIR) / "DefaultData";

template <typename Data>
void LoadDefault(Data& data, const char* name) {
    data.SetDefaultPath(kDefaults / name);
    // Loading the default file itself reads its block without writing anything.
    ASSERT_TRUE(data.Load(kDefaults / name).isObject()) << name;
}

TEST(DefaultData, KeyboardProfile) {
    CKeyboardProfiledata data;
    LoadDefault(data, "keyboard.Json");
    const auto keys = data.GetKeyList();
    ASSERT_EQ(keys.size(), 170u);
    const struct {
        int key;
        int function;
    } cases[] = {{0, 0x200029},   {12, 0x200045},  {16, 0xA01B00},  {64, 0x200004},
                 {84, 0x200200},  {110, 0xA00100}, {120, 0xD0A201}, {124, 0xD0A205},
                 {125, 0x208000}, {169, 0x200000}};
    for (const auto& c : cases) {
        EXPECT_EQ(keys[c.key].defaults.Value(), c.function) << c.key;
        EXPECT_EQ(keys[c.key].current, keys[c.key].defaults) << c.key;
    }
    EXPECT_NE(data.GetKeyboardSystem().words[1], 0u);
    EXPECT_EQ(data.GetCustomColours(0, 170).size(), 170u);
    EXPECT_EQ(data.GetLedEffectList().size(), 170u);
    EXPECT_EQ(data.ReadAudioLightBlock().fgColorR, 255);
}

TEST(DefaultData, MouseProfile) {
    CMouseProfiledata data;
    LoadDefault(data, "mouse.Json");
    const auto keys = data.GetKeyList();
    ASSERT_EQ(keys.size(), 11u);
    EXPECT_EQ(keys[0].defaults.Value(), 0x100100);
    EXPECT_EQ(keys[3].defaults.Value(), 0x101000);
    EXPECT_EQ(keys[9].defaults.Value(), 0x169001);
    EXPECT_EQ(keys[10].defaults.Value(), 0x147802);
    EXPECT_EQ(data.GetDpiStages().size(), 5u);
    EXPECT_FALSE(data.GetCorrectList().empty());
    EXPECT_NE(data.GetMouseSystem().High(2), 0) << "report-rate stage";
}

TEST(DefaultData, HeadsetProfileHoldsThePresetRows) {
    CHs6533Profiledata data;
    LoadDefault(data, "HD.Json");
    EXPECT_EQ(data.GetEqBands(1), (std::vector<int>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(data.GetEqBands(5), std::vector<int>(10, 0));
    EXPECT_EQ(data.GetEqBands(12), (std::vector<int>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
    EXPECT_EQ(data.GetHeadsetSystem().eqType, 5);
    EXPECT_TRUE(data.GetCustomEqNames().empty());
}

TEST(DefaultData, PadLightingPaletteAndLists) {
    CBasicProfiledata pad;
    LoadDefault(pad, "MousePad.Json");
    EXPECT_EQ(pad.GetLedEffectList().size(), 15u);

    const Json::Value light = ReadJsonFile(kDefaults / "default_light.json");
    ASSERT_EQ(light["DefaultLightName"].size(), 4u);
    const Json::Value& keyboard = light["DefaultLightName"][0];
    EXPECT_EQ(keyboard[29]["value"], 29);
    EXPECT_EQ(keyboard[30]["value"], 30);
    EXPECT_EQ(keyboard[45]["visible"], true);
    EXPECT_EQ(keyboard[25]["visible"], false);
    EXPECT_EQ(light["DefaultLightName"][1].size(), 10u);
    EXPECT_EQ(light["AreaLightName"].size(), 4u);

    PaletteStore palette(kDefaults / "color_option_info.config", {});
    EXPECT_EQ(palette.PresetColours()[0], 0xFFFF0000u);
    EXPECT_EQ(palette.CustomCells().size(), 20u);
    EXPECT_TRUE(palette.CustomCells()[19].present);
}

}  // namespace
}  // namespace qx
