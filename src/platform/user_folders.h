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
// tree's data folder when the running program lies in the build tree, else the share folder
// beside the program's prefix (<prefix>/bin/qx580 -> <prefix>/share/qx580), so that an
// installed or unpacked copy finds its own data wherever it was put.
std::filesystem::path ProgramDataFolder();

// Where the program data folder is looked for; ProgramDataFolder() fills it from the
// environment, /proc/self/exe and the build's paths.
struct DataFolderSources {
    const char* environment = nullptr;    // $QX580_DATA_DIR (empty or null: not set)
    std::filesystem::path executable;     // the running program (empty: unknown)
    std::filesystem::path buildTree;      // the build folder (empty: none)
    std::filesystem::path buildData;      // the data folder the build tree uses
    std::filesystem::path installedData;  // fallback when the program's path is unknown
};
std::filesystem::path ChooseProgramDataFolder(const DataFolderSources& sources);

// ProgramDataFolder() / "DefaultData": the shipped defaults.
std::filesystem::path DefaultDataFolder();

// DefaultDataFolder() / (deviceFolderName + ".Json"): the shipped default profile of a family.
std::filesystem::path DefaultProfilePath(std::string_view deviceFolderName);

}  // namespace qx::platform
