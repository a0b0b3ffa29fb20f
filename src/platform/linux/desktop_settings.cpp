#include "platform/desktop_settings.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

extern char** environ;

namespace qx::platform {
namespace {

struct Candidate {
    DesktopKind desktop;
    std::vector<std::string> keyboard;
    std::vector<std::string> mouse;
};

const std::vector<Candidate>& Candidates() {
    static const std::vector<Candidate> list = {
        {DesktopKind::Gnome,
         {"gnome-control-center", "keyboard"},
         {"gnome-control-center", "mouse"}},
        {DesktopKind::Plasma, {"systemsettings", "kcm_keyboard"}, {"systemsettings", "kcm_mouse"}},
        {DesktopKind::Plasma,
         {"systemsettings5", "kcm_keyboard"},
         {"systemsettings5", "kcm_mouse"}},
        {DesktopKind::Plasma, {"kcmshell6", "kcm_keyboard"}, {"kcmshell6", "kcm_mouse"}},
        {DesktopKind::Plasma, {"kcmshell5", "kcm_keyboard"}, {"kcmshell5", "kcm_mouse"}},
        {DesktopKind::Xfce, {"xfce4-keyboard-settings"}, {"xfce4-mouse-settings"}},
    };
    return list;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

DesktopKind KindOfName(const std::string& name) {
    const std::string lower = Lower(name);
    if (lower == "gnome" || lower == "gnome-classic" || lower == "ubuntu" || lower == "unity" ||
        lower == "budgie" || lower == "budgie-desktop")
        return DesktopKind::Gnome;
    if (lower == "kde" || lower == "plasma" || lower == "plasmawayland") return DesktopKind::Plasma;
    if (lower == "xfce" || lower == "xfce4" || lower == "xubuntu") return DesktopKind::Xfce;
    return DesktopKind::Unknown;
}

// The program's full path when it is an executable file in a folder of PATH.
std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    std::istringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

}  // namespace

DesktopKind CurrentDesktop() {
    if (const char* current = std::getenv("XDG_CURRENT_DESKTOP"); current != nullptr) {
        std::istringstream names(current);
        std::string name;
        while (std::getline(names, name, ':')) {
            const DesktopKind kind = KindOfName(name);
            if (kind != DesktopKind::Unknown) return kind;
        }
    }
    if (const char* session = std::getenv("DESKTOP_SESSION"); session != nullptr)
        return KindOfName(session);
    return DesktopKind::Unknown;
}

std::vector<std::string> DesktopSettingsCommand(DesktopSettingsPage page) {
    const DesktopKind current = CurrentDesktop();
    std::vector<const Candidate*> order;
    for (const Candidate& candidate : Candidates()) {
        if (candidate.desktop == current) order.push_back(&candidate);
    }
    for (const Candidate& candidate : Candidates()) {
        if (candidate.desktop != current) order.push_back(&candidate);
    }
    for (const Candidate* candidate : order) {
        std::vector<std::string> command =
            page == DesktopSettingsPage::Keyboard ? candidate->keyboard : candidate->mouse;
        const std::string found = FindOnPath(command.front());
        if (found.empty()) continue;
        command.front() = found;
        return command;
    }
    return {};
}

DesktopSettingsResult OpenDesktopSettings(DesktopSettingsPage page, std::string* error) {
    const std::vector<std::string> command = DesktopSettingsCommand(page);
    if (command.empty()) {
        if (error != nullptr) *error = "no settings program of a known desktop on PATH";
        return DesktopSettingsResult::NotFound;
    }
    std::vector<char*> argv;
    for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own session: it outlives the program and does not share its terminal's signals.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    const int failed =
        ::posix_spawn(&child, argv.front(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        if (error != nullptr) *error = command.front() + ": " + std::strerror(failed);
        return DesktopSettingsResult::StartFailed;
    }
    // Reaped when it ends, so no finished child is left behind.
    std::thread([child] { ::waitpid(child, nullptr, 0); }).detach();
    return DesktopSettingsResult::Started;
}

}  // namespace qx::platform
