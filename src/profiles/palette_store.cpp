#include "profiles/palette_store.h"

#include <json/value.h>

#include <optional>

#include "core/json_file.h"
#include "core/json_value.h"
#include "core/text_compare.h"
#include "platform/user_folders.h"

namespace qx {
namespace {

constexpr const char* kFileName = "color_option_info.config";

const Json::Value& Info(const Json::Value& document) {
    return json::Get(document, "coloroptioninfo");
}

// The palette document to change; nothing when it has another shape and its bytes could not be
// kept aside, so that they are not replaced.
std::optional<Json::Value> ReadForUpdate(const std::filesystem::path& path) {
    Json::Value document = ReadJsonFile(path);
    if (!document.isObject()) {
        if (!KeepFileAside(path).ok) return std::nullopt;
        document = Json::Value(Json::objectValue);
    }
    return document;
}

}  // namespace

bool PaletteStore::CustomCell::HoldsUserColour() const { return EqualsIgnoringCase(userData, "1"); }

PaletteStore::PaletteStore()
    : PaletteStore(platform::UserFolder() / kFileName, platform::DefaultDataFolder() / kFileName) {}

PaletteStore::PaletteStore(std::filesystem::path file, std::filesystem::path defaults)
    : file_(std::move(file)), defaults_(std::move(defaults)) {}

bool PaletteStore::Open() {
    if (!ReadJsonFile(file_).isNull()) return true;
    const Json::Value defaults = ReadJsonFile(defaults_);
    if (defaults.isNull()) return true;
    return KeepFileAside(file_).ok && WriteJsonFile(file_, defaults);
}

int PaletteStore::PresetSelection() const {
    return json::ToInt(json::Get(Info(ReadJsonFile(file_)), "palletDialogcoloroption_selectitem"));
}

int PaletteStore::CustomSelection() const {
    return json::ToInt(
        json::Get(Info(ReadJsonFile(file_)), "palletDialogcollectcoloroption_selectitem"));
}

std::vector<uint32_t> PaletteStore::PresetColours() const {
    const Json::Value cells = json::Get(Info(ReadJsonFile(file_)), "palletDialogcoloroption");
    std::vector<uint32_t> colours(kCellCount, 0);
    for (int i = 0; i < kCellCount; ++i) {
        colours[i] = ParseColour(
            json::ToString(json::Get(json::At(cells, static_cast<Json::ArrayIndex>(i)), "color")));
    }
    return colours;
}

std::vector<PaletteStore::CustomCell> PaletteStore::CustomCells() const {
    const Json::Value cells =
        json::Get(Info(ReadJsonFile(file_)), "palletDialogcollectcoloroption");
    std::vector<CustomCell> result(kCellCount);
    for (int i = 0; i < kCellCount; ++i) {
        const Json::Value& cell = json::At(cells, static_cast<Json::ArrayIndex>(i));
        const Json::Value& colour = json::Get(cell, "color");
        if (colour.isNull()) continue;
        result[i].present = true;
        result[i].colour = ParseColour(json::ToString(colour));
        result[i].userData = json::ToString(json::Get(cell, "UserData"));
    }
    return result;
}

bool PaletteStore::SavePresetColours(const std::vector<uint32_t>& colours, int selected) {
    std::optional<Json::Value> read = ReadForUpdate(file_);
    if (!read) return false;
    Json::Value& document = *read;
    Json::Value& info = json::Slot(document, "coloroptioninfo");
    Json::Value& cells = json::Slot(info, "palletDialogcoloroption");
    for (size_t i = 0; i < colours.size(); ++i) {
        json::Slot(json::SlotAt(cells, static_cast<Json::ArrayIndex>(i)), "color") =
            FormatColour(colours[i]);
    }
    info["palletDialogcoloroption_selectitem"] = selected;
    return WriteJsonFile(file_, document);
}

bool PaletteStore::SaveCustomColours(const std::vector<CustomCell>& cells, int selected) {
    std::optional<Json::Value> read = ReadForUpdate(file_);
    if (!read) return false;
    Json::Value& document = *read;
    Json::Value& info = json::Slot(document, "coloroptioninfo");
    Json::Value& list = json::Slot(info, "palletDialogcollectcoloroption");
    for (size_t i = 0; i < cells.size(); ++i) {
        Json::Value& cell = json::SlotAt(list, static_cast<Json::ArrayIndex>(i));
        json::Slot(cell, "color") = FormatColour(cells[i].colour);
        json::Slot(cell, "UserData") = cells[i].userData;
    }
    info["palletDialogcollectcoloroption_selectitem"] = selected;
    return WriteJsonFile(file_, document);
}

std::string PaletteStore::FormatColour(uint32_t colour) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<size_t>(i)] = kDigits[colour & 0xF];
        colour >>= 4;
    }
    return text;
}

uint32_t PaletteStore::ParseColour(const std::string& text) {
    if (text.empty() || text.size() > 8) return 0;
    uint32_t value = 0;
    for (const char c : text) {
        uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else {
            return 0;
        }
        value = value << 4 | digit;
    }
    return value;
}

}  // namespace qx
