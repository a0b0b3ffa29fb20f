// The messages the program's windows and threads exchange: fixed private numbers, and the
// registered messages shared with other programs (by name on the session bus; each name also has
// a process-wide number, as a registered window message would).
#pragma once

#include <array>
#include <string_view>

namespace qx::msg {

// Private numbers.
inline constexpr unsigned kTrayIcon = 1025;     // lParam: mouse event on the tray icon
inline constexpr unsigned kHookControl = 1054;  // wParam 1 install, 0 remove the hook
inline constexpr unsigned kMenuCommand = 1145;  // wParam: the chosen menu item
inline constexpr unsigned kDpiChangedNotice = 1224;
inline constexpr unsigned kShowSettingProgress = 3072;
inline constexpr unsigned kLanguageChanged = 3089;  // wParam: language index
inline constexpr unsigned kDeviceArrived = 3090;    // wParam: slot index
inline constexpr unsigned kDeviceRemoved = 3091;    // wParam: slot index
inline constexpr unsigned kOpenSettingsForUpdate = 3093;
inline constexpr unsigned kClearUpdateIndicator = 3094;
inline constexpr unsigned kEntryOnline = 3331;  // wParam: list index, lParam: 0/1

// Window-system messages the main window handles, under numbers of their own.
inline constexpr unsigned kActivate = 0x0006;
inline constexpr unsigned kDisplayChange = 0x007E;
inline constexpr unsigned kPowerBroadcast = 0x0218;  // wParam: kPowerSuspend / kPowerResume
inline constexpr unsigned kPowerSuspend = 0x0004;
inline constexpr unsigned kPowerResume = 0x0012;
inline constexpr unsigned kCopyData = 0x004A;

// Registered messages, by the exact string other programs use.
inline constexpr std::string_view kIdentityName = "MIRVEL QX-580 Device";
inline constexpr std::string_view kUpdateProgressName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr std::string_view kLightControlBroadcastName =
    "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr std::string_view kLightControlStatusName =
    "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr std::string_view kToolQueryName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
inline constexpr std::string_view kAudioHelperCommandName =
    "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

// Every registered string with its number (numbers from 0xC000 on, in this order).
inline constexpr std::array<std::string_view, 30> kRegisteredNames = {
    kIdentityName,
    kUpdateProgressName,
    kLightControlBroadcastName,
    kLightControlStatusName,
    kToolQueryName,
    kAudioHelperCommandName,
    "WM_HOOK_KEY_SINGLEKEY_MSG",
    "WM_HOOK_KEY_HITKEY_MSG",
    "WM_HOOK_KEY_KBMACRO_MSG",
    "WM_HOOK_KEY_MSMACRO_MSG",
    "WM_HOOK_KEY_KBMACROSINGLE_MSG",
    "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_KBMACROLATER_MSG",
    "WM_HOOK_MOU_SINGLEKEY_MSG",
    "WM_HOOK_MOU_HITKEY_MSG",
    "WM_HOOK_MOU_KBMACRO_MSG",
    "WM_HOOK_MOU_MSMACRO_MSG",
    "WM_HOOK_KEY_MSMACROSINGLE_MSG",
    "WM_HOOK_KEY_MSMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_MSMACROLATER_MSG",
    "UWM_MOUSERBUTTONDOWN_USER_MSG",
    "UWM_MOUSELBUTTONUP_USER_MSG",
    "UWM_MOUSELBUTTONDOWN_USER_MSG",
    "UWM_MOUSERBUTTONUP_USER_MSG",
    "UWM_MOUSEMOVE_USER_MSG",
    "Game_Start",
    "Game_End",
    "Game_Kill",
    "Game_Death",
    "",  // spare
};

inline constexpr unsigned kRegisteredBase = 0xC000;

// The number of a registered name; 0 for a name that is not registered.
constexpr unsigned RegisteredMessage(std::string_view name) {
    if (name.empty()) return 0;
    for (unsigned i = 0; i < kRegisteredNames.size(); ++i) {
        if (kRegisteredNames[i] == name) return kRegisteredBase + i;
    }
    return 0;
}
// The name of a registered number; empty when the number is not a registered one.
constexpr std::string_view RegisteredName(unsigned message) {
    if (message < kRegisteredBase || message >= kRegisteredBase + kRegisteredNames.size())
        return {};
    return kRegisteredNames[message - kRegisteredBase];
}

inline constexpr unsigned kIdentity = kRegisteredBase + 0;
inline constexpr unsigned kUpdateProgress = kRegisteredBase + 1;
inline constexpr unsigned kLightControlBroadcast = kRegisteredBase + 2;
inline constexpr unsigned kLightControlStatus = kRegisteredBase + 3;
inline constexpr unsigned kToolQuery = kRegisteredBase + 4;
inline constexpr unsigned kAudioHelperCommand = kRegisteredBase + 5;
inline constexpr unsigned kGameStart = kRegisteredBase + 25;
inline constexpr unsigned kGameEnd = kRegisteredBase + 26;
inline constexpr unsigned kGameKill = kRegisteredBase + 27;
inline constexpr unsigned kGameDeath = kRegisteredBase + 28;

}  // namespace qx::msg
