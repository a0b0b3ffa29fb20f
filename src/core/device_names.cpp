#include "core/device_names.h"

#include <array>
#include <cctype>
#include <utility>

namespace qx {

const char* DeviceNameOfKind(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::KeyboardWired:
            return "keyboard";
        case DeviceKind::KeyboardWireless:
            return "keyboard-receiver";
        case DeviceKind::MouseWired:
            return "mouse";
        case DeviceKind::MouseWireless:
            return "mouse-receiver";
        case DeviceKind::MousePad:
            return "pad";
        case DeviceKind::Headset:
            return "headset";
    }
    return "unknown";
}

std::string CanonicalDeviceName(std::string_view name) {
    std::string lower;
    lower.reserve(name.size());
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // Older forms: the family folders ("HD", "MousePad"), the kind names of `device info` and a
    // few spellings people type.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kAliases{{
        {"kb", "keyboard"},
        {"keyboardwired", "keyboard"},
        {"keyboardwireless", "keyboard-receiver"},
        {"keyboard_receiver", "keyboard-receiver"},
        {"ms", "mouse"},
        {"mousewired", "mouse"},
        {"mousewireless", "mouse-receiver"},
        {"mouse_receiver", "mouse-receiver"},
        {"mousepad", "pad"},
        {"mouse-pad", "pad"},
        {"hd", "headset"},
        {"hs", "headset"},
        {"pad_receiver", "pad-receiver"},
        {"padreceiver", "pad-receiver"},
    }};
    for (const auto& [alias, canonical] : kAliases) {
        if (lower == alias) return std::string(canonical);
    }
    static constexpr std::array<std::string_view, 7> kNames{
        "keyboard", "keyboard-receiver", "mouse",  "mouse-receiver",
        "pad",      "pad-receiver",      "headset"};
    for (std::string_view known : kNames) {
        if (lower == known) return lower;
    }
    return std::string(name);
}

}  // namespace qx
