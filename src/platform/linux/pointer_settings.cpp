#include "platform/pointer_settings.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

extern char** environ;

namespace qx::platform {
namespace {

constexpr const char* kGnomeMouse = "org.gnome.desktop.peripherals.mouse";
constexpr const char* kKdeInput = "kcminputrc";
constexpr const char* kKdeGlobals = "kdeglobals";

// Runs a program (looked up in PATH, no shell) and collects its output. The exit status, or -1
// when it did not start.
int Run(const std::vector<std::string>& args, std::string* output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string text;
    if (spawned == 0) {
        std::array<char, 512> buffer{};
        ssize_t n = 0;
        while ((n = read(pipeEnds[0], buffer.data(), buffer.size())) > 0)
            text.append(buffer.data(), static_cast<size_t>(n));
    }
    close(pipeEnds[0]);
    if (spawned != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (output != nullptr) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class GSettingsStore : public SettingsStore {
  public:
    bool Has(const std::string& schema, const std::string& key) override {
        return Run({"gsettings", "range", schema, key}, nullptr) == 0;
    }
    bool Set(const std::string& schema, const std::string& key, const std::string& value,
             std::string* error) override {
        if (Run({"gsettings", "set", schema, key, value}, nullptr) == 0) return true;
        if (error != nullptr) *error = "gsettings did not take " + schema + " " + key;
        return false;
    }
    std::optional<std::string> Get(const std::string& schema, const std::string& key) override {
        std::string out;
        if (Run({"gsettings", "get", schema, key}, &out) != 0) return std::nullopt;
        return out;
    }
};

// KDE's configuration: schema = the file, key = "Group/Key".
class KdeConfigStore : public SettingsStore {
  public:
    explicit KdeConfigStore(std::string version) : version_(std::move(version)) {}
    bool Has(const std::string&, const std::string& key) override {
        return key.find('/') != std::string::npos;
    }
    bool Set(const std::string& file, const std::string& key, const std::string& value,
             std::string* error) override {
        const size_t at = key.find('/');
        if (at != std::string::npos && Run({"kwriteconfig" + version_, "--file", file, "--group",
                                            key.substr(0, at), "--key", key.substr(at + 1), value},
                                           nullptr) == 0)
            return true;
        if (error != nullptr) *error = "the KDE configuration did not take " + file + " " + key;
        return false;
    }
    // Plasma reads its input settings when told: kdeglobals' mouse settings through the global
    // settings signal its applications follow, kcminputrc's pointer settings through the mouse
    // module of kcminit (as the mouse settings page does when it saves). Without a running
    // Plasma neither reaches anything and the files wait for its next start.
    void Reload(const std::string& file) override {
        if (file == kKdeGlobals) {
            // SettingsChanged (3) of the mouse settings (0).
            Run({"dbus-send", "--session", "--type=signal", "/KGlobalSettings",
                 "org.kde.KGlobalSettings.notifyChange", "int32:3", "int32:0"},
                nullptr);
        } else if (file == kKdeInput) {
            // The module's name since Plasma 6, then Plasma 5's.
            if (Run({"kcminit", "kcm_mouse"}, nullptr) != 0) Run({"kcminit", "mouse"}, nullptr);
        }
    }
    std::optional<std::string> Get(const std::string& file, const std::string& key) override {
        const size_t at = key.find('/');
        std::string out;
        if (at == std::string::npos || Run({"kreadconfig" + version_, "--file", file, "--group",
                                            key.substr(0, at), "--key", key.substr(at + 1)},
                                           &out) != 0)
            return std::nullopt;
        return out;
    }

  private:
    std::string version_;
};

std::string Decimal(double value) {
    std::ostringstream text;
    text.precision(2);
    text << std::fixed << value;
    return text.str();
}

}  // namespace

bool MemorySettingsStore::Has(const std::string& schema, const std::string& key) {
    return values_.count({schema, key}) != 0;
}

bool MemorySettingsStore::Set(const std::string& schema, const std::string& key,
                              const std::string& value, std::string* error) {
    auto at = values_.find({schema, key});
    if (at == values_.end()) {
        if (error != nullptr) *error = "no key " + schema + " " + key;
        return false;
    }
    at->second = value;
    return true;
}

std::optional<std::string> MemorySettingsStore::Get(const std::string& schema,
                                                    const std::string& key) {
    auto at = values_.find({schema, key});
    if (at == values_.end()) return std::nullopt;
    return at->second;
}

PointerSettings::PointerSettings(Desktop desktop, std::unique_ptr<SettingsStore> store)
    : desktop_(desktop), store_(std::move(store)) {}

bool PointerSettings::Supports(PointerSetting setting) {
    if (!store_) return false;
    switch (desktop_) {
        case Desktop::Gnome:
            switch (setting) {
                case PointerSetting::Speed:
                    return store_->Has(kGnomeMouse, "speed");
                case PointerSetting::Precision:
                    return store_->Has(kGnomeMouse, "accel-profile");
                case PointerSetting::DoubleClick:
                    return store_->Has(kGnomeMouse, "double-click");
                case PointerSetting::WheelLines:
                    return false;  // GNOME scrolls by the toolkit's own distance
            }
            break;
        case Desktop::Kde:
            switch (setting) {
                case PointerSetting::Speed:
                    return store_->Has(kKdeInput, "Mouse/XLbInptPointerAcceleration");
                case PointerSetting::Precision:
                    return store_->Has(kKdeInput, "Mouse/XLbInptAccelProfileFlat");
                case PointerSetting::WheelLines:
                    return store_->Has(kKdeGlobals, "KDE/WheelScrollLines");
                case PointerSetting::DoubleClick:
                    return store_->Has(kKdeGlobals, "KDE/DoubleClickInterval");
            }
            break;
        case Desktop::None:
            break;
    }
    return false;
}

bool PointerSettings::Put(const char* schema, const char* key, const std::string& value,
                          std::string* error) {
    if (!store_ || !store_->Has(schema, key)) {
        if (error != nullptr) *error = "this desktop does not take this setting";
        return false;
    }
    if (!store_->Set(schema, key, value, error)) return false;
    store_->Reload(schema);
    return true;
}

bool PointerSettings::ApplySpeed(int speed, std::string* error) {
    speed = std::clamp(speed, 1, 20);
    // 1 ... 20 with 10 as the default onto the desktop's -1 ... 1 with 0 as the default.
    const double scaled = std::clamp((speed - 10) / 10.0, -1.0, 1.0);
    if (desktop_ == Desktop::Gnome) return Put(kGnomeMouse, "speed", Decimal(scaled), error);
    if (desktop_ == Desktop::Kde)
        return Put(kKdeInput, "Mouse/XLbInptPointerAcceleration", Decimal(scaled), error);
    return Put("", "", "", error);
}

bool PointerSettings::ApplyPrecision(bool on, std::string* error) {
    if (desktop_ == Desktop::Gnome)
        return Put(kGnomeMouse, "accel-profile", on ? "'adaptive'" : "'flat'", error);
    if (desktop_ == Desktop::Kde)
        return Put(kKdeInput, "Mouse/XLbInptAccelProfileFlat", on ? "false" : "true", error);
    return Put("", "", "", error);
}

bool PointerSettings::ApplyWheel(int lines, bool page, std::string* error) {
    if (desktop_ == Desktop::Kde && !page)
        return Put(kKdeGlobals, "KDE/WheelScrollLines", std::to_string(std::clamp(lines, 1, 100)),
                   error);
    if (error != nullptr)
        *error = page ? "this desktop does not scroll a page at a time"
                      : "this desktop does not take wheel lines";
    return false;
}

bool PointerSettings::ApplyDoubleClick(int milliseconds, std::string* error) {
    const std::string value = std::to_string(std::clamp(milliseconds, 100, 2000));
    if (desktop_ == Desktop::Gnome) return Put(kGnomeMouse, "double-click", value, error);
    if (desktop_ == Desktop::Kde) return Put(kKdeGlobals, "KDE/DoubleClickInterval", value, error);
    return Put("", "", "", error);
}

std::unique_ptr<PointerSettings> MakeDesktopPointerSettings() {
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    const std::string desktop = current != nullptr ? current : "";
    if (desktop.find("KDE") != std::string::npos) {
        for (const char* version : {"6", "5"}) {
            if (Run({std::string("kwriteconfig") + version, "--help"}, nullptr) == 0)
                return std::make_unique<PointerSettings>(PointerSettings::Desktop::Kde,
                                                         std::make_unique<KdeConfigStore>(version));
        }
    }
    auto gsettings = std::make_unique<GSettingsStore>();
    if (gsettings->Has(kGnomeMouse, "speed"))
        return std::make_unique<PointerSettings>(PointerSettings::Desktop::Gnome,
                                                 std::move(gsettings));
    return std::make_unique<PointerSettings>(PointerSettings::Desktop::None, nullptr);
}

}  // namespace qx::platform
