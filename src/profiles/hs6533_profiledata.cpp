#include "profiles/hs6533_profiledata.h"

#include "core/json_value.h"

namespace qx {
namespace {

// Custom equalisers are few (the panel allows 20); an index beyond this is refused rather than
// growing the array without bound.
constexpr int kMaxCustomIndex = 255;

int32_t Int(const Json::Value& parent, const char* key) {
    return json::ToInt(json::Get(parent, key));
}

}  // namespace

HeadsetSystemRecord CHs6533Profiledata::GetHeadsetSystem() {
    HeadsetSystemRecord record;
    const Json::Value* stages = TouchBlockMember("SystemSetStages", false);
    if (stages != nullptr && stages->isObject()) {
        record.magicEnable = Int(*stages, "MagicEnable");
        record.magicType = Int(*stages, "MagicType");
        record.eqType = Int(*stages, "EqType");
        record.customEqSeletIndex = Int(*stages, "CustomEqSeletIndex");
        record.micInSelect = Int(*stages, "MicInSelect");
        record.micInValue = Int(*stages, "MicInValue");
        record.micMoniterSelect = Int(*stages, "MicMoniterSelect");
        record.micMoniterValue = Int(*stages, "MicMoniterValue");
    }
    system_ = record;
    return record;
}

void CHs6533Profiledata::SetHeadsetSystem(const HeadsetSystemRecord& record) {
    system_ = record;
    Json::Value& stages = json::Slot(Block(), "SystemSetStages");
    json::Slot(stages, "MagicEnable") = record.magicEnable;
    json::Slot(stages, "MagicType") = record.magicType;
    json::Slot(stages, "EqType") = record.eqType;
    json::Slot(stages, "CustomEqSeletIndex") = record.customEqSeletIndex;
    json::Slot(stages, "MicInSelect") = record.micInSelect;
    json::Slot(stages, "MicInValue") = record.micInValue;
    json::Slot(stages, "MicMoniterSelect") = record.micMoniterSelect;
    json::Slot(stages, "MicMoniterValue") = record.micMoniterValue;
}

int CHs6533Profiledata::PresetRow(int type) {
    const auto t = static_cast<unsigned>(type);
    if (t == kCustomEqType) return -1;
    if (t == 0 || t > kCustomEqType) return 1;
    return type;
}

std::vector<int> CHs6533Profiledata::ReadBands(const char* key, int row) {
    std::vector<int> bands;
    Json::Value& table = json::Slot(Block(), key);
    Json::Value& line = json::SlotAt(table, static_cast<Json::ArrayIndex>(row));
    const bool missing = !line.isArray();
    for (int b = 0; b < kBandCount; ++b) {
        if (missing) {
            json::Slot(json::SlotAt(line, static_cast<Json::ArrayIndex>(b)), "value") = 0;
            bands.push_back(0);
        } else {
            bands.push_back(Int(json::At(line, static_cast<Json::ArrayIndex>(b)), "value"));
        }
    }
    return bands;
}

void CHs6533Profiledata::WriteBands(const char* key, int row, const std::vector<int>& bands) {
    Json::Value& line = json::SlotAt(json::Slot(Block(), key), static_cast<Json::ArrayIndex>(row));
    for (size_t b = 0; b < bands.size() && b < kBandCount; ++b) {
        json::Slot(json::SlotAt(line, static_cast<Json::ArrayIndex>(b)), "value") = bands[b];
    }
}

std::vector<int> CHs6533Profiledata::GetEqBands(int type) {
    const int row = PresetRow(type);
    if (row < 0) return {};
    return ReadBands("EQHzValueInfo", row);
}

void CHs6533Profiledata::SetEqBands(int type, const std::vector<int>& bands) {
    const int row = PresetRow(type);
    if (row >= 0) WriteBands("EQHzValueInfo", row, bands);
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames() {
    std::vector<std::string> names;
    Json::Value* info = TouchBlockMember("CustomEQNameInfo", true);
    if (info != nullptr) {
        for (Json::ArrayIndex i = 0; i < json::ArraySize(*info); ++i) {
            names.push_back(json::ToString(json::Get((*info)[i], "Name")));
        }
    }
    return names;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value entry(Json::objectValue);
        entry["Name"] = name;
        list.append(entry);
    }
    json::Slot(Block(), "CustomEQNameInfo") = list;
}

std::vector<int> CHs6533Profiledata::GetCustomEqBands(int index) {
    if (index < 0 || index > kMaxCustomIndex) return {};
    return ReadBands("CustomEQHzValueInfo", index);
}

void CHs6533Profiledata::SetCustomEqBands(int index, const std::vector<int>& bands) {
    if (index < 0 || index > kMaxCustomIndex) return;
    WriteBands("CustomEQHzValueInfo", index, bands);
}

void CHs6533Profiledata::RemoveCustomEq(int index) {
    if (index < 0) return;
    for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
        Json::Value* list = TouchBlockMember(key, false);
        if (list == nullptr || !list->isArray() || index >= static_cast<int>(list->size()))
            continue;
        Json::Value removed;
        list->removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    }
}

int CHs6533Profiledata::GetSurround() {
    const Json::Value* stages = TouchBlockMember("SystemSetStages", false);
    if (stages == nullptr || !stages->isObject()) return 0;
    return Int(*stages, "SurroundEnable");
}

void CHs6533Profiledata::SetSurround(int on) {
    json::Slot(json::Slot(Block(), "SystemSetStages"), "SurroundEnable") = on;
}

}  // namespace qx
