#include "platform/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace qx::platform {
namespace {

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/tmp";
}

std::filesystem::path DataHome() {
    // The XDG rule: a relative value is invalid and is ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
    return HomeFolder() / ".local" / "share";
}

std::filesystem::path Created(const std::filesystem::path& folder, std::error_code* error) {
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (error != nullptr) *error = failure;
    return folder;
}

std::filesystem::path InstalledDataFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "/usr/local/share/qx580";
    return program.parent_path().parent_path() / "share" / "qx580";
}

}  // namespace

std::filesystem::path UserFolder(std::error_code* error) {
    return Created(DataHome() / std::string(kApplicationIdentity), error);
}

std::filesystem::path UserDeviceFolder(std::string_view deviceFolderName, std::error_code* error) {
    return Created(UserFolder() / std::string(deviceFolderName), error);
}

std::filesystem::path ProgramDataFolder() {
    std::filesystem::path root;
    if (const char* dir = std::getenv("QX580_DATA_DIR"); dir != nullptr && dir[0] != '\0') {
        root = dir;
    } else {
#ifdef QX580_SOURCE_DATA_DIR
        std::error_code error;
        if (std::filesystem::is_directory(QX580_SOURCE_DATA_DIR, error))
            root = QX580_SOURCE_DATA_DIR;
#endif
        if (root.empty()) root = InstalledDataFolder();
    }
    return root;
}

std::filesystem::path DefaultDataFolder() { return ProgramDataFolder() / "DefaultData"; }

std::filesystem::path DefaultProfilePath(std::string_view deviceFolderName) {
    return DefaultDataFolder() / (std::string(deviceFolderName) + ".Json");
}

}  // namespace qx::platform
