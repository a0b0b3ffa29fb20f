#include "profiles/keyboard_profiledata.h"

#include "core/json_value.h"

namespace qx {
namespace {

// Custom colour groups are addressed by a byte of the light settings.
constexpr int kMaxGroup = 255;
constexpr int kMaxCells = 1024;

uint16_t Half(const Json::Value& parent, const char* key) {
    return static_cast<uint16_t>(json::ToInt(json::Get(parent, key)));
}

uint8_t Byte(const Json::Value& parent, const char* key) {
    return static_cast<uint8_t>(json::ToInt(json::Get(parent, key)));
}

void WriteZeroCell(Json::Value& cell) {
    json::Slot(cell, "Red") = 0;
    json::Slot(cell, "Green") = 0;
    json::Slot(cell, "Blue") = 0;
    json::Slot(cell, "Alpha") = 0;
}

}  // namespace

KeyboardSystemRecord CKeyboardProfiledata::GetKeyboardSystem() {
    KeyboardSystemRecord record;
    const Json::Value* stages = TouchBlockMember("SystemStages", false);
    if (stages != nullptr && stages->isObject()) {
        record.words[0] = PackedWords::Pack(Half(*stages, "Repeat"), Half(*stages, "RepeatDelay"));
        record.words[1] =
            PackedWords::Pack(Half(*stages, "Key6Flag"), Half(*stages, "PollingRate"));
        record.words[2] = PackedWords::Pack(Half(*stages, "WFlag"), Half(*stages, "WinFlag"));
    }
    system_ = record;
    return record;
}

void CKeyboardProfiledata::SetKeyboardSystem(uint32_t word1, uint32_t word2, uint32_t word3) {
    system_.words = {word1, word2, word3};
    Json::Value& stages = json::Slot(Block(), "SystemStages");
    json::Slot(stages, "Repeat") = system_.Low(0);
    json::Slot(stages, "RepeatDelay") = system_.High(0);
    json::Slot(stages, "Key6Flag") = system_.Low(1);
    json::Slot(stages, "PollingRate") = system_.High(1);
    json::Slot(stages, "WFlag") = system_.Low(2);
    json::Slot(stages, "WinFlag") = system_.High(2);
}

std::vector<ColourCell> CKeyboardProfiledata::GetCustomColours(int group, int count) {
    std::vector<ColourCell> cells;
    if (group < 0 || group > kMaxGroup || count <= 0 || count > kMaxCells) {
        colours_ = cells;
        return cells;
    }
    Json::Value& info = json::Slot(json::Slot(Block(), "CustomLightMode"), "LightColorInfo");
    Json::Value& row = json::SlotAt(info, static_cast<Json::ArrayIndex>(group));
    const bool rowMissing = !row.isArray();
    for (int i = 0; i < count; ++i) {
        Json::Value& cell = json::SlotAt(row, static_cast<Json::ArrayIndex>(i));
        if (rowMissing || !cell.isObject()) {
            WriteZeroCell(cell);
            cells.push_back({});
        } else {
            cells.push_back({Byte(cell, "Red"), Byte(cell, "Green"), Byte(cell, "Blue"),
                             Byte(cell, "Alpha"), Byte(cell, "IsBright")});
        }
    }
    colours_ = cells;
    return cells;
}

void CKeyboardProfiledata::SetCustomColours(const std::vector<ColourCell>& cells, int group) {
    colours_ = cells;
    if (group < 0 || group > kMaxGroup) return;
    Json::Value& info = json::Slot(json::Slot(Block(), "CustomLightMode"), "LightColorInfo");
    Json::Value& row = json::SlotAt(info, static_cast<Json::ArrayIndex>(group));
    for (size_t i = 0; i < cells.size(); ++i) {
        Json::Value& cell = json::SlotAt(row, static_cast<Json::ArrayIndex>(i));
        json::Slot(cell, "Red") = cells[i].red;
        json::Slot(cell, "Green") = cells[i].green;
        json::Slot(cell, "Blue") = cells[i].blue;
        json::Slot(cell, "Alpha") = cells[i].alpha;
        json::Slot(cell, "IsBright") = cells[i].bright;
    }
}

int CKeyboardProfiledata::GetCustomGroupIndex() {
    groupIndex_ = 0;
    // Reading creates "CustomLightMode" (and a null index) in the block, as member access does.
    if (Json::Value* mode = TouchBlockMember("CustomLightMode", true)) {
        if (Json::Value* index = json::Touch(*mode, "CustomLightModeGroupIndex")) {
            groupIndex_ = json::ToInt(*index);
        }
    }
    return groupIndex_;
}

void CKeyboardProfiledata::SetCustomGroupIndex(int index) {
    groupIndex_ = index;
    json::Slot(json::Slot(Block(), "CustomLightMode"), "CustomLightModeGroupIndex") = index;
}

}  // namespace qx
