#include "macros/macro_rows.h"

#include <json/reader.h>

#include <exception>

#include "core/json_value.h"
#include "macros/key_code_rows.h"
#include "macros/key_functions.h"
#include "macros/macro_event.h"
#include "macros/macro_event_list.h"

namespace qx::macros {
namespace {

std::string MouseButtonName(int bit) {
    switch (bit) {
        case 1:
            return "left";
        case 2:
            return "right";
        case 4:
            return "middle";
        case 8:
            return "back";
        case 16:
            return "forward";
        default:
            return {};
    }
}

}  // namespace

Json::Value MacroRowsJson(const Json::Value& events) {
    Json::Value rows(Json::arrayValue);
    for (Json::ArrayIndex i = 0; i < json::ArraySize(events); ++i) {
        const Json::Value& event = events[i];
        if (!event.isObject()) break;
        const EventRowText text = DescribeEvent(event);
        const int type = json::ToInt(json::Get(event, "Type"));
        const int button = json::ToInt(json::Get(event, "Button"));
        Json::Value row(Json::objectValue);
        row["row"] = static_cast<int>(i);
        std::string kind = "other";
        std::string name;
        if (type == kEventKey || type == kEventModifierKey) {
            kind = type == kEventKey ? "key" : "modifier";
            const auto found = type == kEventKey ? FindUsageRow(button) : FindModifierRow(button);
            if (found) name = ScriptKeyName(*found);
        } else if (type == kEventMouseButton) {
            kind = "mouse";
            name = MouseButtonName(button);
        } else if (type == kEventMoveHorizontal || type == kEventMoveVertical) {
            kind = "move";
            if (type == kEventMoveHorizontal)
                name = text.down ? "left" : "right";
            else
                name = text.down ? "up" : "down";
            row["distance"] = button;
        }
        row["kind"] = kind;
        row["name"] = name;
        row["button"] = button;
        row["action"] = text.down ? "down" : "up";
        row["delay"] = text.delay;
        rows.append(row);
    }
    return rows;
}

std::optional<Json::Value> ParseMacroFileText(std::string_view text, std::string* error) {
    const auto fail = [error](const char* why) -> std::optional<Json::Value> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    Json::Value root;
    try {
        Json::Reader reader;
        if (text.empty() || !reader.parse(text.data(), text.data() + text.size(), root, false))
            return fail("the file is not JSON");
    } catch (const std::exception&) {
        return fail("the file is not JSON");
    }
    if (!root.isObject()) return fail("the file is not a macro file (no JSON object)");
    const Json::Value& events = json::Get(root, "Events");
    if (events.isNull()) return Json::Value(Json::arrayValue);
    if (!events.isArray()) return fail("the macro file's \"Events\" is not a list");
    return events;
}

}  // namespace qx::macros
