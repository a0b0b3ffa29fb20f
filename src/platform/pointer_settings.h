// The desktop's own pointer settings (pointer speed and acceleration, wheel lines, double-click
// time), so that the mouse page's sliders act on the system. A desktop offers some of them or
// none: what it lacks is reported unsupported and left alone.
//
// The settings go through a key-value store of the desktop (GSettings on GNOME-like desktops,
// KDE's configuration files on Plasma); tests give an in-memory store.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qx::platform {

// One store of desktop settings, addressed by (schema or file group, key).
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // Whether the store has that key (a desktop without it does not take the setting).
    virtual bool Has(const std::string& schema, const std::string& key) = 0;
    // Writes a value in the store's own text form; false (with `error`) when it was refused.
    virtual bool Set(const std::string& schema, const std::string& key, const std::string& value,
                     std::string* error) = 0;
    virtual std::optional<std::string> Get(const std::string& schema, const std::string& key) = 0;
    // Asks the desktop to take up what was written to `schema` (a store whose desktop follows
    // its settings by itself does nothing). A desktop that is not running is left alone.
    virtual void Reload(const std::string& schema) { (void)schema; }
};

// A store in memory: the keys given at its making exist, others do not.
class MemorySettingsStore : public SettingsStore {
  public:
    using Key = std::pair<std::string, std::string>;
    explicit MemorySettingsStore(std::map<Key, std::string> values = {})
        : values_(std::move(values)) {}
    bool Has(const std::string& schema, const std::string& key) override;
    bool Set(const std::string& schema, const std::string& key, const std::string& value,
             std::string* error) override;
    std::optional<std::string> Get(const std::string& schema, const std::string& key) override;
    void Reload(const std::string& schema) override { reloads_.push_back(schema); }
    // The schemas the desktop was asked to take up, in order.
    const std::vector<std::string>& Reloads() const { return reloads_; }

  private:
    std::map<Key, std::string> values_;
    std::vector<std::string> reloads_;
};

enum class PointerSetting { Speed, Precision, WheelLines, DoubleClick };

class PointerSettings {
  public:
    enum class Desktop { None, Gnome, Kde };

    PointerSettings(Desktop desktop, std::unique_ptr<SettingsStore> store);

    Desktop Kind() const { return desktop_; }
    bool Supports(PointerSetting setting);
    // The page's values as the system takes them:
    //  - speed: 1 (slowest) ... 20 (fastest), 10 the desktop's default;
    //  - precision: pointer acceleration on or off;
    //  - wheel lines per notch, or a page at a time (`page`);
    //  - double-click time in milliseconds.
    // False (and `error`) when the desktop lacks the setting or refused the value.
    bool ApplySpeed(int speed, std::string* error);
    bool ApplyPrecision(bool on, std::string* error);
    bool ApplyWheel(int lines, bool page, std::string* error);
    bool ApplyDoubleClick(int milliseconds, std::string* error);

  private:
    bool Put(const char* schema, const char* key, const std::string& value, std::string* error);

    Desktop desktop_;
    std::unique_ptr<SettingsStore> store_;
};

// The running desktop's settings: GNOME-like desktops (GSettings with the mouse schema, through
// the `gsettings` program), KDE Plasma (its configuration files, through `kwriteconfig6` or
// `kwriteconfig5`), else a desktop that takes none of them.
std::unique_ptr<PointerSettings> MakeDesktopPointerSettings();

}  // namespace qx::platform
