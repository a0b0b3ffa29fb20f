#include "settings/update_catalogue.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace qx {

const std::vector<UpdateTarget>& UpdateCatalogue() {
    static const std::vector<UpdateTarget> catalogue = {
        {1, 1, 0, "ORBEK", "TR22M40B", "MS", "MS", ""},
        {1, 1, 0, "ORBEK", "TR22M40B", "KB", "KB", ""},
        {2, 1, 0, "ORBEK", "TR22M40B_1", "Q38", "Q38", ""},
        {0, 1, 0, "ORBEK", "ALL", "KB", "AP", "V1.0.0.0"},
    };
    return catalogue;
}

std::vector<UpdateTarget> TargetsToCheck(std::span<const std::int32_t> firmwareByListPosition,
                                         std::int32_t installedVersion) {
    std::vector<UpdateTarget> rows = UpdateCatalogue();
    const std::size_t deviceRows = rows.size() - 1;
    for (std::size_t k = 0; k < deviceRows; ++k) {
        rows[k].currentVersion = k < firmwareByListPosition.size() ? firmwareByListPosition[k] : 0;
    }
    rows.back().currentVersion = installedVersion;
    std::erase_if(rows, [](const UpdateTarget& row) { return row.currentVersion == 0; });
    return rows;
}

std::int32_t InstalledVersionFromText(std::string_view versionText) {
    std::string digits;
    std::copy_if(versionText.begin(), versionText.end(), std::back_inserter(digits),
                 [](char c) { return c != '.'; });
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)end;
    if (error != std::errc() || value < 0 || value > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t GetInstalledVersion() { return InstalledVersionFromText(QX580_VERSION_TEXT); }

std::string BuildAppKey(const UpdateTarget& target) {
    if (target.currentVersion == 0) return "NULL";
    return target.vendorCode + "_" + std::to_string(target.versionKind) + "_" + target.modelCode +
           "_" + target.typeCode + "_" + std::to_string(target.keyNumber);
}

}  // namespace qx
