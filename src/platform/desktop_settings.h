// The desktop's own keyboard and mouse settings: which desktop runs, and the program that opens
// its settings page (GNOME, Plasma and Xfce are known), looked for on PATH.
#pragma once

#include <string>
#include <vector>

namespace qx::platform {

enum class DesktopSettingsPage { Keyboard = 0, Mouse = 1 };

enum class DesktopKind { Unknown, Gnome, Plasma, Xfce };

// From $XDG_CURRENT_DESKTOP (a colon-separated list, first known name wins), else
// $DESKTOP_SESSION.
DesktopKind CurrentDesktop();

// The command (program and arguments) that opens the page, its program found on PATH: the
// running desktop's first, then the other known desktops'. Empty when none is installed.
std::vector<std::string> DesktopSettingsCommand(DesktopSettingsPage page);

// Starts that command on its own (the caller does not wait). False when there is none or it
// could not be started; `error` says which.
enum class DesktopSettingsResult { Started, NotFound, StartFailed };
DesktopSettingsResult OpenDesktopSettings(DesktopSettingsPage page, std::string* error = nullptr);

}  // namespace qx::platform
