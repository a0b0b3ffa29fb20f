// The in-memory device block of one device's current profile: typed reads and writes of the
// blocks shared by every family, and the moves between memory and the profile file. The family
// classes add their own blocks. It never talks to the device.
#pragma once

#include <json/value.h>

#include <filesystem>
#include <vector>

#include "profiles/profile_records.h"

namespace qx {

class CBasicProfiledata {
  public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = delete;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

    // Writes the device block into the profile file. False when the file could not be written.
    [[nodiscard]] virtual bool Save();
    // Reads the document at path, sets "Device"[deviceIndex] to value, writes it back; the other
    // members and elements stay as they were. A file of another shape is kept aside first (and
    // left as it is, with false, when that fails).
    [[nodiscard]] virtual bool WriteDeviceBlock(const Json::Value& value,
                                                const std::filesystem::path& path);
    [[nodiscard]] virtual bool SaveImportedBlock(const std::filesystem::path& path);
    [[nodiscard]] virtual bool WriteDocument(const Json::Value& value,
                                             const std::filesystem::path& path);

    // Empty paths leave the old ones.
    void SetProfilePath(const std::filesystem::path& path);
    void SetDefaultPath(const std::filesystem::path& path);
    void SetLightConfigPath(const std::filesystem::path& path) { lightConfigPath_ = path; }
    const std::filesystem::path& GetLightConfigPath() const { return lightConfigPath_; }
    const std::filesystem::path& GetProfilePath() const { return profilePath_; }
    const std::filesystem::path& GetDefaultPath() const { return defaultPath_; }
    void SetDeviceIndex(int index) { deviceIndex_ = index < 0 ? 0 : index; }
    int GetDeviceIndex() const { return deviceIndex_; }

    // Fills the device block from the file (the default block when the file has none, which is
    // then written into the file) and returns a copy.
    Json::Value Load(const std::filesystem::path& path);
    Json::Value LoadImported(const std::filesystem::path& path);
    Json::Value LoadLightConfig(const std::filesystem::path& path);
    // True when the last Load or LoadImported had to give the file the default block and could
    // not write it (the block is then in memory only).
    bool LoadWriteFailed() const { return loadWriteFailed_; }

    LightInfoRecord ReadLightInfoBlock();
    void WriteLightInfoBlock(const LightInfoRecord& record);
    AudioLightRecord ReadAudioLightBlock();
    void WriteAudioLightBlock(const AudioLightRecord& record);
    std::vector<LedEffectEntry> GetLedEffectList();
    // Needs ReadLightInfoBlock first: the steps of the custom light entry that the current
    // effect selects, read from "<Guid>.light" beside the light configuration file.
    std::vector<TimedEffectStep> GetTimedEffectSteps();
    std::vector<KeyAssignRecord> GetKeyList();
    void SetKeyList(const std::vector<KeyAssignRecord>& list);
    std::vector<KeyAssignRecord> GetImportedKeyList();
    void SetImportedKeyList(const std::vector<KeyAssignRecord>& list);

    const Json::Value& DeviceBlock() const { return deviceBlock_; }
    const Json::Value& ImportedBlock() const { return importedBlock_; }
    const LightInfoRecord& CurrentLightInfo() const { return lightInfo_; }

  protected:
    Json::Value& Block() { return deviceBlock_; }
    // The member of the device block that a getter looks at: created (null) when the block is
    // an object or null and createOnNull is set, as jsoncpp's member access does; nullptr when
    // the block cannot hold members.
    Json::Value* TouchBlockMember(const char* key, bool createOnNull);

  private:
    Json::Value LoadInto(const std::filesystem::path& path, Json::Value& block);
    static std::vector<KeyAssignRecord> ReadKeyList(Json::Value& block);
    static void WriteKeyList(Json::Value& block, const std::vector<KeyAssignRecord>& list);

    std::filesystem::path profilePath_;
    std::filesystem::path defaultPath_;
    LightInfoRecord lightInfo_;
    AudioLightRecord audioLightInfo_;
    std::vector<LedEffectEntry> ledEffects_;
    Json::Value deviceBlock_;
    Json::Value importedBlock_;
    std::filesystem::path lightConfigPath_;
    std::vector<TimedEffectStep> timedSteps_;
    Json::Value lightConfig_;
    std::vector<KeyAssignRecord> keyList_;
    std::vector<KeyAssignRecord> importedKeyList_;
    int deviceIndex_ = 0;
    bool loadWriteFailed_ = false;
};

}  // namespace qx
