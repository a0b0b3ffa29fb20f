// A macro's rows as scripts read them, and the check an import makes of a file's text.
#include "macros/macro_rows.h"

#include <gtest/gtest.h>

#include "macros/macro_event.h"

namespace qx::macros {
namespace {

TEST(MacroRows, EachKindOfEventIsNamedWithItsActionAndDelay) {
    Json::Value events(Json::arrayValue);
    events.append(MakeMacroEvent(0x04, true, kEventKey, 12));          // A
    events.append(MakeMacroEvent(0x40, false, kEventModifierKey, 0));  // right Alt
    events.append(MakeMacroEvent(16, true, kEventMouseButton, 3));     // forward
    events.append(MakeMacroEvent(25, true, kEventMoveVertical, 0));    // up by 25
    events.append(MakeMacroEvent(0xE9, true, kEventKey, 70000));       // no such usage
    events.append(MakeMacroEvent(7, true, 42, 1));                     // unknown type
    events.append(Json::Value("not an event"));                        // ends the list
    events.append(MakeMacroEvent(0x05, true, kEventKey, 0));
    const Json::Value rows = MacroRowsJson(events);
    ASSERT_EQ(rows.size(), 6u);
    const struct {
        const char* kind;
        const char* name;
        const char* action;
        int delay;
    } expected[] = {{"key", "A", "down", 12},        {"modifier", "RAlt", "up", 0},
                    {"mouse", "forward", "down", 3}, {"move", "up", "down", 0},
                    {"key", "", "down", 65535},      {"other", "", "down", 1}};
    for (Json::ArrayIndex i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i]["row"].asInt(), static_cast<int>(i));
        EXPECT_EQ(rows[i]["kind"].asString(), expected[i].kind);
        EXPECT_EQ(rows[i]["name"].asString(), expected[i].name);
        EXPECT_EQ(rows[i]["action"].asString(), expected[i].action);
        EXPECT_EQ(rows[i]["delay"].asInt(), expected[i].delay);
    }
    EXPECT_EQ(rows[3]["distance"].asInt(), 25);
    EXPECT_EQ(rows[4]["button"].asInt(), 0xE9) << "an unknown key still shows its number";
    EXPECT_EQ(MacroRowsJson(Json::Value("no list")).size(), 0u);
}

TEST(MacroRows, OnlyAJsonObjectWithAListOfEventsIsAMacroFile) {
    const struct {
        const char* text;
        bool accepted;
        Json::ArrayIndex events;
        const char* says;
    } cases[] = {
        {R"({"Events":[{"Type":10}],"Version":64})", true, 1, ""},
        {R"({"MacroName":"x"})", true, 0, ""},  // an empty macro
        {"", false, 0, "not JSON"},
        {"MacroName = x", false, 0, "not JSON"},
        {R"({"Events":[)", false, 0, "not JSON"},
        {"[1, 2]", false, 0, "no JSON object"},
        {R"({"Events":{"Type":10}})", false, 0, "not a list"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const std::optional<Json::Value> events = ParseMacroFileText(c.text, &error);
        ASSERT_EQ(events.has_value(), c.accepted) << error;
        if (events) {
            EXPECT_EQ(events->size(), c.events);
        }
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    // Nesting deep enough to stop the reader is refused, not a crash.
    EXPECT_FALSE(ParseMacroFileText(std::string(100000, '[')));
}

}  // namespace
}  // namespace qx::macros
