#include "macros/macro_upload.h"

#include "core/json_file.h"
#include "core/json_value.h"
#include "macros/macro_image.h"
#include "macros/macro_store.h"
#include "macros/recoil_store.h"

namespace qx {
namespace {

MacroRecord RecordOf(const Json::Value& events) {
    MacroRecord record;
    for (Json::ArrayIndex i = 0; i < json::ArraySize(events); ++i) {
        record.push_back(EncodeMacroEvent(events[i]));
    }
    return record;
}

}  // namespace

MacroUploadPlan PrepareMacroUpload(const std::filesystem::path& deviceFolder,
                                   const std::vector<int>& macroNumbers, size_t capacity) {
    const MacroStore store(deviceFolder);
    const std::vector<MacroInfo> macros = store.ReadMacroList();
    if (macros.empty() || macroNumbers.empty()) return {};
    std::vector<MacroRecord> records;
    for (const int number : macroNumbers) {
        if (number < 0 || number >= static_cast<int>(macros.size())) {
            records.emplace_back();
        } else {
            records.push_back(RecordOf(store.LoadMacro(macros[number].guid)));
        }
    }
    const size_t total = MacroImageLength(records);
    if (const int oversize = OversizeResult(total, capacity); oversize > 0) return {oversize, {}};
    std::optional<std::vector<uint8_t>> image = BuildMacroImage(records);
    if (!image) return {-1, {}};
    return {0, std::move(*image)};
}

std::vector<uint8_t> BuildRecoilImage(const std::filesystem::path& deviceFolder) {
    std::vector<MacroRecord> records;
    for (int gun = 0; gun < RecoilStore::kGunCount; ++gun) {
        const Json::Value document = ReadJsonFile(deviceFolder / RecoilStore::GunFileName(gun));
        records.push_back(RecordOf(json::Get(document, "Events")));
    }
    return BuildMacroImage(records).value_or(std::vector<uint8_t>{});
}

}  // namespace qx
