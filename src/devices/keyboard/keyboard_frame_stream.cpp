// The keyboard's frame: its picture's keys lit in the colours the keyboard shows, and in the two
// host-driven effects the frame streamed to the keyboard, each LED as three bytes at three times
// its key position in the keyboard's own layout.
#include <QWidget>
#include <algorithm>

#include "devices/base/led_button.h"
#include "devices/base/led_picture.h"
#include "devices/keyboard/orvane_keyboard_device.h"

namespace qx::devices {

namespace {

constexpr int kSoundEffect = 29;
constexpr int kHostColourEffect = 30;
constexpr size_t kKeyCountByte = 5;

}  // namespace

void COrvaneKeyboardDevice::PaintFrame(const lighting::LightFrame& frame) {
    // The keys show their light on the lighting page only; elsewhere the picture stays dark.
    const bool lightingPage = GetFunctionPage() == 1;
    const bool customColours =
        Lighting() != nullptr && Lighting()->Settings().effectId == kCustomColourEffect;
    // The light of each key is shown by the picture's LED button over it ("light_" + LED).
    const std::vector<QPointer<QWidget>>& keys = LedButtons();
    const size_t count = std::min(keys.size(), static_cast<size_t>(std::max(frame.size, 0)));
    for (size_t i = 0; i < count; ++i) {
        QWidget* button = keys[i];
        if (button == nullptr) continue;
        // The LED picture hides the buttons it draws; the skin's own hidden LEDs stay dark.
        if (!lightingPage || (button->isHidden() && !IsPictureLed(button))) {
            PaintLedButton(button, 0, 0);
            continue;
        }
        const lighting::LedRecord& led = frame.leds[i];
        // In the custom-colour effect only the keys given a colour of their own are lit.
        const uint32_t level = customColours && led.custom == 0 ? 0 : led.level;
        PaintLedButton(button, static_cast<uint32_t>(led.red | led.green << 8 | led.blue << 16),
                       level);
    }
    FollowLedPicture();
}

bool COrvaneKeyboardDevice::StreamsFrames(int effectId) const {
    // Through the receiver the keyboard runs its effects itself: the radio link is spared.
    return Kind() == DeviceKind::KeyboardWired && !Receiver() &&
           (effectId == kSoundEffect || effectId == kHostColourEffect);
}

size_t COrvaneKeyboardDevice::BuildStreamFrame(
    const lighting::LightFrame& frame, std::array<uint8_t, DeviceLink::kMaxBlockSize>& out) const {
    const KeyPositionMap positions = PositionMaps().colour;
    out.fill(0);
    const size_t count = std::min(positions.size(), static_cast<size_t>(std::max(frame.size, 0)));
    for (size_t i = 0; i < count; ++i) {
        const size_t position = positions[i];
        if (position == kNoPosition || 3 * position + 2 >= out.size()) continue;
        const lighting::Rgb shown = lighting::ShownColour(frame.leds[i]);
        out[3 * position] = shown.red;
        out[3 * position + 1] = shown.green;
        out[3 * position + 2] = shown.blue;
    }
    // As many LEDs as the keyboard has keys in its layout.
    return std::min<size_t>(size_t{Identity()[kKeyCountByte]} * 3, out.size());
}

Result COrvaneKeyboardDevice::StreamFrame(const uint8_t* data, size_t length) {
    return CommandLink().CmdStreamFrame(data, length);
}

}  // namespace qx::devices
