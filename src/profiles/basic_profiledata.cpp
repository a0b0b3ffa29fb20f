#include "profiles/basic_profiledata.h"

#include "core/file_names.h"
#include "core/json_file.h"
#include "core/json_value.h"

namespace qx {
namespace {

uint8_t Byte(const Json::Value& parent, const char* key) {
    return static_cast<uint8_t>(json::ToInt(json::Get(parent, key)));
}

uint8_t Flag(const Json::Value& parent, const char* key) {
    return json::ToBool(json::Get(parent, key)) ? 1 : 0;
}

// "Device"[index] of a document when it is an object; anything else counts as no block.
Json::Value DeviceBlockOf(const Json::Value& document, int index) {
    const Json::Value& block =
        json::At(json::Get(document, "Device"), static_cast<Json::ArrayIndex>(index));
    return block.isObject() ? block : Json::Value();
}

// True when storing a block at "Device"[index] would drop content that is not a device block: a
// document that is not an object, or a "Device" member that is not an array.
bool HoldsOtherContent(const Json::Value& document) {
    if (!document.isObject()) return true;
    const Json::Value& device = json::Get(document, "Device");
    return !device.isNull() && !device.isArray();
}

}  // namespace

bool CBasicProfiledata::Save() {
    const Json::Value copy = deviceBlock_;
    return WriteDeviceBlock(copy, profilePath_);
}

bool CBasicProfiledata::WriteDeviceBlock(const Json::Value& value,
                                         const std::filesystem::path& path) {
    if (path.empty()) return false;
    Json::Value document = ReadJsonFile(path);
    if (HoldsOtherContent(document)) {
        // What the file held is kept before it is replaced; when it cannot be kept, it stays.
        if (!KeepFileAside(path).ok) return false;
        if (!document.isObject()) document = Json::Value(Json::objectValue);
    }
    json::SlotAt(json::Slot(document, "Device"), static_cast<Json::ArrayIndex>(deviceIndex_)) =
        value;
    return WriteDocument(document, path);
}

bool CBasicProfiledata::SaveImportedBlock(const std::filesystem::path& path) {
    const Json::Value copy = importedBlock_;
    return WriteDeviceBlock(copy, path);
}

bool CBasicProfiledata::WriteDocument(const Json::Value& value, const std::filesystem::path& path) {
    return WriteJsonFile(path, value);
}

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultPath(const std::filesystem::path& path) {
    if (!path.empty()) defaultPath_ = path;
}

Json::Value CBasicProfiledata::LoadInto(const std::filesystem::path& path, Json::Value& block) {
    loadWriteFailed_ = false;
    Json::Value document = ReadJsonFile(path);
    block = DeviceBlockOf(document, deviceIndex_);
    if (block.isNull()) {
        // A new or damaged profile takes the shipped block, and its file gains it at once. With
        // no default block there is nothing better to write, so the file is left alone.
        block = DeviceBlockOf(ReadJsonFile(defaultPath_), deviceIndex_);
        if (!block.isNull() && !path.empty()) {
            // A block of the wrong type, or a file of the wrong shape, is user data all the
            // same: it is kept aside before the default replaces it, and stays when it cannot be.
            const Json::Value& old = json::At(json::Get(document, "Device"),
                                              static_cast<Json::ArrayIndex>(deviceIndex_));
            const bool keep = HoldsOtherContent(document) || !old.isNull();
            if (keep && !KeepFileAside(path).ok) {
                loadWriteFailed_ = true;
                return block;
            }
            if (!document.isObject()) document = Json::Value(Json::objectValue);
            json::SlotAt(json::Slot(document, "Device"),
                         static_cast<Json::ArrayIndex>(deviceIndex_)) = block;
            loadWriteFailed_ = !WriteDocument(document, path);
        }
    }
    return block;
}

Json::Value CBasicProfiledata::Load(const std::filesystem::path& path) {
    return LoadInto(path, deviceBlock_);
}

Json::Value CBasicProfiledata::LoadImported(const std::filesystem::path& path) {
    return LoadInto(path, importedBlock_);
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    lightConfig_ = ReadJsonFile(path);
    return lightConfig_;
}

Json::Value* CBasicProfiledata::TouchBlockMember(const char* key, bool createOnNull) {
    if (deviceBlock_.isNull() && !createOnNull) return nullptr;
    return json::Touch(deviceBlock_, key);
}

LightInfoRecord CBasicProfiledata::ReadLightInfoBlock() {
    LightInfoRecord record;
    const Json::Value* block = TouchBlockMember("LightInfo", false);
    if (block != nullptr && block->isObject()) {
        record.selectItem = Byte(*block, "SelectItem");
        record.light = Byte(*block, "Light");
        record.speed = Byte(*block, "Speed");
        record.fx = Byte(*block, "Fx");
        record.multiColor = Flag(*block, "MultiColor");
        record.red = Byte(*block, "Red");
        record.green = Byte(*block, "Green");
        record.blue = Byte(*block, "Blue");
        record.zzccLedMode = Byte(*block, "ZZCCLedMode");
        record.customGroup = Byte(*block, "CustomGroup");
        record.oldLedmode = Byte(*block, "OldLedmode");
    }
    lightInfo_ = record;
    return record;
}

void CBasicProfiledata::WriteLightInfoBlock(const LightInfoRecord& record) {
    lightInfo_ = record;
    Json::Value block(Json::objectValue);
    block["SelectItem"] = record.selectItem;
    block["Light"] = record.light;
    block["Speed"] = record.speed;
    block["Fx"] = record.fx;
    block["MultiColor"] = record.multiColor;
    block["Red"] = record.red;
    block["Green"] = record.green;
    block["Blue"] = record.blue;
    block["ZZCCLedMode"] = record.zzccLedMode;
    block["CustomGroup"] = record.customGroup;
    block["OldLedmode"] = record.oldLedmode;
    json::Slot(deviceBlock_, "LightInfo") = block;
}

AudioLightRecord CBasicProfiledata::ReadAudioLightBlock() {
    AudioLightRecord record;
    const Json::Value* block = TouchBlockMember("AudioLightInfo", false);
    if (block != nullptr && block->isObject()) {
        record.audioMode = Byte(*block, "AudioMode");
        record.bkColorR = Byte(*block, "BkColorR");
        record.bkColorG = Byte(*block, "BkColorG");
        record.bkColorB = Byte(*block, "BkColorB");
        record.fgColorR = Byte(*block, "FgColorR");
        record.fgColorG = Byte(*block, "FgColorG");
        record.fgColorB = Byte(*block, "FgColorB");
        record.sevenColorFlags = Flag(*block, "7ColorFlags");
        record.colorTypeFlags = Flag(*block, "ColorTypeFlags");
    }
    audioLightInfo_ = record;
    return record;
}

void CBasicProfiledata::WriteAudioLightBlock(const AudioLightRecord& record) {
    audioLightInfo_ = record;
    Json::Value block(Json::objectValue);
    block["AudioMode"] = record.audioMode;
    block["BkColorR"] = record.bkColorR;
    block["BkColorG"] = record.bkColorG;
    block["BkColorB"] = record.bkColorB;
    block["FgColorR"] = record.fgColorR;
    block["FgColorG"] = record.fgColorG;
    block["FgColorB"] = record.fgColorB;
    block["7ColorFlags"] = record.sevenColorFlags;
    block["ColorTypeFlags"] = record.colorTypeFlags;
    json::Slot(deviceBlock_, "AudioLightInfo") = block;
}

std::vector<LedEffectEntry> CBasicProfiledata::GetLedEffectList() {
    std::vector<LedEffectEntry> list;
    const Json::Value* lights = TouchBlockMember("LightList", false);
    if (lights != nullptr) {
        list.resize(json::ArraySize(*lights));
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            const Json::Value& element = (*lights)[i];
            if (!element.isObject()) continue;
            LedEffectEntry& entry = list[i];
            entry.type = Byte(element, "LEDREGMode");
            entry.brightness = Byte(element, "LEDBrightness");
            entry.speed = Byte(element, "LEDSpeed");
            entry.direction = Flag(element, "LEDDirection");
            entry.multiColor = Flag(element, "LEDMultiColor");
            entry.red = Byte(element, "red");
            entry.green = Byte(element, "green");
            entry.blue = Byte(element, "blue");
            entry.enabled = 1;
        }
    }
    ledEffects_ = list;
    return list;
}

std::vector<TimedEffectStep> CBasicProfiledata::GetTimedEffectSteps() {
    std::vector<TimedEffectStep> steps;
    if (!lightConfig_.isNull()) {
        const Json::Value& entry = json::At(json::At(json::Get(lightConfig_, "LightInfo"),
                                                     static_cast<Json::ArrayIndex>(deviceIndex_)),
                                            lightInfo_.selectItem);
        const std::string guid = json::ToString(json::Get(entry, "Guid"));
        // The effect file lies beside the light configuration; a name that would leave that
        // folder is not followed.
        if (IsSafeFileStem(guid)) {
            const Json::Value effect =
                ReadJsonFile(lightConfigPath_.parent_path() / (guid + ".light"));
            const Json::Value& list = json::Get(effect, "LEDEffectList");
            steps.resize(json::ArraySize(list));
            for (Json::ArrayIndex i = 0; i < steps.size(); ++i) {
                const Json::Value& element = list[i];
                TimedEffectStep& step = steps[i];
                step.type = Byte(element, "LEDREGMode");
                step.brightness = Byte(element, "LEDBrightness");
                step.speed = Byte(element, "LEDSpeed");
                step.direction = Byte(element, "LEDDirection");
                step.multiColor = Byte(element, "LEDMultiColor");
                step.red = Byte(element, "red");
                step.green = Byte(element, "green");
                step.blue = Byte(element, "blue");
                step.time = json::ToInt(json::Get(element, "Time"));
                step.cyle = json::ToInt(json::Get(element, "Cyle"));
            }
        }
    }
    timedSteps_ = steps;
    return steps;
}

std::vector<KeyAssignRecord> CBasicProfiledata::ReadKeyList(Json::Value& block) {
    std::vector<KeyAssignRecord> list;
    if (block.isNull()) return list;
    const Json::Value* keys = json::Touch(block, "KeyList");
    if (keys == nullptr) return list;
    list.resize(json::ArraySize(*keys));
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value& element = (*keys)[i];
        KeyAssignRecord& record = list[i];
        record.current.keyIndex = static_cast<uint16_t>(i);
        record.defaults.keyIndex = static_cast<uint16_t>(i);
        record.current.SetValue(json::ToInt(json::Get(element, "Assignment")));
        record.defaults.SetValue(json::ToInt(json::Get(element, "DefaultAssignment")));
    }
    return list;
}

void CBasicProfiledata::WriteKeyList(Json::Value& block, const std::vector<KeyAssignRecord>& list) {
    Json::Value& keys = json::Slot(block, "KeyList");
    for (size_t i = 0; i < list.size(); ++i) {
        json::Slot(json::SlotAt(keys, static_cast<Json::ArrayIndex>(i)), "Assignment") =
            list[i].current.Value();
    }
}

std::vector<KeyAssignRecord> CBasicProfiledata::GetKeyList() {
    keyList_ = ReadKeyList(deviceBlock_);
    return keyList_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyAssignRecord>& list) {
    keyList_ = list;
    WriteKeyList(deviceBlock_, list);
}

std::vector<KeyAssignRecord> CBasicProfiledata::GetImportedKeyList() {
    importedKeyList_ = ReadKeyList(importedBlock_);
    return importedKeyList_;
}

void CBasicProfiledata::SetImportedKeyList(const std::vector<KeyAssignRecord>& list) {
    importedKeyList_ = list;
    WriteKeyList(importedBlock_, list);
}

}  // namespace qx
