#include "macros/macro_recorder.h"

#include <algorithm>

#include "macros/key_code_rows.h"
#include "macros/macro_event.h"
#include "macros/mouse_event_rows.h"

namespace qx::macros {

using platform::CapturedInput;

void MacroRecorder::Start(DelayMode delayMode, int constantDelay, Placement placement,
                          std::chrono::milliseconds now) {
    delayMode_ = delayMode;
    constantDelay_ = std::clamp(constantDelay, 0, MacroEventList::kMaxDelay);
    placement_ = placement;
    lastTime_ = now;
    lastKey_.reset();
    lastMouse_.reset();
    recording_ = true;
}

MacroRecorder::Outcome MacroRecorder::Feed(const CapturedInput& input, bool insideStopButton) {
    if (!recording_) return Outcome::Dropped;
    auto event = input.kind == CapturedInput::Kind::Key ? KeyEvent(input)
                                                        : MouseEvent(input, insideStopButton);
    if (!event) return Outcome::Dropped;
    return Place(std::move(*event), input.time);
}

std::optional<Json::Value> MacroRecorder::KeyEvent(const CapturedInput& input) {
    // A held key repeats its press; only the first one counts, until the key is released.
    if (input.down && lastKey_ && lastKey_->scanCode == input.scanCode &&
        lastKey_->extended == input.extended)
        return std::nullopt;
    if (input.down)
        lastKey_ = Key{input.scanCode, input.extended};
    else if (lastKey_ && lastKey_->scanCode == input.scanCode &&
             lastKey_->extended == input.extended)
        lastKey_.reset();

    const auto row = FindScanCodeRow(input.scanCode, input.extended);
    if (!row) return std::nullopt;
    const KeyCodeRow& key = KeyCodeRows()[*row];
    if (key.second != 0) return MakeMacroEvent(key.second, input.down, kEventKey, 0);
    return MakeMacroEvent(key.first, input.down, kEventModifierKey, 0);
}

std::optional<Json::Value> MacroRecorder::MouseEvent(const CapturedInput& input,
                                                     bool insideStopButton) {
    const auto rows = MouseEventRows();
    std::optional<int> row;
    if (input.message == platform::kExtraDown || input.message == platform::kExtraUp) {
        const bool down = input.message == platform::kExtraDown;
        if (input.extraButton == 2)
            row = down ? 6 : 7;
        else if (input.extraButton == 1)
            row = down ? 8 : 9;
    } else {
        for (int r = 0; r < 6; ++r) {
            if (rows[r].message == input.message) row = r;
        }
    }
    if (!row) return std::nullopt;
    const bool left = input.message == platform::kLeftDown || input.message == platform::kLeftUp;
    if (left && insideStopButton) return std::nullopt;
    const std::pair<int, int> identity{input.message, input.extraButton};
    if (lastMouse_ == identity) return std::nullopt;
    lastMouse_ = identity;
    const MouseEventRow& mouse = rows[*row];
    return MakeMacroEvent(mouse.buttonBit, (mouse.typeCode & 0x80) != 0, mouse.typeCode & 0x7F, 0);
}

MacroRecorder::Outcome MacroRecorder::Place(Json::Value event, std::chrono::milliseconds time) {
    const auto selected = list_.Selected();
    int row = 0;
    switch (placement_) {
        case Placement::Append:
            row = list_.Count();
            break;
        case Placement::Before:
            if (!selected) return Outcome::Dropped;
            row = *selected;
            break;
        case Placement::After:
            if (!selected) return Outcome::Dropped;
            row = *selected + 1;
            break;
        case Placement::ReplaceSelected:
            if (!selected) return Outcome::Dropped;
            // The replaced row keeps its pause: only the key changes.
            event["Delay"] = list_.At(*selected)["Delay"];
            list_.Replace(*selected, std::move(event));
            recording_ = false;
            return Outcome::Finished;
    }
    if (list_.Count() >= MacroEventList::kMaxRows) return Outcome::Dropped;

    int measured = 0;
    if (delayMode_ == DelayMode::Recorded) {
        const auto pause = (time - lastTime_).count();
        measured = pause > 65534 ? 65535 : static_cast<int>(std::max<int64_t>(pause, 0));
        lastTime_ = time;
    }
    const bool first = list_.Empty();
    if (!list_.Insert(row, std::move(event))) return Outcome::Dropped;
    if (delayMode_ == DelayMode::Constant) {
        list_.SetDelay(row, constantDelay_);
    } else if (!first && delayMode_ == DelayMode::Recorded && row > 0) {
        // The delay is the pause after an event: the one measured now belongs to the row before.
        list_.SetDelay(row - 1, measured);
    }
    // Recording goes on after the new row, in order.
    if (placement_ == Placement::After) list_.Select(row);
    return Outcome::Added;
}

}  // namespace qx::macros
