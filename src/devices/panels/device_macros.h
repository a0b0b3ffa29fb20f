// The macros of one device as the macro editor and scripts change them: the same import,
// export and deletion for both, and what the window and the device do after a change (the
// editor's list, the key panel's macro choices, the key caps, and the macros and key table
// written on the device's worker). UI thread only.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/result_codes.h"
#include "macros/macro_deletion.h"
#include "macros/macro_store.h"

namespace qx::devices {

class COrvaneUSBDevice;

MacroStore DeviceMacroStore(const COrvaneUSBDevice& device);

// The position of the macro named `name` (exact, else ignoring case); nullopt when none.
std::optional<int> FindMacroByName(const std::vector<MacroInfo>& list, const std::string& name);

struct MacroImport {
    std::string name;   // the new macro's name; empty when nothing was imported
    std::string error;  // why not, for the user
};
// Adds the macro file at `path` (checked to be a macro file first) under its default new name,
// or under `name` when that is not empty (refused beforehand when the name is taken).
MacroImport ImportDeviceMacro(COrvaneUSBDevice& device, const std::filesystem::path& path,
                              const std::string& name = {});

struct DeviceMacroDeletion {
    MacroDeletion deletion;
    bool profilesUnreadable = false;  // the profile list could not be read: nothing was deleted
};
// Deletes macro `position` with the repair of every profile's keys (no questions asked).
DeviceMacroDeletion DeleteDeviceMacro(COrvaneUSBDevice& device, int position);

// The window follows a change of the macro list: the editor (its unsaved rows kept while its
// macro stays), the profile panel and, when `profileChanged`, the profile reloaded with the key
// caps and the key panel.
void ShowMacroListChange(COrvaneUSBDevice& device, bool profileChanged);

// On the device's worker: the macros the keys use, then (unless the image is too large) the key
// table. `done` runs on the UI thread with the upload's result (0, -1 or the overflow, as
// KeyTableCapability::UploadMacros) and the key table's. False when nothing could be queued.
bool WriteMacrosAndKeys(COrvaneUSBDevice& device,
                        std::function<void(int upload, Result written)> done);

}  // namespace qx::devices
