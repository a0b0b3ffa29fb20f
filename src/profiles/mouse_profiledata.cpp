#include "profiles/mouse_profiledata.h"

#include "core/json_value.h"

namespace qx {
namespace {

uint8_t Byte(const Json::Value& parent, const char* key) {
    return static_cast<uint8_t>(json::ToInt(json::Get(parent, key)));
}

uint16_t Half(const Json::Value& parent, const char* key) {
    return static_cast<uint16_t>(json::ToInt(json::Get(parent, key)));
}

}  // namespace

std::vector<DpiStageRecord> CMouseProfiledata::GetDpiStages() {
    const Json::Value* dpi = TouchBlockMember("DPIStages", false);
    if (dpi != nullptr && dpi->isObject()) {
        activeStage_ = json::ToInt(json::Get(*dpi, "StageActive"));
        const Json::Value& list = json::Get(*dpi, "StageDPIs");
        for (Json::ArrayIndex i = 0; i < json::ArraySize(list); ++i) {
            const Json::Value& element = list[i];
            const DpiStageRecord record{Byte(element, "StageActive"), Byte(element, "StageXY"),
                                        Half(element, "StageDPIX"),   Half(element, "StageDPIY"),
                                        Byte(element, "StageColorR"), Byte(element, "StageColorG"),
                                        Byte(element, "StageColorB")};
            if (i < stages_.size()) {
                stages_[i] = record;
            } else {
                stages_.push_back(record);
            }
        }
    }
    return stages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStageRecord>& stages) {
    stages_ = stages;
    Json::Value& list = json::Slot(json::Slot(Block(), "DPIStages"), "StageDPIs");
    for (size_t i = 0; i < stages.size(); ++i) {
        Json::Value& element = json::SlotAt(list, static_cast<Json::ArrayIndex>(i));
        json::Slot(element, "StageActive") = stages[i].active;
        json::Slot(element, "StageXY") = stages[i].xy;
        json::Slot(element, "StageDPIX") = stages[i].dpiX;
        json::Slot(element, "StageDPIY") = stages[i].dpiY;
        json::Slot(element, "StageColorR") = stages[i].red;
        json::Slot(element, "StageColorG") = stages[i].green;
        json::Slot(element, "StageColorB") = stages[i].blue;
    }
}

void CMouseProfiledata::SetActiveStage(int stage) {
    activeStage_ = stage;
    json::Slot(json::Slot(Block(), "DPIStages"), "StageActive") = stage;
}

MouseSystemRecord CMouseProfiledata::GetMouseSystem() {
    MouseSystemRecord record;
    const Json::Value* stages = TouchBlockMember("SystemStages", false);
    if (stages != nullptr && stages->isObject()) {
        const Json::Value& report = json::Get(DeviceBlock(), "ReportStages");
        record.words[0] =
            PackedWords::Pack(Half(*stages, "DoubleClickTime"), Half(*stages, "MouseSpeed"));
        record.words[1] =
            PackedWords::Pack(Half(*stages, "PointerPrecision"), Half(*stages, "ScorllPage"));
        record.words[2] =
            PackedWords::Pack(Half(*stages, "WheelScorlllinse"), Half(report, "StageActive"));
    }
    system_ = record;
    return record;
}

void CMouseProfiledata::SetMouseSystem(uint32_t word1, uint32_t word2, uint32_t word3) {
    system_.words = {word1, word2, word3};
    Json::Value& stages = json::Slot(Block(), "SystemStages");
    json::Slot(stages, "DoubleClickTime") = system_.Low(0);
    json::Slot(stages, "MouseSpeed") = system_.High(0);
    json::Slot(stages, "PointerPrecision") = system_.Low(1);
    json::Slot(stages, "ScorllPage") = system_.High(1);
    json::Slot(stages, "WheelScorlllinse") = system_.Low(2);
    json::Slot(json::Slot(Block(), "ReportStages"), "StageActive") = system_.High(2);
}

std::vector<CorrectRecord> CMouseProfiledata::GetCorrectList() {
    std::vector<CorrectRecord> list;
    const Json::Value* info = TouchBlockMember("CorrectInfo", false);
    if (info != nullptr) {
        for (Json::ArrayIndex i = 0; i < json::ArraySize(*info); ++i) {
            const Json::Value& element = (*info)[i];
            list.push_back({Byte(element, "CorrectPixThresh"), Byte(element, "CorrectMinSq"),
                            Byte(element, "CorrectSelect"),
                            json::ToString(json::Get(element, "CorrectName"))});
        }
    }
    corrections_ = list;
    return list;
}

}  // namespace qx
