#include <gtest/gtest.h>

#include "core/json_file.h"
#include "core/test_data_home.h"
#include "macros/macro_event.h"
#include "macros/macro_image.h"
#include "macros/macro_store.h"
#include "macros/macro_upload.h"

namespace qx {
namespace {

TEST(MacroEvent, EncodesDelayTypeAndButton) {
    const struct {
        const char* name;
        Json::Value event;
        DeviceMacroEvent bytes;
    } cases[] = {
        {"left press 300 ms", MakeMacroEvent(1, true, 1, 300), {0x2C, 0x01, 0x81, 0x01}},
        {"A release 20 ms", MakeMacroEvent(0x04, false, 10, 20), {0x14, 0x00, 0x0A, 0x04}},
        {"delay text with junk",
         [] {
             Json::Value e = MakeMacroEvent(2, true, 9, 0);
             e["Delay"] = "  70000ms";
             return e;
         }(),
         {0x70, 0x11, 0x89, 0x02}},
        {"delay without digits",
         [] {
             Json::Value e = MakeMacroEvent(5, false, 5, 0);
             e["Delay"] = "abc";
             e["Action"] = "Down";
             return e;
         }(),
         {0x00, 0x00, 0x05, 0x05}},
        {"integer delay, wrong types",
         [] {
             Json::Value e(Json::objectValue);
             e["Delay"] = 10;
             e["Type"] = "1";
             e["Button"] = 300;
             return e;
         }(),
         {0x0A, 0x00, 0x00, 0x2C}},
        {"not an object", Json::Value(5), {0, 0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeMacroEvent(c.event), c.bytes) << c.name;
}

TEST(MacroImage, LaysOutHeaderOffsetsAndRecords) {
    const std::vector<MacroRecord> records{
        {{0x2C, 0x01, 0x81, 0x01}, {0x14, 0x00, 0x01, 0x01}}, {}, {{1, 2, 3, 4}}};
    const auto image = BuildMacroImage(records);
    ASSERT_TRUE(image);
    const std::vector<uint8_t> expected{
        0xAA, 0x55, 46, 0, 3,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0,  // header
        22,   0,    34, 0, 38,   0,                                                     // offsets
        2,    0,    0,  0, 0x2C, 0x01, 0x81, 0x01, 0x14, 0x00, 0x01, 0x01, 0, 0, 0, 0,
        1,    0,    0,  0, 1,    2,    3,    4};
    EXPECT_EQ(*image, expected);
    EXPECT_EQ(MacroImageLength(records), 46u);
    EXPECT_FALSE(BuildMacroImage({MacroRecord(16380)}));
    EXPECT_TRUE(BuildMacroImage({MacroRecord(16378)}));
}

TEST(MacroImage, OversizeResultCountsMissingEvents) {
    const struct {
        size_t total, capacity;
        int result;
    } cases[] = {{128, 128, 0}, {129, 128, 1}, {132, 128, 2}, {136, 128, 3}, {0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(OversizeResult(c.total, c.capacity), c.result) << c.total << "/" << c.capacity;
    }
}

using MacroUploadTest = test::TestDataHome;

TEST_F(MacroUploadTest, UploadPlanFollowsTheListAndTheCapacity) {
    MacroStore store(Root());
    const auto a = store.AddMacro();
    const auto b = store.AddMacro();
    ASSERT_TRUE(a && b);
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < 5; ++i) events.append(MakeMacroEvent(4, i % 2 == 0, 10, 20));
    ASSERT_TRUE(store.SaveMacro(*a, events));
    events.resize(2);
    ASSERT_TRUE(store.SaveMacro(*b, events));

    // Records in list order, b first; an unknown number gives an empty record.
    const size_t total = 16 + 6 * 3 + 4 * (2 + 5);
    MacroUploadPlan plan = PrepareMacroUpload(Root(), {1, 0, 9}, total);
    ASSERT_EQ(plan.result, 0);
    ASSERT_EQ(plan.image.size(), total);
    EXPECT_EQ(plan.image[4], 3);
    EXPECT_EQ(plan.image[22], 2) << "first record holds macro 1's two events";

    EXPECT_EQ(PrepareMacroUpload(Root(), {1, 0, 9}, total - 1).result, 1);
    EXPECT_TRUE(PrepareMacroUpload(Root(), {1, 0, 9}, total - 1).image.empty());
    EXPECT_EQ(PrepareMacroUpload(Root(), {1, 0, 9}, total - 8).result, 3);
    EXPECT_EQ(PrepareMacroUpload(Root(), {}, 0).result, 0);
    EXPECT_TRUE(PrepareMacroUpload(Root() / "none", {0}, 1000).image.empty());
}

}  // namespace
}  // namespace qx
