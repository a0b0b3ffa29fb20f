// The keyboard's side of the lighting panel: its lighting block, the custom-colour groups and the
// keys picked for custom colours.
#include <algorithm>

#include "core/diagnostics.h"
#include "devices/keyboard/keyboard_write_errors.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/panels/light_control_ui.h"
#include "lighting/keyboard_lighting.h"

namespace qx::devices {

Result COrvaneKeyboardDevice::WriteLightingBlock() { return WriteSystemBlock(0, 0, 1, 0, 0); }

void COrvaneKeyboardDevice::SelectCustomGroup(int group) {
    if (group < 0 || group > 255) return;
    LightInfoRecord record = LightRecord();
    record.customGroup = static_cast<uint8_t>(group);
    {
        std::lock_guard lock(model_);
        profile_.SetCustomGroupIndex(group);
    }
    // Stores the group, saves, applies (which loads the group's colours in the custom-colour
    // effect) and writes the block; the mask follows on the worker.
    ChangeLighting(record, [this](const QString& error) {
        if (!error.isEmpty()) {
            ShowUserMessage(error);
            return;
        }
        if (Light().effectId != kCustomColourEffect) return;
        Post([this] {
            const Result result = SendCustomColourMask();
            if (result == kResultSuccess) return;
            OnUiThread([result] { ShowUserMessage(LightWriteErrorText(result)); });
        });
    });
}

void COrvaneKeyboardDevice::SetCustomColourKeys(const std::vector<int>& keys) {
    auto* keyboard = dynamic_cast<lighting::KeyboardLighting*>(Lighting());
    if (keyboard == nullptr || Light().effectId != kCustomColourEffect) return;
    const int size = Frame().size;
    bool any = false;
    keyboard->ApplySettings(Light());
    for (const int key : keys) {
        if (key < 0 || key >= size) continue;
        keyboard->SetCustomColour(key);
        any = true;
    }
    if (!any) return;
    NoteFrameWritten();
    const lighting::LightFrame frame = Frame();
    {
        std::lock_guard lock(model_);
        std::vector<ColourCell> cells;
        for (int i = 0; i < frame.size; ++i) {
            const lighting::LedRecord& led = frame.leds[static_cast<size_t>(i)];
            cells.push_back({led.red, led.green, led.blue, 0, led.custom});
        }
        profile_.SetCustomColours(cells, lightInfo_.customGroup);
        if (!SaveLocked()) ShowUserMessage(WriteErrorText(WriteError::ProfileNotSaved));
    }
    // The keyboard takes the mask on its cable only.
    if (Receiver()) return;
    Post([this] {
        const Result result = SendCustomColourMask();
        if (result == kResultSuccess) return;
        OnUiThread([result] { ShowUserMessage(LightWriteErrorText(result)); });
    });
}

}  // namespace qx::devices
