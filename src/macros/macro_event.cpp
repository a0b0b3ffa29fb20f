#include "macros/macro_event.h"

#include "core/json_value.h"

namespace qx {
namespace {

// Reads a leading decimal integer as the C library's atoi does (spaces, a sign, digits),
// saturating instead of overflowing.
int LeadingInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFF) {
            value = 0x7FFFFFFF;
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

int EventDelay(const Json::Value& event) {
    const Json::Value& delay = json::Get(event, "Delay");
    if (delay.isString()) return LeadingInteger(delay.asString());
    return json::ToInt(delay);
}

DeviceMacroEvent EncodeMacroEvent(const Json::Value& event) {
    const auto delay = static_cast<uint32_t>(EventDelay(event));
    auto type = static_cast<uint8_t>(json::ToInt(json::Get(event, "Type")));
    if (json::ToString(json::Get(event, "Action")) == "down") type |= 0x80;
    return {static_cast<uint8_t>(delay), static_cast<uint8_t>(delay >> 8), type,
            static_cast<uint8_t>(json::ToInt(json::Get(event, "Button")))};
}

Json::Value MakeMacroEvent(int button, bool down, int type, int delay) {
    Json::Value event(Json::objectValue);
    event["Button"] = button;
    event["Action"] = down ? "down" : "up";
    event["Type"] = type;
    event["Delay"] = std::to_string(delay);
    return event;
}

}  // namespace qx
