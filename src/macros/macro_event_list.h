// The event rows of the macro being edited: event objects in playing order with the selected
// row, and the row edits of the editor's buttons (move, delete, insert). The list never holds
// more than kMaxRows rows.
#pragma once

#include <json/value.h>

#include <optional>
#include <string>
#include <vector>

namespace qx::macros {

// What a row shows for its event.
struct EventRowText {
    std::string nameKey;    // language key of the key or mouse event; empty when unknown
    std::string value;      // the distance of a move ("%d"); empty otherwise
    int number = 0;         // "Button" of an event of a type without a name (shown as a number)
    bool down = false;      // "Action" "down"
    bool keyboard = false;  // keyboard style (else mouse style)
    int delay = 0;          // "Delay", 0-65535
};

EventRowText DescribeEvent(const Json::Value& event);

class MacroEventList {
  public:
    static constexpr int kMaxRows = 4000;
    static constexpr int kMaxDelay = 65535;

    // Rows from a macro file's "Events"; stops at the first entry that is not an object.
    void Load(const Json::Value& events);
    // The rows as "Events" for saving.
    Json::Value ToJson() const;

    int Count() const { return static_cast<int>(events_.size()); }
    bool Empty() const { return events_.empty(); }
    const Json::Value& At(int row) const { return events_.at(static_cast<size_t>(row)); }

    std::optional<int> Selected() const { return selected_; }
    // Out-of-range rows clear the selection.
    void Select(std::optional<int> row);

    // Inserts at `row` (0..Count); false when full or out of range. The selection is kept on
    // the row it was on.
    bool Insert(int row, Json::Value event);
    bool Replace(int row, Json::Value event);
    // Sets "Delay" (clamped to 0..65535).
    void SetDelay(int row, int delay);

    // Row buttons on the selected row; false when nothing moved.
    bool MoveUp();
    bool MoveDown();
    bool MoveTop();
    bool MoveBottom();
    bool DeleteSelected();
    void Clear();

  private:
    bool MoveSelectedTo(int row);

    std::vector<Json::Value> events_;
    std::optional<int> selected_;
};

}  // namespace qx::macros
