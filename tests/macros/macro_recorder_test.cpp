#include <gtest/gtest.h>

#include <json/reader.h>

#include <string>

#include "macros/macro_event_list.h"
#include "macros/macro_recorder.h"

namespace qx::macros {
namespace {

using namespace std::chrono_literals;
using platform::CapturedInput;
using Outcome = MacroRecorder::Outcome;

CapturedInput Key(uint8_t scanCode, bool down, std::chrono::milliseconds time,
                  bool extended = false) {
    CapturedInput input;
    input.kind = CapturedInput::Kind::Key;
    input.scanCode = scanCode;
    input.extended = extended;
    input.down = down;
    input.time = time;
    return input;
}

CapturedInput Mouse(int message, std::chrono::milliseconds time, int extraButton = 0) {
    CapturedInput input;
    input.kind = CapturedInput::Kind::Mouse;
    input.message = message;
    input.extraButton = extraButton;
    input.time = time;
    return input;
}

std::string Row(const MacroEventList& list, int row) {
    const Json::Value& e = list.At(row);
    return std::to_string(e["Type"].asInt()) + ":" + std::to_string(e["Button"].asInt()) + ":" +
           e["Action"].asString() + ":" + e["Delay"].asString();
}

constexpr uint8_t kA = 0x1E, kB = 0x30, kCtrl = 0x1D;

TEST(MacroRecorder, RecordedDelaysGoToTheRowBeforeAndHeldKeysGiveOnePress) {
    MacroEventList list;
    MacroRecorder recorder(list);
    recorder.Start(DelayMode::Recorded, 0, Placement::Append, 1000ms);
    EXPECT_EQ(recorder.Feed(Key(kA, true, 1100ms)), Outcome::Added);
    EXPECT_EQ(recorder.Feed(Key(kA, true, 1130ms)), Outcome::Dropped);  // auto-repeat
    EXPECT_EQ(recorder.Feed(Key(kA, true, 1160ms)), Outcome::Dropped);
    EXPECT_EQ(recorder.Feed(Key(kA, false, 1350ms)), Outcome::Added);
    EXPECT_EQ(recorder.Feed(Key(kCtrl, true, 1400ms, true)), Outcome::Added);   // right Ctrl
    EXPECT_EQ(recorder.Feed(Key(0x2A, true, 1500ms, true)), Outcome::Dropped);  // no such key
    EXPECT_EQ(recorder.Feed(Mouse(platform::kLeftDown, 71000ms)), Outcome::Added);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(Row(list, 0), "10:4:down:250");  // A, HID usage 4
    EXPECT_EQ(Row(list, 1), "10:4:up:50");
    EXPECT_EQ(Row(list, 2), "9:16:down:65535");  // right Ctrl's modifier bit; pause capped
    EXPECT_EQ(Row(list, 3), "1:1:down:0");
    // Releasing the held key lets the same key be pressed again.
    EXPECT_EQ(recorder.Feed(Key(kA, true, 71100ms)), Outcome::Added);
}

TEST(MacroRecorder, ConstantAndIgnoredDelays) {
    MacroEventList list;
    MacroRecorder recorder(list);
    recorder.Start(DelayMode::Constant, 70000, Placement::Append, 0ms);
    recorder.Feed(Key(kA, true, 10ms));
    recorder.Feed(Key(kA, false, 20ms));
    EXPECT_EQ(Row(list, 0), "10:4:down:65535");
    EXPECT_EQ(Row(list, 1), "10:4:up:65535");

    list.Clear();
    recorder.Start(DelayMode::None, 0, Placement::Append, 0ms);
    recorder.Feed(Key(kA, true, 500ms));
    recorder.Feed(Key(kA, false, 900ms));
    EXPECT_EQ(Row(list, 0), "10:4:down:0");
    EXPECT_EQ(Row(list, 1), "10:4:up:0");
}

TEST(MacroRecorder, MouseButtonsRepeatsAndTheStopButtonsOwnClick) {
    MacroEventList list;
    MacroRecorder recorder(list);
    recorder.Start(DelayMode::None, 0, Placement::Append, 0ms);
    const struct {
        CapturedInput input;
        bool insideStop;
        Outcome outcome;
        const char* row;
    } cases[] = {
        {Mouse(platform::kRightDown, 1ms), false, Outcome::Added, "1:2:down:0"},
        {Mouse(platform::kRightDown, 2ms), false, Outcome::Dropped, nullptr},  // same message
        {Mouse(platform::kRightUp, 3ms), false, Outcome::Added, "1:2:up:0"},
        {Mouse(platform::kMiddleDown, 4ms), false, Outcome::Added, "1:4:down:0"},
        {Mouse(platform::kExtraDown, 5ms, 2), false, Outcome::Added, "1:16:down:0"},
        {Mouse(platform::kExtraDown, 6ms, 1), false, Outcome::Added, "1:8:down:0"},
        {Mouse(platform::kExtraUp, 7ms, 3), false, Outcome::Dropped, nullptr},
        {Mouse(platform::kWheel, 8ms), false, Outcome::Dropped, nullptr},
        {Mouse(platform::kMouseMove, 9ms), false, Outcome::Dropped, nullptr},
        {Mouse(platform::kLeftDown, 10ms), true, Outcome::Dropped, nullptr},
        {Mouse(platform::kLeftUp, 11ms), true, Outcome::Dropped, nullptr},
        {Mouse(platform::kRightUp, 12ms), true, Outcome::Added, "1:2:up:0"},
    };
    for (const auto& c : cases) {
        const int before = list.Count();
        EXPECT_EQ(recorder.Feed(c.input, c.insideStop), c.outcome) << c.input.message;
        if (c.row) {
            EXPECT_EQ(Row(list, before), c.row) << c.input.message;
        }
    }
    EXPECT_EQ(list.Count(), 6);
}

TEST(MacroRecorder, InsertsBeforeOrAfterTheSelectedRowInOrderAndReplacesOnce) {
    MacroEventList list;
    MacroRecorder recorder(list);
    recorder.Start(DelayMode::None, 0, Placement::Append, 0ms);
    recorder.Feed(Key(kA, true, 1ms));
    recorder.Feed(Key(kA, false, 2ms));

    recorder.Start(DelayMode::None, 0, Placement::After, 0ms);
    EXPECT_EQ(recorder.Feed(Key(kA, true, 3ms)), Outcome::Dropped);  // nothing selected
    list.Select(0);
    recorder.Feed(Key(kB, true, 4ms));
    recorder.Feed(Key(kB, false, 5ms));
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(Row(list, 1), "10:5:down:0");
    EXPECT_EQ(Row(list, 2), "10:5:up:0");

    list.Select(0);
    recorder.Start(DelayMode::Recorded, 0, Placement::Before, 0ms);
    recorder.Feed(Key(kCtrl, true, 30ms));
    recorder.Feed(Key(kCtrl, false, 70ms));
    ASSERT_EQ(list.Count(), 6);
    EXPECT_EQ(Row(list, 0), "9:1:down:40");
    EXPECT_EQ(Row(list, 1), "9:1:up:0");
    EXPECT_EQ(Row(list, 2), "10:4:down:0");
    EXPECT_EQ(list.Selected(), 2);

    list.SetDelay(2, 123);
    recorder.Start(DelayMode::None, 0, Placement::ReplaceSelected, 0ms);
    EXPECT_EQ(recorder.Feed(Key(kB, false, 90ms)), Outcome::Finished);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(Row(list, 2), "10:5:up:123");
    EXPECT_EQ(recorder.Feed(Key(kA, true, 95ms)), Outcome::Dropped);
    EXPECT_EQ(list.Count(), 6);
}

TEST(MacroRecorder, TheRowLimitHoldsNewRowsBack) {
    MacroEventList list;
    MacroRecorder recorder(list);
    recorder.Start(DelayMode::None, 0, Placement::Append, 0ms);
    for (int i = 0; list.Count() < MacroEventList::kMaxRows; ++i) {
        ASSERT_EQ(recorder.Feed(Key(kA, i % 2 == 0, std::chrono::milliseconds(i))), Outcome::Added);
    }
    EXPECT_EQ(recorder.Feed(Key(kB, true, 9000ms)), Outcome::Dropped);
    EXPECT_EQ(list.Count(), 4000);
    EXPECT_FALSE(list.Insert(0, Json::Value(Json::objectValue)));
}

TEST(MacroEventList, RowButtonsMoveTheSelectedRow) {
    MacroEventList list;
    for (int i = 0; i < 4; ++i) {
        Json::Value e(Json::objectValue);
        e["Button"] = i;
        list.Insert(i, e);
    }
    const auto order = [&] {
        std::string s;
        for (int i = 0; i < list.Count(); ++i) s += std::to_string(list.At(i)["Button"].asInt());
        return s;
    };
    EXPECT_FALSE(list.MoveUp());  // no selection
    list.Select(1);
    EXPECT_TRUE(list.MoveUp());
    EXPECT_EQ(order(), "1023");
    EXPECT_FALSE(list.MoveUp());
    EXPECT_TRUE(list.MoveBottom());
    EXPECT_EQ(order(), "0231");
    EXPECT_FALSE(list.MoveDown());
    EXPECT_TRUE(list.MoveTop());
    EXPECT_EQ(order(), "1023");
    EXPECT_TRUE(list.MoveDown());
    EXPECT_EQ(order(), "0123");
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(order(), "023");
    EXPECT_EQ(list.Selected(), 1);
    list.Select(7);
    EXPECT_FALSE(list.Selected());
    EXPECT_FALSE(list.DeleteSelected());
    list.Clear();
    EXPECT_TRUE(list.Empty());
}

TEST(MacroEventList, RowsShowTheirKeyMouseEventOrNumber) {
    Json::Value file;
    Json::Reader().parse(R"([
        {"Button": 4, "Action": "down", "Type": 10, "Delay": "70000"},
        {"Button": 32, "Action": "up", "Type": 9, "Delay": "5"},
        {"Button": 16, "Action": "down", "Type": 1, "Delay": "0"},
        {"Button": 12, "Action": "up", "Type": 5, "Delay": "x"},
        {"Button": 3, "Action": "down", "Type": 2, "Delay": "1"},
        "not an event",
        {"Button": 4, "Action": "down", "Type": 10, "Delay": "0"}
    ])",
                         file);
    MacroEventList list;
    list.Load(file);
    ASSERT_EQ(list.Count(), 5);
    const struct {
        const char* nameKey;
        const char* value;
        int number;
        bool down, keyboard;
        int delay;
    } expected[] = {
        {"keyboard_key_A", "", 0, true, true, 65535},
        {"keyboard_key_RShift", "", 0, false, true, 5},
        {"mouse_key_forward", "", 0, true, false, 0},
        {"mouse_move_to_down_text", "12", 0, false, false, 0},
        {"", "", 3, true, false, 1},
    };
    for (int i = 0; i < 5; ++i) {
        const EventRowText text = DescribeEvent(list.At(i));
        EXPECT_EQ(text.nameKey, expected[i].nameKey) << i;
        EXPECT_EQ(text.value, expected[i].value) << i;
        EXPECT_EQ(text.number, expected[i].number) << i;
        EXPECT_EQ(text.down, expected[i].down) << i;
        EXPECT_EQ(text.keyboard, expected[i].keyboard) << i;
        EXPECT_EQ(text.delay, expected[i].delay) << i;
    }
}

}  // namespace
}  // namespace qx::macros
