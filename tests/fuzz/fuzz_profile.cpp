// A profile file (keyboard, mouse, pad or headset) read by the family's profile class: loading
// (the default block taken in when the file has none), every block read, written back and
// saved. What is saved must read back the same, and a saved file must parse.
// Input: a selector byte (family, device index), then the file's bytes.
#include <json/value.h>

#include <memory>

#include "core/json_file.h"
#include "fuzz_support.h"
#include "profiles/hs6533_profiledata.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"

using namespace qx;

namespace {

void ReadAndWriteBack(CBasicProfiledata& profile) {
    const LightInfoRecord light = profile.ReadLightInfoBlock();
    profile.WriteLightInfoBlock(light);
    const AudioLightRecord audio = profile.ReadAudioLightBlock();
    profile.WriteAudioLightBlock(audio);
    (void)profile.GetLedEffectList();
    (void)profile.GetTimedEffectSteps();
    const auto keys = profile.GetKeyList();
    profile.SetKeyList(keys);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int family = data[0] % 4;
    const int deviceIndex = (data[0] >> 2) % 3;
    static const char* const kFolders[] = {"keyboard", "mouse", "MousePad", "HD"};
    const auto folder = fuzz::FreshFolder("profile");
    const auto path = folder / "20240101120000.Json";
    fuzz::WriteBytes(path, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

    std::unique_ptr<CBasicProfiledata> profile;
    switch (family) {
        case 0:
            profile = std::make_unique<CKeyboardProfiledata>();
            break;
        case 1:
        case 2:
            profile = std::make_unique<CMouseProfiledata>();
            break;
        default:
            profile = std::make_unique<CHs6533Profiledata>();
            break;
    }
    profile->SetDefaultPath(fuzz::ShippedData() / "DefaultData" /
                            (std::string(kFolders[family]) + ".Json"));
    profile->SetProfilePath(path);
    profile->SetDeviceIndex(deviceIndex);
    profile->Load(path);
    ReadAndWriteBack(*profile);

    if (auto* keyboard = dynamic_cast<CKeyboardProfiledata*>(profile.get())) {
        const KeyboardSystemRecord system = keyboard->GetKeyboardSystem();
        keyboard->SetKeyboardSystem(system.words[0], system.words[1], system.words[2]);
        for (int group = 0; group < 3; ++group) {
            const auto cells = keyboard->GetCustomColours(group, 8);
            keyboard->SetCustomColours(cells, group);
        }
        keyboard->SetCustomGroupIndex(keyboard->GetCustomGroupIndex());
    } else if (auto* mouse = dynamic_cast<CMouseProfiledata*>(profile.get())) {
        const auto stages = mouse->GetDpiStages();
        mouse->SetDpiStages(stages);
        const MouseSystemRecord system = mouse->GetMouseSystem();
        mouse->SetMouseSystem(system.words[0], system.words[1], system.words[2]);
        (void)mouse->GetCorrectList();
    } else if (auto* headset = dynamic_cast<CHs6533Profiledata*>(profile.get())) {
        const HeadsetSystemRecord system = headset->GetHeadsetSystem();
        headset->SetHeadsetSystem(system);
        for (int type = -1; type <= 14; ++type) {
            const auto bands = headset->GetEqBands(type);
            headset->SetEqBands(type, bands);
        }
        const auto names = headset->GetCustomEqNames();
        headset->SetCustomEqNames(names);
        for (int index = -1; index <= static_cast<int>(names.size()); ++index) {
            const auto bands = headset->GetCustomEqBands(index);
            headset->SetCustomEqBands(index, bands);
        }
    }

    const LightInfoRecord light = profile->ReadLightInfoBlock();
    const auto keys = profile->GetKeyList();
    if (profile->Save()) {
        fuzz::Require(!ReadJsonFile(path).isNull(), "a saved profile parses");
        CBasicProfiledata again;
        again.SetDeviceIndex(deviceIndex);
        again.Load(path);
        fuzz::Require(again.ReadLightInfoBlock() == light, "the light block reads back");
        fuzz::Require(again.GetKeyList() == keys, "the key list reads back");
    }
    return 0;
}
