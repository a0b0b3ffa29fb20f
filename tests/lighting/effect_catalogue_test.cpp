#include "lighting/effect_catalogue.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <fstream>
#include <set>
#include <string>

#include "lighting/keyboard_lighting.h"
#include "lighting/preview_lighting.h"
#include "lighting_test_support.h"

namespace qx::lighting {
namespace {

bool IsPreviewFamily(EffectFamily family) { return family != EffectFamily::Keyboard; }

TEST(EffectCatalogue, RowsAreWellFormedPerFamily) {
    for (const EffectFamily family : kEffectFamilies) {
        SCOPED_TRACE(std::string(FamilyName(family)));
        const auto rows = Effects(family);
        ASSERT_FALSE(rows.empty());
        std::set<std::string_view> names;
        int previous = -1;
        for (const EffectInfo& e : rows) {
            SCOPED_TRACE(e.id);
            EXPECT_GT(e.id, previous) << "ids ascend (panel order) and are unique";
            previous = e.id;
            EXPECT_EQ(FindEffect(family, e.id), &e);
            EXPECT_NE(e.step, nullptr);
            EXPECT_FALSE(e.nameKey.empty());
            EXPECT_TRUE(names.insert(e.nameKey).second) << e.nameKey << " named twice";
            switch (e.pace) {
                case StepPace::SpeedTable:
                    EXPECT_GE(e.speedRow, 0);
                    EXPECT_LT(e.speedRow, kSpeedTableRows);
                    break;
                case StepPace::Fixed:
                    EXPECT_GT(e.speedRow, 0);
                    break;
                default:
                    EXPECT_EQ(e.speedRow, -1);
                    break;
            }
            for (int speed = 0; speed < 5; ++speed) {
                const int ticks = StepThresholdOf(e, speed);
                if (e.pace == StepPace::EveryPass) {
                    EXPECT_EQ(ticks, -1);
                } else {
                    EXPECT_GE(ticks, 0);
                    // Faster speed indexes never wait longer.
                    if (speed > 0) {
                        EXPECT_LE(ticks, StepThresholdOf(e, speed - 1));
                    }
                }
            }
            // The start-ups, key reactions and feeds a family's engine carries out.
            if (IsPreviewFamily(family)) {
                EXPECT_EQ(e.startUp, StartUp::FadeRestart);
                EXPECT_EQ(e.feed, EffectFeed::None);
                EXPECT_TRUE(e.keys == KeyReaction::None ||
                            (family == EffectFamily::Mouse && e.keys == KeyReaction::Press));
            } else {
                EXPECT_NE(e.startUp, StartUp::FadeRestart);
                EXPECT_NE(e.startUp, StartUp::None);
                EXPECT_NE(e.keys, KeyReaction::Press);
            }
        }
        for (const int unknown : {-1, 46, 200, 255, 256, 100000}) {
            EXPECT_EQ(FindEffect(family, unknown), nullptr) << unknown;
            const EffectInfo& player = EffectOrPlayer(family, unknown);
            EXPECT_EQ(player.pace, StepPace::EveryPass);
            EXPECT_EQ(StepThresholdOf(player, 4), -1);
        }
    }
    EXPECT_TRUE(Effects(EffectFamily::Other).empty());
    EXPECT_EQ(FamilyFromName("pad"), EffectFamily::Pad);
    EXPECT_EQ(FamilyFromName("other"), std::nullopt) << "not a family of the panel";
    EXPECT_EQ(FamilyFromName("Keyboard"), std::nullopt);
}

// The ids that ran a step of their own before the catalogue became a table, with the start-up,
// key reaction and feed each had.
TEST(EffectCatalogue, KeyboardKeepsEveryEffectWithItsStartUpAndReaction) {
    std::set<int> stepped;
    for (int id = 1; id <= 10; ++id) stepped.insert(id);
    for (int id = 13; id <= 24; ++id) stepped.insert(id);
    for (int id = 26; id <= 30; ++id) stepped.insert(id);
    for (int id = 40; id <= 45; ++id) stepped.insert(id);
    for (int id = 0; id < 256; ++id) {
        EXPECT_EQ(KeyboardEffectHasStep(id), stepped.count(id) == 1) << id;
    }
    struct Case {
        int id;
        StartUp startUp;
        KeyReaction keys;
        EffectFeed feed;
    } cases[] = {
        {1, StartUp::SpacedColours, KeyReaction::None, EffectFeed::None},
        {8, StartUp::SpacedColours, KeyReaction::Glow, EffectFeed::None},
        {9, StartUp::SpacedColours, KeyReaction::Seed, EffectFeed::None},
        {10, StartUp::SpacedColours, KeyReaction::Flash, EffectFeed::None},
        {13, StartUp::ScriptedShow, KeyReaction::None, EffectFeed::None},
        {14, StartUp::SeedColumn9, KeyReaction::None, EffectFeed::None},
        {15, StartUp::ColumnStart, KeyReaction::None, EffectFeed::None},
        {16, StartUp::SpacedColours, KeyReaction::None, EffectFeed::None},
        {18, StartUp::StaggeredPhases, KeyReaction::None, EffectFeed::None},
        {20, StartUp::StaggeredTimers, KeyReaction::None, EffectFeed::None},
        {21, StartUp::CustomColours, KeyReaction::None, EffectFeed::None},
        {22, StartUp::SeedColumn1, KeyReaction::None, EffectFeed::None},
        {29, StartUp::SpacedColours, KeyReaction::None, EffectFeed::SoundLevels},
        {30, StartUp::SpacedColours, KeyReaction::None, EffectFeed::HostColour},
        {44, StartUp::SpacedColours, KeyReaction::Seed, EffectFeed::None},
    };
    for (const Case& c : cases) {
        const EffectInfo* e = FindEffect(EffectFamily::Keyboard, c.id);
        ASSERT_NE(e, nullptr) << c.id;
        EXPECT_EQ(e->startUp, c.startUp) << c.id;
        EXPECT_EQ(e->keys, c.keys) << c.id;
        EXPECT_EQ(e->feed, c.feed) << c.id;
        EXPECT_EQ(e->restartOnApply, c.id == 21) << c.id;
    }
}

// The panel shows the names of the shipped effect lists (one per family, in id order); the
// catalogue must name each effect as the list at its position does, and know every effect the
// list offers.
TEST(EffectCatalogue, NamesMatchTheShippedEffectLists) {
    std::ifstream file(std::string(QX580_SOURCE_DATA_DIR) + "/DefaultData/default_light.json");
    ASSERT_TRUE(file);
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    ASSERT_TRUE(Json::parseFromStream(builder, file, &root, &errors)) << errors;
    const Json::Value& lists = root["DefaultLightName"];
    ASSERT_EQ(lists.size(), 4u);
    for (Json::ArrayIndex layout = 0; layout < 4; ++layout) {
        const EffectFamily family = kEffectFamilies[layout];
        SCOPED_TRACE(std::string(FamilyName(family)));
        const Json::Value& list = lists[layout];
        for (const EffectInfo& e : Effects(family)) {
            ASSERT_LT(e.id, static_cast<int>(list.size()));
            EXPECT_EQ(list[e.id]["LightName"].asString(), e.nameKey) << e.id;
        }
        for (Json::ArrayIndex id = 0; id < list.size(); ++id) {
            if (list[id]["visible"].asBool()) {
                EXPECT_NE(FindEffect(family, static_cast<int>(id)), nullptr)
                    << id << " is offered but has no row";
            }
        }
    }
}

TEST(EffectCatalogue, MousePressAnswersOnlyInTheReactiveEffect) {
    test::Rig rig;
    MouseLighting mouse(kMouseLedCount, rig.Sources());
    mouse.ApplySettings(test::Effect(2, false));
    mouse.OnPress();  // not the reactive effect: ignored
    mouse.ApplySettings(test::Effect(6, false));
    mouse.Step();
    for (int led = 0; led < kMouseLedCount; ++led) EXPECT_EQ(mouse.Frame().leds[led].level, 0);
    mouse.OnPress();
    mouse.Step();
    EXPECT_GT(mouse.Frame().leds[0].level, 0);
}

}  // namespace
}  // namespace qx::lighting
