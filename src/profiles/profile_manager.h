// The file side of a device's profile panel: the profile list file ("ProfileList.ini", a JSON
// object) and every operation on the profile files of one device folder. The panel control
// mirrors names() in its combo and calls these operations for its buttons.
#pragma once

#include <json/value.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/device_kind.h"

namespace qx {

struct ProfileEntry {
    std::string name;  // "profilename"
    std::string id;    // "profileUUID"
};

class ProfileManager {
  public:
    static constexpr int kMaxNewProfiles = 50;

    enum class RenameResult { NoSelection = -1, NameInUse = 0, Done = 1, Blank = 2 };

    void SetDeviceKind(DeviceKind kind) { kind_ = kind; }
    // The device's user folder and the path of its shipped default profile.
    void SetFolders(const std::filesystem::path& deviceFolder,
                    const std::filesystem::path& defaultProfilePath);

    // Loads the list (creating "profile1" from the default profile when there is none) and
    // selects the stored selection.
    void InitProfileList();
    // Selects entry index and stores the selection; an index outside the list is ignored.
    void SelectProfile(int index);
    int GetSelectedIndex() const { return selected_; }
    const std::string& GetCurrentProfileId() const { return currentId_; }
    // The number of entries of the list file, re-read.
    int GetProfileCount() const;
    // device folder / (identifier + ".Json"), or an empty path for an index outside the list or
    // an identifier that is not a plain file name.
    std::filesystem::path GetProfilePathAt(int index) const;
    std::filesystem::path CurrentProfilePath() const;

    // Each returns false when the operation was refused and nothing changed.
    bool NewProfile();
    bool DeleteProfile();
    bool CopyProfile();
    bool ImportProfile(const std::filesystem::path& path);
    bool ExportProfile(const std::filesystem::path& path) const;
    RenameResult RenameProfile(const std::string& name);
    bool ResetProfile();

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
    // Appends an entry to the list file (at the position of the last name) and writes a
    // profile file for it from document.
    void AddEntry(const std::string& name, const std::string& id, bool select,
                  Json::Value document);

    DeviceKind kind_ = DeviceKind::KeyboardWired;
    std::filesystem::path folder_;
    std::filesystem::path defaultPath_;
    std::vector<std::string> names_;
    int selected_ = -1;
    std::string currentId_;
};

}  // namespace qx
