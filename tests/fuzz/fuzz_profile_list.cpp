// A device folder's profile list ("ProfileList.ini") and one profile file of it, through the
// profile manager: start-up (repair of a list it cannot use), then selection, new, copy,
// rename, reset and delete. After every step the list parses and each of its entries has its
// profile file.
// Input: the list, then "\n--8<--\n", a profile file (stored under the first identifier that the
// list names, when it is a plain name), then "\n--8<--\n" and the operations (one byte each).
#include <json/value.h>

#include <string>

#include "core/device_kind.h"
#include "core/file_names.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "fuzz_support.h"
#include "profiles/profile_manager.h"

using namespace qx;

namespace {

void CheckFolder(const ProfileManager& manager) {
    const auto entries = manager.ReadEntries();
    for (const ProfileEntry& entry : entries) {
        if (!IsSafeFileStem(entry.id)) continue;
        fuzz::Require(
            std::filesystem::exists(manager.ListFilePath().parent_path() / (entry.id + ".Json")),
            "every listed profile has its file");
    }
    fuzz::Require(manager.Names().size() == entries.size() || entries.empty(),
                  "the names shown are those of the list");
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
    CheckFolder(manager);

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
        CheckFolder(manager);
    }
    return 0;
}
