// Where the program keeps its files: the user's data folder (per-user settings, one sub-folder
// per device family) and the program's data folder of shipped defaults.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace qx::platform {

// The application identity: the name of the user's data folder.
inline constexpr std::string_view kApplicationIdentity = "MIRVEL QX-580 Device";

// $XDG_DATA_HOME (or ~/.local/share when unset or relative) / kApplicationIdentity, created
// when missing. A folder that cannot be created is still returned (every write into it then
// fails and says so); error, when given, tells why.
std::filesystem::path UserFolder(std::error_code* error = nullptr);

// UserFolder() / deviceFolderName ("keyboard", "mouse", "MousePad", "HD"), created when missing
// on the same terms.
std::filesystem::path UserDeviceFolder(std::string_view deviceFolderName,
                                       std::error_code* error = nullptr);

// The program's data folder (shipped defaults, skin, fonts): $QX580_DATA_DIR, else the source
// tree's data folder when it exists, else the install prefix's share folder.
std::filesystem::path ProgramDataFolder();

// ProgramDataFolder() / "DefaultData": the shipped defaults.
std::filesystem::path DefaultDataFolder();

// DefaultDataFolder() / (deviceFolderName + ".Json"): the shipped default profile of a family.
std::filesystem::path DefaultProfilePath(std::string_view deviceFolderName);

}  // namespace qx::platform
