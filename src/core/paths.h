// Where the program keeps its files: the user's data folder (per-user settings, one sub-folder
// per device family) and the data folder of shipped defaults.
#pragma once

#include <filesystem>
#include <string_view>

namespace qx {

// The application identity: the name of the user's data folder.
inline constexpr std::string_view kApplicationIdentity = "MIRVEL QX-580 Device";

// $XDG_DATA_HOME (or ~/.local/share when unset or relative) / kApplicationIdentity, created
// when missing.
std::filesystem::path UserFolder();

// UserFolder() / deviceFolderName ("keyboard", "mouse", "MousePad", "HD"), created when missing.
std::filesystem::path UserDeviceFolder(std::string_view deviceFolderName);

// The program's data folder (shipped defaults, skin, fonts): $QX580_DATA_DIR, else the source
// tree's data folder when it exists, else the install prefix's share folder.
std::filesystem::path ProgramDataFolder();

// The shipped defaults: $QX580_DATA_DIR, else the source tree's data folder when it exists,
// else the install prefix's share folder (beside the program's bin folder); then "DefaultData".
std::filesystem::path DefaultDataFolder();

// DefaultDataFolder() / (deviceFolderName + ".Json"): the shipped default profile of a family.
std::filesystem::path DefaultProfilePath(std::string_view deviceFolderName);

}  // namespace qx
