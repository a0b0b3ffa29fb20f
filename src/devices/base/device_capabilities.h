// What a device family may offer beyond the common operations, one interface per capability. A
// device object answers with its implementation or with nullptr, so what a family supports is
// visible in one place and callers ask before they act instead of calling empty defaults.
// Every operation that talks to the device runs on the device's worker.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/result_codes.h"
#include "profiles/profile_records.h"

namespace qx::devices {

// Profiles in the family's folder: paths, load, save, reload, the name shown.
class ProfileCapability {
  public:
    virtual ~ProfileCapability() = default;
    virtual void SetProfilePaths() = 0;
    virtual int LoadProfile() = 0;
    virtual void SaveProfile() = 0;
    virtual void ReloadProfile() = 0;
    virtual QString GetProfileName() const = 0;
    virtual void ReloadPanelLists() = 0;
};

// Key table, macros and the settings block kept by the device.
class KeyTableCapability {
  public:
    virtual ~KeyTableCapability() = default;
    virtual std::vector<int> CollectMacros() = 0;
    virtual Result WriteKeyTable(int profile, const std::vector<KeyAssignRecord>& keyList) = 0;
    virtual Result WriteKeyTableFromProfile() = 0;
    // 0 sent (or nothing to send); > 0: the image is that many 4-byte events too large and
    // nothing was sent; -1: it could not be built or the device did not take it.
    virtual int UploadMacros(const std::vector<int>& macros) = 0;
    virtual void DropDanglingMacros() = 0;
    virtual Result WriteSystemBlock(int profile, int currentProfileByte, int applyFlag,
                                    int screenWidth, int screenHeight) = 0;
};

// The keys' functions in the current profile, as the key assignment panel and scripts change
// them (UI thread).
class KeyAssignCapability {
  public:
    virtual ~KeyAssignCapability() = default;
    // One record per logical key, in key order.
    virtual std::vector<KeyAssignRecord> KeyList() const = 0;
    // The device's macro names, in the order of its macro list.
    virtual QStringList MacroNames() const = 0;
    // Makes `function` (category, P1, P2 of `function`) key `key`'s current function and saves
    // the profile. False, with nothing changed, for a key without a record or a profile that
    // could not be saved.
    virtual bool StoreKeyFunction(int key, const KeyAssignHalf& function) = 0;
    // Names the keys' functions on the device's picture.
    virtual void RefreshKeyLabels() = 0;
};

// Lighting that follows the sound the machine plays: the sound style and its colours, kept in
// the device object, shown on the lighting panel and stored in the profile (UI thread).
class AudioLightCapability {
  public:
    using Done = std::function<void(const QString& error)>;
    virtual ~AudioLightCapability() = default;
    // The record in the device object and its profile, shown on the panel; not saved.
    virtual void StoreAudioLightSettings(const AudioLightRecord& record) = 0;
    virtual AudioLightRecord GetAudioLightSettings() const = 0;
    // A change made by the user or a script: stored, the profile saved and the drawing given
    // the new style on the worker; `done` gets the outcome on the UI thread (empty: success).
    virtual void ChangeAudioLighting(const AudioLightRecord& record, Done done) = 0;
};

// The settings a family keeps that scripts reach by name through the program's device interface
// on the bus ("winlock", "polling-rate", ...): one convention for names, values and errors.
// Names are lower-case words joined by '-'; values are text ("on"/"off", a number, one of the
// choices); an unknown name or a value outside its choices is an error that says so.
class OptionCapability {
  public:
    struct Option {
        std::string name;
        std::string value;                 // the current value
        std::vector<std::string> choices;  // empty: a number within [minimum, maximum]
        int minimum = 0;
        int maximum = 0;
    };
    // Called on the UI thread with the result of a change: `error` is empty on success.
    using Done = std::function<void(const std::string& error)>;

    virtual ~OptionCapability() = default;
    // The options and their current values (UI thread).
    virtual std::vector<Option> Options() const = 0;
    // Changes one option as the panel does (stores it, saves the profile, writes the device on
    // its worker, shows it on the page); `done` runs once the device took it or refused.
    virtual void SetOption(const std::string& name, const std::string& value, Done done) = 0;
};

}  // namespace qx::devices
