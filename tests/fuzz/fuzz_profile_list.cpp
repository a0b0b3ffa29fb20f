// A device folder's profile list ("ProfileList.ini") and one profile file of it, through the
// profile manager: start-up (repair of a list it cannot use), then selection, new, copy,
// rename, reset and delete. After every step the list parses and no entry has lost its file.
// Input: the list, then "\n--8<--\n", a profile file (stored under the first identifier that the
// list names, when it is a plain name), then "\n--8<--\n" and the operations (one byte each).
#include <json/value.h>

#include <algorithm>
#include <set>
#include <string>

#include "core/device_kind.h"
#include "core/file_names.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "fuzz_support.h"
#include "profiles/profile_manager.h"

using namespace qx;

namespace {

// The listed profiles that have no file. The list given may name files that are not there (the
// program reads such a profile as the default); no operation may add to them.
std::set<std::string> ListedWithoutFile(const ProfileManager& manager) {
    std::set<std::string> missing;
    for (const ProfileEntry& entry : manager.ReadEntries()) {
        if (IsSafeFileStem(entry.id) &&
            !std::filesystem::exists(manager.ListFilePath().parent_path() / (entry.id + ".Json")))
            missing.insert(entry.id);
    }
    return missing;
}

void CheckFolder(const ProfileManager& manager, std::set<std::string>& missing) {
    const std::set<std::string> now = ListedWithoutFile(manager);
    fuzz::Require(std::includes(missing.begin(), missing.end(), now.begin(), now.end()),
                  "no operation leaves a listed profile without its file");
    missing = now;
    if (std::filesystem::exists(manager.ListFilePath()))
        fuzz::Require(!ReadJsonFile(manager.ListFilePath()).isNull(), "the list parses");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pieces = fuzz::SplitInput(data, size, 3);
    const auto folder = fuzz::FreshFolder("keyboard");
    fuzz::WriteBytes(folder / "ProfileList.ini", pieces[0]);
    const Json::Value list = ReadJsonFile(folder / "ProfileList.ini");
    const std::string firstId =
        json::ToString(json::Get(json::At(json::Get(list, "profilelist"), 0), "profileUUID"));
    if (IsSafeFileStem(firstId)) fuzz::WriteBytes(folder / (firstId + ".Json"), pieces[1]);

    ProfileManager manager;
    manager.SetDeviceKind(DeviceKind::KeyboardWired);
    manager.SetFolders(folder, fuzz::ShippedData() / "DefaultData" / "keyboard.Json");
    const ProfileStatus started = manager.InitProfileList();
    if (!started) return 0;
    if (manager.GetSelectedIndex() >= 0)
        fuzz::Require(static_cast<size_t>(manager.GetSelectedIndex()) < manager.Names().size(),
                      "the selection is inside the list");
    std::set<std::string> missing = ListedWithoutFile(manager);
    CheckFolder(manager, missing);

    for (const char op : pieces[2].substr(0, 12)) {
        const auto code = static_cast<uint8_t>(op);
        switch (code % 7) {
            case 0:
                (void)manager.SelectProfile(code / 7 - 2);
                break;
            case 1:
                (void)manager.NewProfile();
                break;
            case 2:
                (void)manager.CopyProfile();
                break;
            case 3:
                (void)manager.DeleteProfile();
                break;
            case 4:
                (void)manager.RenameProfile(code & 0x80 ? "" : "renamed " + std::to_string(code));
                break;
            case 5:
                (void)manager.ResetProfile();
                break;
            case 6:
                (void)manager.GetProfilePathAt(code / 7 - 2);
                break;
        }
        CheckFolder(manager, missing);
    }
    return 0;
}
