// Starting the program with the user's desktop session: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/org.mirvel.QX580.desktop, ~/.config when unset). Nothing is
// written unless the user asks for it.
#pragma once

#include <filesystem>
#include <string>

namespace qx::platform {

// The entry's file.
std::filesystem::path AutostartEntryPath();

// Whether the entry is there and not switched off ("Hidden=true" or
// "X-GNOME-Autostart-enabled=false", as other tools leave it).
bool AutostartEnabled();

// Writes the entry starting `program` (the running program when empty), or removes it. False
// (with a reason in `error` when given) when the file could not be written or removed; the old
// state is then kept.
bool SetAutostartEnabled(bool enabled, const std::filesystem::path& program = {},
                         std::string* error = nullptr);

// The text of an entry that starts `program` (quoted as the desktop entry rules ask).
std::string AutostartEntryText(const std::filesystem::path& program);

}  // namespace qx::platform
