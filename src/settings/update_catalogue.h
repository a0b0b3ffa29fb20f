// The fixed list of things the update service is asked about: three device firmwares and the
// program itself, and how their questions are keyed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

struct UpdateTarget {
    std::int32_t versionKind = 0;  // non-zero: device firmware (hexadecimal versions); 0: program
    std::int32_t keyNumber = 0;    // last number of the app key
    std::int32_t currentVersion = 0;  // filled at run time; 0: the target is not present
    std::string vendorCode;
    std::string modelCode;  // "ALL" marks the program's row
    std::string typeCode;
    std::string displayName;
    std::string versionText;  // shown for the program's row before a reply is known

    bool IsFirmware() const { return versionKind != 0; }
    bool IsProgram() const { return modelCode == "ALL"; }
};

// The four rows, in order: the devices at positions 1, 2, 3 of the device list, then the program.
const std::vector<UpdateTarget>& UpdateCatalogue();

// The rows to check when the settings window opens: row k takes the firmware version of the
// device at list position k (0 when none is there; entries beyond the catalogue's device rows
// are ignored), the program row takes installedVersion, and rows left at 0 are dropped.
std::vector<UpdateTarget> TargetsToCheck(std::span<const std::int32_t> firmwareByListPosition,
                                         std::int32_t installedVersion);

// The program's version as an integer: its version text with every "." removed, read as a
// decimal number ("1.0.3" gives 103; text without leading digits gives 0).
std::int32_t InstalledVersionFromText(std::string_view versionText);
std::int32_t GetInstalledVersion();  // of this build

// "VENDOR_kind_MODEL_TYPE_number", or "NULL" when the target's current version is 0.
std::string BuildAppKey(const UpdateTarget& target);

}  // namespace qx
