// The profile files every family keeps alike: which file is the current profile, its name, and
// the lists its page names (the model's effect codes, the macro names).
#include <algorithm>

#include "core/diagnostics.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "devices/base/orvane_usb_device.h"
#include "macros/macro_store.h"
#include "profiles/basic_profiledata.h"
#include "profiles/profile_manager.h"

namespace qx::devices {

void COrvaneUSBDevice::PointProfileData(CBasicProfiledata& data, const char* who) {
    if (ProfileId().isEmpty()) {
        ProfileManager manager;
        manager.SetDeviceKind(Kind());
        manager.SetFolders(UserDeviceFolder(), DefaultProfilePath());
        if (const ProfileStatus status = manager.InitProfileList(); !status)
            DebugLine(std::string(who) + "'s profile list could not be made: " + status.error);
        SetProfileId(QString::fromStdString(manager.GetCurrentProfileId()));
    }
    const std::string id = ProfileId().toStdString();
    // An identifier that is not a plain file name never leaves the folder.
    if (id.empty() || id.find_first_of("/\\") != std::string::npos || id == "." || id == "..")
        return;
    data.SetDefaultPath(DefaultProfilePath());
    data.SetProfilePath(UserDeviceFolder() / (id + ".Json"));
    const std::string lightName =
        Family() != nullptr ? std::string(Family()->lightConfigName) : std::string("orbek_light");
    data.SetLightConfigPath(UserDeviceFolder() / (lightName + ".config"));
}

QString COrvaneUSBDevice::ProfileNameOf(const CBasicProfiledata& data) {
    const Json::Value document = ReadJsonFile(data.GetProfilePath());
    return QString::fromStdString(json::ToString(json::Get(document, "profilename")));
}

std::vector<int> COrvaneUSBDevice::ModelEffectCodes() const {
    std::vector<int> codes;
    const Json::Value lights = ReadJsonFile(DefaultDataFolder() / "default_light.json");
    const Json::Value& row = json::At(json::Get(lights, "DefaultLightName"),
                                      static_cast<Json::ArrayIndex>(std::max(GetModelIndex(), 0)));
    for (Json::ArrayIndex i = 0; i < json::ArraySize(row); ++i)
        codes.push_back(json::ToInt(json::Get(json::At(row, i), "value")));
    return codes;
}

QStringList COrvaneUSBDevice::MacroListNames() const {
    QStringList names;
    for (const MacroInfo& macro : MacroStore(UserDeviceFolder()).ReadMacroList())
        names << QString::fromStdString(macro.name);
    return names;
}

}  // namespace qx::devices
