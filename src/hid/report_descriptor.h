// A HID report-descriptor parser: what the operating system's HID parser tells about a collection
// (capabilities, report ids, report lengths, button and value fields), and unpacking of input
// reports into usages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qx {

enum class HidReportType : uint8_t { Input, Output, Feature };

// One main item (Input, Output or Feature) of a report, as the HID parser sees it.
// A field is a button field when it is an array, or a variable field of 1-bit elements;
// otherwise it is a value field.
struct HidField {
    HidReportType type = HidReportType::Input;
    uint8_t reportId = 0;  // 0 when the collection's reports carry no id
    uint16_t usagePage = 0;
    bool isButton = false;
    bool isArray = false;
    bool isConstant = false;
    bool isRelative = false;
    bool isRange = false;   // usages given as a range (usageMin..usageMax)
    uint16_t usageMin = 0;  // for a range; also the first usage otherwise
    uint16_t usageMax = 0;
    std::vector<uint16_t> usages;  // explicit usages, in order (empty for a range)
    uint32_t bitOffset = 0;        // from the first data bit of the report (after the id byte)
    uint32_t reportSize = 0;       // bits per element
    uint32_t reportCount = 0;      // elements
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    bool hasNull = false;
};

struct HidCollectionInfo {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<uint8_t> reportIds;  // ascending; empty when the collection uses no ids
    // Longest report of each type in bytes, plus one byte for the report id (present or not),
    // 0 when the collection has no report of that type.
    uint16_t inputReportLength = 0;
    uint16_t outputReportLength = 0;
    uint16_t featureReportLength = 0;
    std::vector<HidField> fields;  // every main item of the collection, in descriptor order
};

// The top-level collections of a descriptor, in order (collection number = index + 1).
struct HidReportDescriptor {
    std::vector<HidCollectionInfo> collections;
};

// Parses a descriptor. Nullopt with a reason in error when it is malformed.
std::optional<HidReportDescriptor> ParseReportDescriptor(std::span<const uint8_t> bytes,
                                                         std::string* error = nullptr);

// Reads a descriptor given as binary bytes or as hexadecimal text ("05 01 09 06 …", "0x05,0x01",
// or a run of hex digits).
std::optional<std::vector<uint8_t>> DescriptorBytesFromFile(std::span<const uint8_t> content);

// Reads the unsigned value of element `index` of a field from a report (first byte = report id
// when the collection uses ids). Zero when the report is too short.
uint32_t ExtractFieldBits(const HidField& field, std::span<const uint8_t> report, bool reportHasId,
                          uint32_t index);

}  // namespace qx
