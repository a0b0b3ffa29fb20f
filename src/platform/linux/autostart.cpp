#include "platform/autostart.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/atomic_file.h"

namespace qx::platform {
namespace {

constexpr const char* kEntryName = "org.mirvel.QX580.desktop";

std::filesystem::path ConfigHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return std::filesystem::path(home) / ".config";
    return "/tmp";
}

std::filesystem::path RunningProgram() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("qx580") : self;
}

// An argument of Exec: quoted, with the characters the desktop entry rules name escaped. The
// value is read as a string first (a backslash is written twice), then as a quoted argument.
std::string QuotedArgument(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\\\\\";
        } else if (c == '"' || c == '`' || c == '$') {
            out += "\\\\";
            out += c;
        } else if (c == '%') {
            out += "%%";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::filesystem::path AutostartEntryPath() { return ConfigHome() / "autostart" / kEntryName; }

std::string AutostartEntryText(const std::filesystem::path& program) {
    std::string exec = program.string();
    // Newlines would break the file's lines.
    for (char& c : exec) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    std::ostringstream out;
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=QX-580 Device Center\n"
        << "Comment=Keeps the QX-580 devices' settings and lighting running\n"
        << "Exec=" << QuotedArgument(exec) << "\n"
        << "Icon=org.mirvel.QX580\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    return out.str();
}

bool AutostartEnabled() {
    const std::optional<std::string> text = ReadWholeFile(AutostartEntryPath());
    if (!text) return false;
    std::istringstream lines(*text);
    std::string line;
    bool inEntry = false;
    while (std::getline(lines, line)) {
        line = Trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry) continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (name == "Hidden" && value == "true") return false;
        if (name == "X-GNOME-Autostart-enabled" && value == "false") return false;
    }
    return true;
}

bool SetAutostartEnabled(bool enabled, const std::filesystem::path& program, std::string* error) {
    const std::filesystem::path path = AutostartEntryPath();
    std::error_code failure;
    if (!enabled) {
        std::filesystem::remove(path, failure);
        if (failure) {
            if (error != nullptr) *error = failure.message();
            return false;
        }
        return true;
    }
    std::filesystem::create_directories(path.parent_path(), failure);
    if (failure) {
        if (error != nullptr) *error = failure.message();
        return false;
    }
    const std::filesystem::path target = program.empty() ? RunningProgram() : program;
    if (!WriteFileAtomically(path, AutostartEntryText(target))) {
        if (error != nullptr) *error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace qx::platform
