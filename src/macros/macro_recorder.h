// Turns captured keys and mouse buttons into event rows of the macro being edited: the delay
// after each event by the chosen delay mode, one press per held key, the row limit, and where
// the row goes (appended, before or after the selected row, or in place of it).
#pragma once

#include <chrono>
#include <optional>

#include "macros/macro_event_list.h"
#include "platform/input_capture.h"

namespace qx::macros {

enum class DelayMode { Recorded = 1, Constant = 2, None = 3 };

// Where recorded rows go; the values are the capture modes of the editor's buttons and menu.
enum class Placement { Append = 4, Before = 8, After = 16, ReplaceSelected = 32 };

class MacroRecorder {
  public:
    enum class Outcome {
        Added,     // a row was added or replaced
        Dropped,   // not recordable, a repeat, full list, no selected row, or not recording
        Finished,  // the selected row was replaced; the capture is over
    };

    explicit MacroRecorder(MacroEventList& list) : list_(list) {}

    // `constantDelay` is used in DelayMode::Constant (clamped to 0-65535); `now` starts the
    // first measured pause.
    void Start(DelayMode delayMode, int constantDelay, Placement placement,
               std::chrono::milliseconds now);
    void Stop() { recording_ = false; }
    bool Recording() const { return recording_; }
    DelayMode Mode() const { return delayMode_; }
    Placement Where() const { return placement_; }

    // `insideStopButton`: the pointer is over the button that ends the recording, whose own
    // click must not be recorded.
    Outcome Feed(const platform::CapturedInput& input, bool insideStopButton = false);

  private:
    std::optional<Json::Value> KeyEvent(const platform::CapturedInput& input);
    std::optional<Json::Value> MouseEvent(const platform::CapturedInput& input,
                                          bool insideStopButton);
    Outcome Place(Json::Value event, std::chrono::milliseconds time);

    MacroEventList& list_;
    bool recording_ = false;
    DelayMode delayMode_ = DelayMode::Recorded;
    Placement placement_ = Placement::Append;
    int constantDelay_ = 0;
    std::chrono::milliseconds lastTime_{0};
    struct Key {
        uint8_t scanCode;
        bool extended;
    };
    std::optional<Key> lastKey_;
    std::optional<std::pair<int, int>> lastMouse_;  // message, extra button
};

}  // namespace qx::macros
