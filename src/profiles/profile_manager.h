// The file side of a device's profile panel: the profile list file ("ProfileList.ini", a JSON
// object) and every operation on the profile files of one device folder. The panel control
// mirrors Names() in its combo and calls these operations for its buttons.
//
// Files are written before the list in memory changes, and in an order that a crash cannot turn
// into a listed profile without its file: a new profile's file is written before the list entry,
// and a deleted profile's entry leaves the list before its file is removed.
#pragma once

#include <json/value.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/device_kind.h"

namespace qx {

struct ProfileEntry {
    std::string name;  // "profilename"
    std::string id;    // "profileUUID"
};

// The outcome of a profile operation. Refused: nothing was asked of the disk (no selection, the
// only profile, the 50-profile limit, a file that is not a profile). WriteFailed: a file could
// not be written; error says which and why, and the list in memory is as it was.
struct [[nodiscard]] ProfileStatus {
    enum class Code { Done, Refused, WriteFailed };
    Code code = Code::Done;
    std::string error;

    static ProfileStatus Done() { return {}; }
    static ProfileStatus Refused() { return {Code::Refused, {}}; }
    explicit operator bool() const { return code == Code::Done; }
};

// What InitProfileList repaired in a list it could not use as it was; shown to the user once.
struct ProfileListRecovery {
    bool listWasMissing = false;   // no list file, but profile files lay in the folder
    std::filesystem::path keptAs;  // the unusable list's bytes, kept for recovery by hand
    int recovered = 0;             // entries rebuilt from the profile files of the folder
    std::string Message() const;
};

class ProfileManager {
  public:
    static constexpr int kMaxNewProfiles = 50;

    enum class RenameResult {
        WriteFailed = -2,
        NoSelection = -1,
        NameInUse = 0,
        Done = 1,
        Blank = 2
    };

    void SetDeviceKind(DeviceKind kind) { kind_ = kind; }
    // The device's user folder and the path of its shipped default profile.
    void SetFolders(const std::filesystem::path& deviceFolder,
                    const std::filesystem::path& defaultProfilePath);

    // Loads the list and selects the stored selection. Temporaries of interrupted writes are
    // removed first. A folder without a list gets "profile1" made from the default profile; a
    // list that does not parse or has the wrong shape is rebuilt from the profile files in the
    // folder (Recovery() then says so); entries sharing one identifier are given their own.
    ProfileStatus InitProfileList();
    // Set by the InitProfileList that repaired the list, for a message to the user.
    const std::optional<ProfileListRecovery>& Recovery() const { return recovery_; }

    // Selects entry index and stores the selection (the list file is written only when the
    // stored selection differs); an index outside the list is refused.
    ProfileStatus SelectProfile(int index);
    int GetSelectedIndex() const { return selected_; }
    const std::string& GetCurrentProfileId() const { return currentId_; }
    // The number of entries of the list file, re-read.
    int GetProfileCount() const;
    // device folder / (identifier + ".Json"), or an empty path for an index outside the list or
    // an identifier that is not a plain file name.
    std::filesystem::path GetProfilePathAt(int index) const;
    std::filesystem::path CurrentProfilePath() const;

    ProfileStatus NewProfile();
    ProfileStatus DeleteProfile();
    ProfileStatus CopyProfile();
    ProfileStatus ImportProfile(const std::filesystem::path& path);
    ProfileStatus ExportProfile(const std::filesystem::path& path) const;
    // WriteFailed leaves the message in LastError().
    [[nodiscard]] RenameResult RenameProfile(const std::string& name);
    ProfileStatus ResetProfile();
    const std::string& LastError() const { return lastError_; }

    // True when the file parses to an object holding "profilename" and "profileUUID".
    static bool IsImportable(const std::filesystem::path& path);

    // The names as the combo shows them, and the entries as the list file holds them.
    const std::vector<std::string>& Names() const { return names_; }
    std::vector<ProfileEntry> ReadEntries() const;

    std::filesystem::path ListFilePath() const { return folder_ / "ProfileList.ini"; }

  private:
    std::string NewIdentifier() const;
    bool NameTaken(const std::string& name, int except = -1) const;
    std::filesystem::path ProfilePathFor(const std::string& id) const;
    // The list file re-read for a change; when it cannot be used, the list held in memory.
    Json::Value ReadListForUpdate() const;
    // Takes the names and identifiers of a list that is now on disk.
    void Adopt(const Json::Value& list);
    ProfileStatus Failure(const std::filesystem::path& path);
    ProfileStatus WriteList(const Json::Value& list);
    // Writes document as the file of a fresh identifier (never over an existing file); the
    // identifier, or nothing on failure.
    std::optional<std::string> CreateProfileFile(const std::string& name, Json::Value document);
    // Writes the profile file, then appends its entry to the list file.
    ProfileStatus AddEntry(const std::string& name, bool select, Json::Value document);
    ProfileStatus RebuildList(bool listWasMissing);
    void SplitSharedIdentifiers(Json::Value& list);

    DeviceKind kind_ = DeviceKind::KeyboardWired;
    std::filesystem::path folder_;
    std::filesystem::path defaultPath_;
    std::vector<std::string> names_;
    std::vector<std::string> ids_;
    int selected_ = -1;
    std::string currentId_;
    std::optional<ProfileListRecovery> recovery_;
    std::string lastError_;
};

}  // namespace qx
