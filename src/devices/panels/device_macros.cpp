#include "devices/panels/device_macros.h"

#include "core/text_compare.h"
#include "devices/base/device_capabilities.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/panels/key_set_control_ui.h"
#include "devices/panels/macro_control_ui.h"
#include "macros/macro_rows.h"
#include "platform/atomic_file.h"
#include "profiles/basic_profiledata.h"
#include "profiles/profile_manager.h"

namespace qx::devices {
namespace {

// Far larger than the 4000 rows an editor keeps; a larger file is not a macro.
constexpr uintmax_t kMaxMacroFileBytes = 4u << 20;

}  // namespace

MacroStore DeviceMacroStore(const COrvaneUSBDevice& device) {
    return MacroStore(device.UserDeviceFolder());
}

std::optional<int> FindMacroByName(const std::vector<MacroInfo>& list, const std::string& name) {
    if (name.empty()) return std::nullopt;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].name == name) return static_cast<int>(i);
    for (size_t i = 0; i < list.size(); ++i)
        if (EqualsIgnoringCase(list[i].name, name)) return static_cast<int>(i);
    return std::nullopt;
}

MacroImport ImportDeviceMacro(COrvaneUSBDevice& device, const std::filesystem::path& path,
                              const std::string& name) {
    MacroImport result;
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        result.error = "no such file: " + path.string();
        return result;
    }
    if (std::filesystem::file_size(path, error) > kMaxMacroFileBytes) {
        result.error = "the file is too large for a macro file";
        return result;
    }
    const std::optional<std::string> text = platform::ReadWholeFile(path);
    if (!text) {
        result.error = "the file could not be read: " + path.string();
        return result;
    }
    std::string why;
    if (!macros::ParseMacroFileText(*text, &why)) {
        result.error = why;
        return result;
    }
    MacroStore store = DeviceMacroStore(device);
    const std::vector<MacroInfo> before = store.ReadMacroList();
    if (before.size() >= static_cast<size_t>(MacroStore::kMaxMacros)) {
        result.error =
            "the device has " + std::to_string(MacroStore::kMaxMacros) + " macros already";
        return result;
    }
    if (!name.empty()) {
        for (const MacroInfo& macro : before) {
            if (EqualsIgnoringCase(macro.name, name)) {
                result.error = "a macro named \"" + macro.name + "\" exists already";
                return result;
            }
        }
    }
    const std::string added = store.ImportMacro(path);
    if (added.empty()) {
        result.error = "the macro could not be added to the device's folder";
        return result;
    }
    result.name = added;
    if (!name.empty()) {
        const auto position = FindMacroByName(store.ReadMacroList(), added);
        const std::string renamed = position ? store.RenameMacro(*position, name) : std::string();
        if (renamed == name)
            result.name = renamed;
        else
            result.error = "the macro was imported as \"" + added + "\" but could not be renamed";
    }
    return result;
}

DeviceMacroDeletion DeleteDeviceMacro(COrvaneUSBDevice& device, int position) {
    DeviceMacroDeletion result;
    ProfileManager profiles;
    profiles.SetDeviceKind(device.Kind());
    profiles.SetFolders(device.UserDeviceFolder(), device.DefaultProfilePath());
    if (const ProfileStatus status = profiles.InitProfileList(); !status) {
        result.profilesUnreadable = true;
        return result;
    }
    CBasicProfiledata current;
    current.SetDeviceIndex(0);
    current.SetDefaultPath(device.DefaultProfilePath());
    current.SetProfilePath(profiles.GetProfilePathAt(profiles.GetSelectedIndex()));
    current.Load(current.GetProfilePath());
    MacroStore store = DeviceMacroStore(device);
    result.deletion = DeleteMacroWithKeyRepair(store, profiles, current, position);
    return result;
}

void ShowMacroListChange(COrvaneUSBDevice& device, bool profileChanged) {
    if (CMacroControlUI* editor = CMacroControlUI::Of(&device)) editor->ReloadList();
    ProfileCapability* profile = device.Profiles();
    if (profile != nullptr) {
        if (profileChanged) profile->LoadProfile();
        profile->ReloadPanelLists();
    }
    if (KeyAssignCapability* keys = device.KeyAssign(); keys != nullptr && profileChanged)
        keys->RefreshKeyLabels();
    if (CKeySetControlUI* panel = CKeySetControlUI::Of(&device)) panel->Refresh();
}

bool WriteMacrosAndKeys(COrvaneUSBDevice& device,
                        std::function<void(int upload, Result written)> done) {
    KeyTableCapability* table = device.KeyTable();
    if (table == nullptr) return false;
    COrvaneUSBDevice* target = &device;
    return target->Post([target, table, done = std::move(done)]() mutable {
        const int upload = table->UploadMacros(table->CollectMacros());
        // A too large image stops here, so that no key names a macro the device lacks.
        Result written = kResultFailed;
        if (upload == 0 || upload == -1) written = table->WriteKeyTableFromProfile();
        target->OnUiThread([upload, written, done = std::move(done)] {
            if (done) done(upload, written);
        });
    });
}

}  // namespace qx::devices
