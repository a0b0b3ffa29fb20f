// The light configuration file and the ".light" effect file it names, read as the device does
// for a custom timed effect: the profile's light block picks an entry of the configuration,
// whose "Guid" names the effect file beside it.
// Input: the light configuration, then "\n--8<--\n", the ".light" file (stored under the name
// that the chosen entry gives, when it is a plain name), then "\n--8<--\n" and a profile file.
#include <json/value.h>

#include <string>

#include "core/file_names.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "fuzz_support.h"
#include "profiles/keyboard_profiledata.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pieces = fuzz::SplitInput(data, size, 3);
    const auto folder = fuzz::FreshFolder("light");
    const auto configPath = folder / "LightConfig.Json";
    const auto profilePath = folder / "profile.Json";
    fuzz::WriteBytes(configPath, pieces[0]);
    fuzz::WriteBytes(profilePath, pieces[2]);

    CKeyboardProfiledata profile;
    profile.SetProfilePath(profilePath);
    profile.Load(profilePath);
    const LightInfoRecord light = profile.ReadLightInfoBlock();

    // The effect file under the name the chosen entry gives.
    const Json::Value config = ReadJsonFile(configPath);
    const std::string guid = json::ToString(
        json::Get(json::At(json::At(json::Get(config, "LightInfo"), 0), light.selectItem), "Guid"));
    if (IsSafeFileStem(guid)) fuzz::WriteBytes(folder / (guid + ".light"), pieces[1]);

    profile.SetLightConfigPath(configPath);
    profile.LoadLightConfig(configPath);
    const auto steps = profile.GetTimedEffectSteps();
    (void)profile.GetLedEffectList();
    (void)steps;
    return 0;
}
