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

// Whether path lies inside folder (both absolute, compared by whole components).
bool LiesIn(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const std::filesystem::path inner = path.lexically_normal();
    const std::filesystem::path outer = folder.lexically_normal();
    auto innerPart = inner.begin();
    for (auto outerPart = outer.begin(); outerPart != outer.end(); ++outerPart, ++innerPart) {
        if (outerPart->empty()) continue;  // the trailing separator of "dir/"
        if (innerPart == inner.end() || *innerPart != *outerPart) return false;
    }
    return true;
}

}  // namespace

std::filesystem::path UserFolder(std::error_code* error) {
    return Created(DataHome() / std::string(kApplicationIdentity), error);
}

std::filesystem::path UserDeviceFolder(std::string_view deviceFolderName, std::error_code* error) {
    return Created(UserFolder() / std::string(deviceFolderName), error);
}

std::filesystem::path ChooseProgramDataFolder(const DataFolderSources& sources) {
    if (sources.environment != nullptr && sources.environment[0] != '\0')
        return sources.environment;
    std::error_code error;
    if (!sources.executable.empty() && !sources.buildTree.empty() &&
        LiesIn(sources.executable, sources.buildTree) &&
        std::filesystem::is_directory(sources.buildData, error)) {
        return sources.buildData;
    }
    if (sources.executable.empty()) return sources.installedData;
    // <prefix>/bin/program -> <prefix>/share/qx580
    return (sources.executable.parent_path().parent_path() / "share" / "qx580").lexically_normal();
}

std::filesystem::path ProgramDataFolder() {
    DataFolderSources sources;
    sources.environment = std::getenv("QX580_DATA_DIR");
    std::error_code error;
    sources.executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) sources.executable.clear();
#if defined(QX580_BUILD_TREE) && defined(QX580_SOURCE_DATA_DIR)
    sources.buildTree = QX580_BUILD_TREE;
    sources.buildData = QX580_SOURCE_DATA_DIR;
#endif
#ifdef QX580_INSTALLED_DATA_DIR
    sources.installedData = QX580_INSTALLED_DATA_DIR;
#else
    sources.installedData = "/usr/local/share/qx580";
#endif
    return ChooseProgramDataFolder(sources);
}

std::filesystem::path DefaultDataFolder() { return ProgramDataFolder() / "DefaultData"; }

std::filesystem::path DefaultProfilePath(std::string_view deviceFolderName) {
    return DefaultDataFolder() / (std::string(deviceFolderName) + ".Json");
}

}  // namespace qx::platform
