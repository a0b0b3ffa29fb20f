// The macro recorder fed the input events a capture reports while the macro editor records: keys
// (any scan code, extended or not, pressed, held and released), mouse buttons and other mouse
// messages, the pointer over the stop button, times that jump or go back, every delay mode and
// placement, and the editor's row buttons and selection in between.
// Besides the sanitizers: the list never passes its row limit, every recorded row is an event
// with a delay of 0-65535, a replaced row keeps its delay and ends the recording, and every row
// is encoded for the device as stored.
// Input: a byte for the delay mode and placement, a constant delay byte, then records: a kind
// byte (key, mouse, a row button or a selection), its fields, and a time step byte.
#include <chrono>

#include "fuzz_support.h"
#include "macros/macro_event.h"
#include "macros/macro_event_list.h"
#include "macros/macro_recorder.h"

using namespace qx;
using macros::MacroEventList;
using macros::MacroRecorder;
using platform::CapturedInput;

namespace {

constexpr macros::Placement kPlacements[] = {macros::Placement::Append, macros::Placement::Before,
                                             macros::Placement::After,
                                             macros::Placement::ReplaceSelected};

constexpr int kMouseMessages[] = {platform::kMouseMove,
                                  platform::kLeftDown,
                                  platform::kLeftUp,
                                  platform::kRightDown,
                                  platform::kRightUp,
                                  platform::kMiddleDown,
                                  platform::kMiddleUp,
                                  platform::kWheel,
                                  platform::kExtraDown,
                                  platform::kExtraUp,
                                  0};

void RequireRowsSound(const MacroEventList& list) {
    fuzz::Require(list.Count() <= MacroEventList::kMaxRows, "the row limit holds");
    for (int row = 0; row < list.Count(); ++row) {
        const Json::Value& event = list.At(row);
        fuzz::Require(event.isObject(), "a row is an event");
        const int delay = EventDelay(event);
        fuzz::Require(delay >= 0 && delay <= MacroEventList::kMaxDelay, "a delay of 0-65535");
        const DeviceMacroEvent encoded = EncodeMacroEvent(event);
        fuzz::Require(encoded[0] + 256 * encoded[1] == delay, "the device gets the stored delay");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader in(data, size);
    const uint8_t setup = in.Byte();
    const auto mode = static_cast<macros::DelayMode>(1 + setup % 3);
    const macros::Placement placement = kPlacements[(setup / 3) % 4];
    const int constantDelay = in.Byte() * 300 - 1000;  // some out of range
    const bool preload = (setup & 0x80) != 0;

    MacroEventList list;
    if (preload) {
        for (int i = 0; i < 4; ++i) list.Insert(i, MakeMacroEvent(4 + i, i % 2 == 0, 1, 20 * i));
        list.Select(1);
    }
    MacroRecorder recorder(list);
    std::chrono::milliseconds now{1'000'000};
    recorder.Start(mode, constantDelay, placement, now);

    for (int record = 0; record < 600 && !in.Empty(); ++record) {
        const uint8_t kind = in.Byte() % 8;
        if (kind >= 6) {  // the editor between events
            const uint8_t what = in.Byte();
            switch (what % 7) {
                case 0:
                    list.Select(int(what / 7) - 2);
                    break;
                case 1:
                    list.MoveUp();
                    break;
                case 2:
                    list.MoveDown();
                    break;
                case 3:
                    list.MoveTop();
                    break;
                case 4:
                    list.MoveBottom();
                    break;
                case 5:
                    list.DeleteSelected();
                    break;
                default:
                    recorder.Start(mode, constantDelay, placement, now);
                    break;
            }
            continue;
        }
        CapturedInput input;
        if (kind < 4) {
            input.kind = CapturedInput::Kind::Key;
            input.scanCode = in.Byte();
            input.extended = (kind & 1) != 0;
            input.down = (kind & 2) != 0;
        } else {
            input.kind = CapturedInput::Kind::Mouse;
            const uint8_t m = in.Byte();
            input.message = kMouseMessages[m % std::size(kMouseMessages)];
            input.extraButton = (m / 16) % 4;
        }
        // Mostly forward, now and then back (a clock that was set) or far ahead.
        const uint8_t step = in.Byte();
        now += std::chrono::milliseconds(step < 240 ? step * 7 : step == 240 ? -5000 : 70'000);
        input.time = now;

        const std::optional<int> selected = list.Selected();
        const int delayBefore = selected ? EventDelay(list.At(*selected)) : 0;
        const MacroRecorder::Outcome outcome = recorder.Feed(input, (kind & 4) && (step & 1));
        if (outcome == MacroRecorder::Outcome::Finished) {
            fuzz::Require(placement == macros::Placement::ReplaceSelected && selected,
                          "only a replaced selected row ends the recording");
            fuzz::Require(EventDelay(list.At(*selected)) == delayBefore,
                          "a replaced row keeps its delay");
            fuzz::Require(!recorder.Recording(), "the recording is over");
        }
    }
    RequireRowsSound(list);

    // What the editor saves reads back as the same rows.
    MacroEventList loaded;
    loaded.Load(list.ToJson());
    fuzz::Require(loaded.ToJson() == list.ToJson(), "saved rows read back");
    return 0;
}
