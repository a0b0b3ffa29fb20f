#include "devices/mouse/mouse_key_labels.h"

#include <array>

namespace qx::devices {
namespace {

// In the order of the logical buttons (the order of their factory codes).
constexpr std::array<const char*, 11> kButtonNames = {
    "mouse_key_left",  "mouse_key_right",   "mouse_key_middle",  "mouse_key_forward",
    "mouse_key_back",  "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop",
    "keyboard_key_GM", "mouse_key_M8_key",  "mouse_key_fire_key"};

constexpr std::array<const char*, 4> kGunKeys = {"gun_1_txt", "gun_2_txt", "gun_3_txt",
                                                 "gun_4_txt"};

}  // namespace

QString MouseButtonName(int button, const Translate& translate) {
    if (button >= 0 && button < static_cast<int>(kButtonNames.size()))
        return translate(QString::fromLatin1(kButtonNames[static_cast<size_t>(button)]));
    return translate(QStringLiteral("mouse_key_extra_text")).arg(button + 1);
}

std::optional<QString> MouseFunctionLabel(const KeyAssignHalf& function, const Translate& translate,
                                          const QStringList& macroNames) {
    const uint8_t p1 = function.b1;
    const uint8_t p2 = function.b0;
    switch (function.b2) {
        case 0x72:
            // Gun keys beyond the four the panel offers have no name: the button keeps its text.
            if (p1 >= kGunKeys.size()) return std::nullopt;
            return translate(QString::fromLatin1(kGunKeys[p1]));
        case 0x40:
            // Both parameters name the key; any other pair is none of the three.
            if (p2 != 0) return std::nullopt;
            return KeyFunctionLabel(function, translate, macroNames);
        case 0xD0:
            // Not a mouse function: what the mouse's own tool shows for one it does not know.
            return QStringLiteral("关闭");
        default:
            return KeyFunctionLabel(function, translate, macroNames);
    }
}

}  // namespace qx::devices
