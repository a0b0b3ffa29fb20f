// What a device family may offer beyond the common operations, one interface per capability. A
// device object answers with its implementation or with nullptr, so what a family supports is
// visible in one place and callers ask before they act instead of calling empty defaults.
// Every operation that talks to the device runs on the device's worker.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
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
    virtual Result UploadMacros(const std::vector<int>& macros) = 0;
    virtual void DropDanglingMacros() = 0;
    virtual Result WriteSystemBlock(int profile, int currentProfileByte, int applyFlag,
                                    int screenWidth, int screenHeight) = 0;
};

// Lighting that follows the sound the machine plays.
class AudioLightCapability {
  public:
    virtual ~AudioLightCapability() = default;
    virtual void StoreAudioLightSettings(int style, int sensitivity, int colourMode) = 0;
    virtual std::array<int, 3> GetAudioLightSettings() = 0;
    virtual void FeedAudioLevels(const uint8_t* levels, size_t count) = 0;
    virtual void FeedAudioBands(const uint8_t* bands, size_t count) = 0;
};

}  // namespace qx::devices
