// A macro's events as scripts read them: one row per event with its kind, the key or button by
// name, the action and the delay. Also the check that a file's text is a macro file at all,
// which an import makes before the file is copied in.
#pragma once

#include <json/value.h>

#include <optional>
#include <string>
#include <string_view>

namespace qx::macros {

// Rows of a macro file's "Events": [{"row", "kind", "name", "button", "action", "delay"}, ...]
// with "distance" for moves. kind: "key", "modifier", "mouse", "move" or "other"; name: the
// key's script name ("A", "Left Ctrl"), the mouse button ("left", "right", "middle", "back",
// "forward") or the direction of a move ("left", "right", "up", "down"); empty when the event
// names nothing known. Entries that are not objects end the list, as the editor reads it.
Json::Value MacroRowsJson(const Json::Value& events);

// The "Events" of a macro file's text: nothing when the text is not a JSON object or its
// "Events" is present but not an array (a missing "Events" is an empty macro). `error` says why.
std::optional<Json::Value> ParseMacroFileText(std::string_view text, std::string* error = nullptr);

}  // namespace qx::macros
