// The keyboard's profile hooks: which file is the current profile, loading it into the model,
// saving it, the lists its page names (macros, effect codes) and the lighting it selects.
#include <algorithm>

#include "core/diagnostics.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "devices/base/light_record_words.h"
#include "devices/keyboard/keyboard_key_table.h"
#include "devices/keyboard/keyboard_write_errors.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "lighting/keyboard_lighting.h"
#include "macros/macro_store.h"
#include "profiles/profile_manager.h"

namespace qx::devices {

void COrvaneKeyboardDevice::StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    COrvaneUSBDevice::StoreLightSettings(w0, w1, w2, w3);
    std::lock_guard lock(model_);
    lightInfo_ = LightRecordOf({w0, w1, w2, w3});
    profile_.WriteLightInfoBlock(lightInfo_);
}

std::filesystem::path COrvaneKeyboardDevice::ProfilePath() const {
    std::lock_guard lock(model_);
    return profile_.GetProfilePath();
}

void COrvaneKeyboardDevice::SetProfilePaths() {
    std::lock_guard lock(model_);
    PointProfileData(profile_, "the keyboard");
}

int COrvaneKeyboardDevice::LoadProfile() {
    std::lock_guard lock(model_);
    SetProfilePaths();
    profile_.SetDeviceIndex(0);
    profile_.Load(profile_.GetProfilePath());
    if (profile_.LoadWriteFailed()) DebugLine("the keyboard's profile could not be completed");
    keyList_ = profile_.GetKeyList();
    ApplyLighting();
    system_ = KeyboardSystem::From(profile_.GetKeyboardSystem());
    return 1;
}

void COrvaneKeyboardDevice::SaveProfile() {
    std::lock_guard lock(model_);
    if (!SaveLocked()) DebugLine("the keyboard's profile was not saved");
}

bool COrvaneKeyboardDevice::SaveLocked() {
    if (profile_.GetProfilePath().empty()) return false;
    return profile_.Save();
}

void COrvaneKeyboardDevice::ReloadProfile() {
    LoadProfile();
    SaveProfile();
    RefreshPanel();
}

QString COrvaneKeyboardDevice::GetProfileName() const {
    std::lock_guard lock(model_);
    return ProfileNameOf(profile_);
}

void COrvaneKeyboardDevice::ReloadPanelLists() {
    QStringList names = MacroListNames();
    std::vector<int> codes = ModelEffectCodes();
    std::lock_guard lock(model_);
    macroNames_ = std::move(names);
    // A missing or damaged list leaves the codes as they were.
    if (!codes.empty()) effectCodes_ = std::move(codes);
}

QStringList COrvaneKeyboardDevice::MacroNames() const {
    std::lock_guard lock(model_);
    return macroNames_;
}

bool COrvaneKeyboardDevice::StoreKeyFunction(int key, const KeyAssignHalf& function) {
    std::lock_guard lock(model_);
    if (key < 0 || key >= static_cast<int>(keyList_.size())) return false;
    KeyAssignHalf& current = keyList_[static_cast<size_t>(key)].current;
    const KeyAssignHalf before = current;
    current.b2 = function.b2;
    current.b1 = function.b1;
    current.b0 = function.b0;
    profile_.SetKeyList(keyList_);
    if (SaveLocked()) return true;
    // The list says what the file holds.
    current = before;
    profile_.SetKeyList(keyList_);
    return false;
}

void COrvaneKeyboardDevice::DropDanglingMacros() {
    ReloadPanelLists();
    bool changed = false;
    {
        std::lock_guard lock(model_);
        changed = RevertDanglingMacros(keyList_, static_cast<int>(macroNames_.size()));
        if (changed) profile_.SetKeyList(keyList_);
    }
    ReloadPanelLists();
    if (changed) RefreshKeyLabels();
}

int COrvaneKeyboardDevice::ApplyLighting() {
    std::lock_guard lock(model_);
    lightInfo_ = profile_.ReadLightInfoBlock();
    ApplyLightLocked();
    ApplyAudioLightLocked();
    // The per-key effects of the profile and the timed effects of its custom light mode.
    if (lighting::LightingEngine* engine = Lighting()) {
        if (!profile_.GetLightConfigPath().empty())
            profile_.LoadLightConfig(profile_.GetLightConfigPath());
        engine->SetLedEffectList(ToLedEffectRecords(profile_.GetLedEffectList()));
        engine->SetTimedEffects(ToTimedEffects(profile_.GetTimedEffectSteps()));
    }
    return 1;
}

void COrvaneKeyboardDevice::ApplyLightLocked() {
    const std::array<uint32_t, 4> words = LightWordsOf(lightInfo_);
    COrvaneUSBDevice::StoreLightSettings(words[0], words[1], words[2], words[3]);
    Light() = LightSettingsOf(lightInfo_);
    auto* keyboard = dynamic_cast<lighting::KeyboardLighting*>(Lighting());
    if (keyboard == nullptr) return;
    if (lightInfo_.selectItem == kCustomColourEffect) {
        // The custom-colour effect starts from the colours of the profile's group.
        const std::vector<ColourCell> cells =
            profile_.GetCustomColours(lightInfo_.customGroup, kLogicalKeyCount);
        std::vector<lighting::CustomColour> colours;
        for (const ColourCell& cell : cells)
            colours.push_back({{cell.red, cell.green, cell.blue}, cell.bright});
        keyboard->SetCustomColours(colours);
    }
    // The engine restarts the effect when it changed (and the custom colours always).
    keyboard->ApplySettings(Light());
}

}  // namespace qx::devices
