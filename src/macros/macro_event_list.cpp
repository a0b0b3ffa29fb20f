#include "macros/macro_event_list.h"

#include <algorithm>

#include "core/json_value.h"
#include "macros/key_code_rows.h"
#include "macros/macro_event.h"
#include "macros/mouse_event_rows.h"

namespace qx::macros {

EventRowText DescribeEvent(const Json::Value& event) {
    EventRowText text;
    const int type = json::ToInt(json::Get(event, "Type"));
    const int button = json::ToInt(json::Get(event, "Button"));
    text.down = json::ToString(json::Get(event, "Action")) == "down";
    text.delay = std::clamp(EventDelay(event), 0, MacroEventList::kMaxDelay);
    const auto keys = KeyCodeRows();
    const auto mouse = MouseEventRows();
    if (type == kEventKey || type == kEventModifierKey) {
        text.keyboard = true;
        const auto row = type == kEventKey ? FindUsageRow(button) : FindModifierRow(button);
        if (row)
            text.nameKey = std::string(keys[*row].nameKey);
        else
            text.number = button;
    } else if (type == kEventMouseButton) {
        if (const auto row = FindMouseButtonRow(button, text.down))
            text.nameKey = std::string(mouse[*row].nameKey);
        else
            text.number = button;
    } else if (type == kEventMoveHorizontal || type == kEventMoveVertical) {
        if (const auto row = FindMouseMoveRow(type | (text.down ? 0x80 : 0)))
            text.nameKey = std::string(mouse[*row].nameKey);
        text.value = std::to_string(button);
    } else {
        text.number = button;
    }
    return text;
}

void MacroEventList::Load(const Json::Value& events) {
    Clear();
    if (!events.isArray()) return;
    for (const Json::Value& event : events) {
        if (!event.isObject() || Count() >= kMaxRows) break;
        events_.push_back(event);
    }
}

Json::Value MacroEventList::ToJson() const {
    Json::Value events(Json::arrayValue);
    for (const Json::Value& event : events_) events.append(event);
    return events;
}

void MacroEventList::Select(std::optional<int> row) {
    selected_ = row && *row >= 0 && *row < Count() ? row : std::nullopt;
}

bool MacroEventList::Insert(int row, Json::Value event) {
    if (Count() >= kMaxRows || row < 0 || row > Count()) return false;
    events_.insert(events_.begin() + row, std::move(event));
    if (selected_ && *selected_ >= row) ++*selected_;
    return true;
}

bool MacroEventList::Replace(int row, Json::Value event) {
    if (row < 0 || row >= Count()) return false;
    events_[static_cast<size_t>(row)] = std::move(event);
    return true;
}

void MacroEventList::SetDelay(int row, int delay) {
    if (row < 0 || row >= Count()) return;
    events_[static_cast<size_t>(row)]["Delay"] = std::to_string(std::clamp(delay, 0, kMaxDelay));
}

bool MacroEventList::MoveSelectedTo(int row) {
    if (!selected_ || row < 0 || row >= Count() || row == *selected_) return false;
    Json::Value event = std::move(events_[static_cast<size_t>(*selected_)]);
    events_.erase(events_.begin() + *selected_);
    events_.insert(events_.begin() + row, std::move(event));
    selected_ = row;
    return true;
}

bool MacroEventList::MoveUp() { return selected_ && MoveSelectedTo(*selected_ - 1); }
bool MacroEventList::MoveDown() { return selected_ && MoveSelectedTo(*selected_ + 1); }
bool MacroEventList::MoveTop() { return MoveSelectedTo(0); }
bool MacroEventList::MoveBottom() { return MoveSelectedTo(Count() - 1); }

bool MacroEventList::DeleteSelected() {
    if (!selected_) return false;
    events_.erase(events_.begin() + *selected_);
    // The row after the deleted one takes the selection, so that repeated presses go on.
    Select(*selected_ < Count() ? selected_
                                : (Count() ? std::optional<int>(Count() - 1) : std::nullopt));
    return true;
}

void MacroEventList::Clear() {
    events_.clear();
    selected_.reset();
}

}  // namespace qx::macros
