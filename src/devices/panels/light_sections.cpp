#include "devices/panels/light_sections.h"

namespace qx::devices {
namespace {

constexpr SectionState E = SectionState::Enabled;
constexpr SectionState D = SectionState::Disabled;
constexpr SectionState H = SectionState::Hidden;

struct KeyboardRow {
    SectionState colourful, colour, palette, brightness, speed;
    SectionState direction;  // E shown; D (disabled) and H both leave it hidden
};

LightSections KeyboardSections(int effect) {
    LightSections s;
    // Every time: the direction section enabled but hidden, speed shown, the extra choices
    // hidden, the colour section enabled, the colour tabs on their first page.
    s.direction = H;
    s.speed = E;
    auto row = [&s](KeyboardRow r) {
        s.colourful = r.colourful;
        s.colour = r.colour;
        s.palette = r.palette;
        s.brightness = r.brightness;
        s.speed = r.speed;
        // The section shows only where the effect uses it; hidden, it is not usable either.
        s.direction = r.direction == E ? E : H;
    };
    const KeyboardRow all{E, E, E, E, E, D};
    const KeyboardRow off{D, D, D, D, D, D};
    switch (effect) {
        case 1:
        case 2:
        case 4:
            row({E, E, E, E, E, E});
            break;
        case 3:
            row({D, D, D, E, E, E});
            s.colourLayoutEnabled = false;
            s.firstDirectionKey = "light_set_outside_to_inside_text";
            s.secondDirectionKey = "light_set_inside_to_outside_text";
            break;
        case 5:
        case 7:
            row({D, E, E, E, H, D});
            break;
        case 6:
        case 23:
        case 8:
        case 9:
        case 10:
        case 13:
        case 14:
        case 15:
        case 16:
        case 17:
        case 18:
        case 20:
        case 22:
            row(all);
            break;
        case 11:
        case 12:
        case 42:
        case 40:
        case 30:
            row({D, D, D, E, effect == 30 ? H : E, D});
            s.colourLayoutEnabled = false;
            break;
        case 19:
            row({E, E, E, E, E, E});
            s.firstDirectionKey = "light_set_down_to_up_text";
            s.secondDirectionKey = "light_set_up_to_down_text";
            break;
        case 21:
            row({D, E, E, E, H, D});
            s.customShown = true;
            break;
        case 24:
            row({E, E, E, E, E, H});
            s.firstDirectionKey = "light_set_down_to_up_text";
            s.secondDirectionKey = "light_set_up_to_down_text";
            break;
        case 26:
        case 27:
            row({D, D, D, E, E, D});
            break;
        case 28:
            row(off);
            break;
        case 29:
            row({E, E, E, E, H, D});
            s.audioShown = true;
            s.colourTabPage = 1;
            break;
        case 41:
        case 43:
            row({E, E, E, E, E, H});
            break;
        case 45:
            row({D, D, D, E, H, D});
            s.presetShown = true;
            s.colourLayoutEnabled = false;
            break;
        default:
            row(off);
            break;
    }
    s.captureShown = effect == 29 || effect == 30;
    s.sameModeShown = false;
    return s;
}

// The other kinds: colourful, colour, palette, brightness, speed, direction, same-mode allowed.
struct CoarseRow {
    SectionState colourful, colour, palette, brightness, speed, direction;
    bool sameModeAllowed = false;
};

constexpr CoarseRow kAllOn{E, E, E, E, E, E};
constexpr CoarseRow kAllOff{D, D, D, D, D, D};

CoarseRow MouseRow(int effect, int offEffect) {
    switch (effect) {
        case 0:
            return kAllOn;
        case 1:
            return {D, D, D, E, E, E};
        case 2:
        case 4:
            return {E, E, E, E, E, D};
        case 3:
            return {D, E, E, E, D, D};
        default:
            break;
    }
    if (effect == offEffect) return {D, D, D, D, D, D, true};
    return kAllOff;
}

CoarseRow MouseOnlyRow(int effect) {
    switch (effect) {
        case 5:
            return kAllOn;
        case 6:
            return {E, E, E, E, E, D};
        case 7:
        case 8:
            return {D, D, D, E, E, D};
        default:
            return MouseRow(effect, 9);
    }
}

CoarseRow KindFiveRow(int effect) {
    switch (effect) {
        case 0:
        case 2:
        case 3:
            return kAllOn;
        case 1:
            return {D, E, E, E, D, E};
        case 4:
            return {D, D, D, E, E, E};
        default:
            return kAllOff;
    }
}

}  // namespace

LightSections SectionsFor(DeviceKind kind, int effect, bool sameMode) {
    if (kind == DeviceKind::KeyboardWired || kind == DeviceKind::KeyboardWireless)
        return KeyboardSections(effect);
    CoarseRow row;
    switch (static_cast<int>(kind)) {
        case static_cast<int>(DeviceKind::MouseWired):
        case static_cast<int>(DeviceKind::MouseWireless):
            row = MouseOnlyRow(effect);
            break;
        case static_cast<int>(DeviceKind::MousePad):
        case 4:
        case static_cast<int>(DeviceKind::Headset):
            row = MouseRow(effect, 8);
            break;
        case 5:
            row = KindFiveRow(effect);
            break;
        default:
            row = kAllOff;
            break;
    }
    LightSections s;
    s.colourful = row.colourful;
    s.colour = row.colour;
    s.palette = row.palette;
    s.brightness = row.brightness;
    s.speed = row.speed;
    s.direction = row.direction;
    s.sameModeShown = row.sameModeAllowed || sameMode;
    return s;
}

}  // namespace qx::devices
