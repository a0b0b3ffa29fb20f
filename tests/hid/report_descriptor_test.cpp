// The report-descriptor parser against descriptors of common devices, hand-made edge cases and
// malformed input.
#include "hid/report_descriptor.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace qx {
namespace {

std::vector<uint8_t> Fixture(const std::string& name) {
    std::ifstream file(std::string(QX580_TEST_DATA_DIR) + "/fixtures/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    const std::vector<uint8_t> content((std::istreambuf_iterator<char>(file)),
                                       std::istreambuf_iterator<char>());
    auto bytes = DescriptorBytesFromFile(content);
    EXPECT_TRUE(bytes.has_value()) << name;
    return bytes.value_or(std::vector<uint8_t>{});
}

HidReportDescriptor Parse(const std::vector<uint8_t>& bytes) {
    std::string error;
    auto parsed = ParseReportDescriptor(bytes, &error);
    EXPECT_TRUE(parsed.has_value()) << error;
    return parsed.value_or(HidReportDescriptor{});
}

std::vector<uint8_t> Hex(const std::string& text) {
    auto bytes = DescriptorBytesFromFile(
        std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    return bytes.value_or(std::vector<uint8_t>{});
}

TEST(ReportDescriptor, KeyboardWithConsumerCollection) {
    const auto d = Parse(Fixture("keyboard_with_consumer.hex"));
    ASSERT_EQ(d.collections.size(), 3u);

    const HidCollectionInfo& keyboard = d.collections[0];
    EXPECT_EQ(keyboard.usagePage, 0x01);
    EXPECT_EQ(keyboard.usage, 0x06);
    EXPECT_EQ(keyboard.reportIds, std::vector<uint8_t>{1});
    EXPECT_EQ(keyboard.inputReportLength, 9);   // id + modifiers + reserved + 6 keys
    EXPECT_EQ(keyboard.outputReportLength, 2);  // id + 5 LED bits + padding
    EXPECT_EQ(keyboard.featureReportLength, 0);
    ASSERT_EQ(keyboard.fields.size(), 5u);
    const HidField& modifiers = keyboard.fields[0];
    EXPECT_TRUE(modifiers.isButton);
    EXPECT_FALSE(modifiers.isArray);
    EXPECT_TRUE(modifiers.isRange);
    EXPECT_EQ(modifiers.usagePage, 0x07);
    EXPECT_EQ(modifiers.usageMin, 0xE0);
    EXPECT_EQ(modifiers.usageMax, 0xE7);
    EXPECT_EQ(modifiers.bitOffset, 0u);
    EXPECT_TRUE(keyboard.fields[1].isConstant);
    const HidField& leds = keyboard.fields[2];
    EXPECT_EQ(leds.type, HidReportType::Output);
    EXPECT_EQ(leds.usagePage, 0x08);
    EXPECT_EQ(leds.bitOffset, 0u);  // output reports count their own bits
    const HidField& keys = keyboard.fields[4];
    EXPECT_TRUE(keys.isArray);
    EXPECT_TRUE(keys.isButton);
    EXPECT_EQ(keys.bitOffset, 16u);
    EXPECT_EQ(keys.reportSize, 8u);
    EXPECT_EQ(keys.reportCount, 6u);
    EXPECT_EQ(keys.logicalMax, 255);  // one-byte 0xFF with a minimum of 0 is unsigned

    const HidCollectionInfo& system = d.collections[1];
    EXPECT_EQ(system.usagePage, 0x01);
    EXPECT_EQ(system.usage, 0x80);
    EXPECT_EQ(system.reportIds, std::vector<uint8_t>{2});
    EXPECT_EQ(system.inputReportLength, 2);

    const HidCollectionInfo& consumer = d.collections[2];
    EXPECT_EQ(consumer.usagePage, 0x0C);
    EXPECT_EQ(consumer.usage, 0x01);
    EXPECT_EQ(consumer.reportIds, std::vector<uint8_t>{3});
    EXPECT_EQ(consumer.inputReportLength, 3);
    EXPECT_EQ(consumer.outputReportLength, 0);
    ASSERT_EQ(consumer.fields.size(), 1u);
    EXPECT_EQ(consumer.fields[0].usageMax, 0x023C);

    // Report id 1: Left Shift held, keys 'a' (0x04) and 'b' (0x05).
    const std::vector<uint8_t> report{0x01, 0x02, 0x00, 0x04, 0x05, 0, 0, 0, 0};
    EXPECT_EQ(ExtractFieldBits(modifiers, report, true, 1), 1u);
    EXPECT_EQ(ExtractFieldBits(modifiers, report, true, 0), 0u);
    EXPECT_EQ(ExtractFieldBits(keys, report, true, 0), 0x04u);
    EXPECT_EQ(ExtractFieldBits(keys, report, true, 1), 0x05u);
    EXPECT_EQ(ExtractFieldBits(keys, report, true, 6), 0u);  // past the field's elements
    const std::vector<uint8_t> shortReport{0x01, 0x02, 0x00, 0x04};
    EXPECT_EQ(ExtractFieldBits(keys, shortReport, true, 1), 0u);  // past the report's end
    // Volume up (0xE9) on the consumer collection, 16 bits little-endian.
    const std::vector<uint8_t> volume{0x03, 0xE9, 0x00};
    EXPECT_EQ(ExtractFieldBits(consumer.fields[0], volume, true, 0), 0xE9u);
}

TEST(ReportDescriptor, MouseWithoutReportIds) {
    const auto d = Parse(Fixture("mouse.hex"));
    ASSERT_EQ(d.collections.size(), 1u);  // the physical collection belongs to the mouse
    const HidCollectionInfo& mouse = d.collections[0];
    EXPECT_EQ(mouse.usagePage, 0x01);
    EXPECT_EQ(mouse.usage, 0x02);
    EXPECT_TRUE(mouse.reportIds.empty());
    EXPECT_EQ(mouse.inputReportLength, 8);  // 5+3 bits, 2x16, 8, 8 -> 7 bytes, + 1
    ASSERT_EQ(mouse.fields.size(), 5u);

    const HidField& buttons = mouse.fields[0];
    EXPECT_TRUE(buttons.isButton);
    EXPECT_EQ(buttons.usagePage, 0x09);
    const HidField& axes = mouse.fields[2];
    EXPECT_FALSE(axes.isButton);
    EXPECT_TRUE(axes.isRelative);
    EXPECT_FALSE(axes.isRange);
    EXPECT_EQ(axes.usages, (std::vector<uint16_t>{0x30, 0x31}));
    EXPECT_EQ(axes.usageMin, 0x30);
    EXPECT_EQ(axes.logicalMin, -32767);
    EXPECT_EQ(axes.logicalMax, 32767);
    EXPECT_EQ(axes.bitOffset, 8u);
    const HidField& wheel = mouse.fields[3];
    EXPECT_EQ(wheel.logicalMin, -127);
    EXPECT_EQ(wheel.logicalMax, 127);
    EXPECT_EQ(wheel.bitOffset, 40u);
    const HidField& pan = mouse.fields[4];
    EXPECT_EQ(pan.usagePage, 0x0C);
    EXPECT_EQ(pan.usages, std::vector<uint16_t>{0x0238});
    EXPECT_EQ(pan.bitOffset, 48u);

    // No id byte: buttons 1 and 3, X = -2 (0xFFFE), Y = 0x0102, wheel -1, pan 1.
    const std::vector<uint8_t> report{0x05, 0xFE, 0xFF, 0x02, 0x01, 0xFF, 0x01};
    EXPECT_EQ(ExtractFieldBits(buttons, report, false, 0), 1u);
    EXPECT_EQ(ExtractFieldBits(buttons, report, false, 1), 0u);
    EXPECT_EQ(ExtractFieldBits(buttons, report, false, 2), 1u);
    EXPECT_EQ(ExtractFieldBits(axes, report, false, 0), 0xFFFEu);
    EXPECT_EQ(ExtractFieldBits(axes, report, false, 1), 0x0102u);
    EXPECT_EQ(ExtractFieldBits(wheel, report, false, 0), 0xFFu);
    EXPECT_EQ(ExtractFieldBits(pan, report, false, 0), 0x01u);
}

TEST(ReportDescriptor, VendorDeviceWithSeveralCollectionsAndReportIds) {
    const auto d = Parse(Fixture("vendor_receiver.hex"));
    ASSERT_EQ(d.collections.size(), 3u);
    struct Expected {
        uint16_t usage;
        std::vector<uint8_t> ids;
        uint16_t input;
        uint16_t output;
    };
    const std::vector<Expected> expected{
        {0x01, {0x10}, 7, 7},
        {0x02, {0x11}, 20, 20},
        {0x04, {0x20, 0x21}, 32, 32},  // the longer of two reports
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const HidCollectionInfo& c = d.collections[i];
        EXPECT_EQ(c.usagePage, 0xFF00);
        EXPECT_EQ(c.usage, expected[i].usage);
        EXPECT_EQ(c.reportIds, expected[i].ids);
        EXPECT_EQ(c.inputReportLength, expected[i].input);
        EXPECT_EQ(c.outputReportLength, expected[i].output);
        EXPECT_EQ(c.featureReportLength, 0);
        for (const HidField& f : c.fields)
            EXPECT_TRUE(f.isButton);  // arrays are button fields, whatever their size
    }
    // Each report id starts its own report: the second report of collection 3 starts at bit 0.
    EXPECT_EQ(d.collections[2].fields[2].reportId, 0x21);
    EXPECT_EQ(d.collections[2].fields[2].bitOffset, 0u);
}

TEST(ReportDescriptor, ItemsThatChangeLayoutWithoutDataFields) {
    struct Case {
        const char* name;
        const char* hex;
        uint16_t usagePage;
        uint16_t usage;
        uint16_t input;
        uint16_t feature;
    };
    const Case cases[] = {
        // Long item before the collection is skipped.
        {"long item", "FE 02 00 AA BB 06 00 FF 09 01 A1 01 75 08 95 04 81 02 C0", 0xFF00, 1, 5, 0},
        // Push keeps size 8 / page FF00; after the 1-bit field, pop brings them back.
        {"push pop",
         "06 00 FF 09 01 A1 01 75 08 95 02 A4 05 09 75 01 95 08 81 02 B4 09 01 81 02 C0", 0xFF00, 1,
         4, 0},
        // A 4-byte usage carries its page: consumer control while the page in force is 1.
        {"extended usage", "05 01 0B 01 00 0C 00 A1 01 75 10 95 01 81 00 C0", 0x0C, 1, 3, 0},
        // Feature reports: the longest of two ids, plus the id byte.
        {"feature", "06 00 FF 09 05 A1 01 85 01 75 08 95 07 B1 02 85 02 95 3F B1 02 C0", 0xFF00, 5,
         0, 64},
        // Reserved item type (prefix 0x0C) and unknown tags are skipped.
        {"reserved items", "0C 05 01 09 06 A1 01 F4 75 08 95 01 81 02 C0", 0x01, 6, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto d = Parse(Hex(c.hex));
        ASSERT_EQ(d.collections.size(), 1u);
        EXPECT_EQ(d.collections[0].usagePage, c.usagePage);
        EXPECT_EQ(d.collections[0].usage, c.usage);
        EXPECT_EQ(d.collections[0].inputReportLength, c.input);
        EXPECT_EQ(d.collections[0].featureReportLength, c.feature);
    }
    const auto pushPop = Parse(Hex(cases[1].hex));
    ASSERT_EQ(pushPop.collections[0].fields.size(), 2u);
    EXPECT_TRUE(pushPop.collections[0].fields[0].isButton);
    EXPECT_EQ(pushPop.collections[0].fields[0].usagePage, 0x09);
    EXPECT_FALSE(pushPop.collections[0].fields[1].isButton);
    EXPECT_EQ(pushPop.collections[0].fields[1].usagePage, 0xFF00);
    EXPECT_EQ(pushPop.collections[0].fields[1].bitOffset, 8u);
}

TEST(ReportDescriptor, MalformedInputIsAnErrorWithAReason) {
    std::string deepNesting;
    for (int i = 0; i < 40; ++i) deepNesting += "A1 00 ";
    std::string deepPush = "05 01 09 06 A1 01 ";
    for (int i = 0; i < 20; ++i) deepPush += "A4 ";
    std::string manyUsages = "05 01 09 06 A1 01 ";
    for (int i = 0; i < 5000; ++i) manyUsages += "09 01 ";
    manyUsages += "75 08 95 01 81 02 C0";
    struct Case {
        std::string name;
        std::string hex;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"truncated one-byte item", "05", "truncated item at offset 0"},
        {"truncated two-byte item", "05 01 06 00", "truncated item at offset 2"},
        {"truncated four-byte item", "05 01 27 FF FF", "truncated item at offset 2"},
        {"truncated long item header", "FE 05", "truncated long item at offset 0"},
        {"truncated long item data", "FE 05 00 01 02", "truncated long item at offset 0"},
        {"end without collection", "C0", "end of collection without collection at offset 0"},
        {"unclosed collection", "05 01 09 02 A1 01 A1 00 C0", "collection not closed at offset 9"},
        {"field outside collection", "75 08 95 01 81 02",
         "report item outside of any collection at offset 4"},
        {"pop without push", "05 01 B4", "pop without push at offset 2"},
        {"report id 0", "05 01 09 06 A1 01 85 00 C0", "invalid report id at offset 6"},
        {"report id above 255", "05 01 09 06 A1 01 86 00 01 C0", "invalid report id at offset 6"},
        {"report too long", "05 01 09 06 A1 01 77 FF FF 00 00 97 FF FF 00 00 81 02 C0",
         "report too long at offset 16"},
        {"elements of no size without end", "05 01 09 06 A1 01 75 00 97 FF FF FF FF 81 02 C0",
         "report count too large at offset 13"},
        {"no collection", "05 01 09 06", "no top-level collection"},
        {"collections nested too deep", deepNesting, "collections nested too deep"},
        {"global stack too deep", deepPush, "global item stack too deep"},
        {"too many usages", manyUsages, "too many usages"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(Hex(c.hex), &error).has_value());
        EXPECT_EQ(error.rfind(c.reason, 0), 0u) << error;
    }
    std::string error;
    EXPECT_FALSE(ParseReportDescriptor({}, &error).has_value());
    EXPECT_EQ(error, "empty report descriptor");
}

// Every prefix of the fixtures and a few thousand random mutations: the parser answers (a
// descriptor or an error) and never reads outside its input or reports impossible lengths.
TEST(ReportDescriptor, TruncatedAndMutatedDescriptorsNeverMisbehave) {
    std::mt19937 random(580);
    for (const char* name : {"keyboard_with_consumer.hex", "mouse.hex", "vendor_receiver.hex"}) {
        const std::vector<uint8_t> original = Fixture(name);
        for (size_t length = 0; length < original.size(); ++length) {
            const std::vector<uint8_t> prefix(original.begin(), original.begin() + length);
            std::string error;
            const auto parsed = ParseReportDescriptor(prefix, &error);
            if (!parsed) {
                EXPECT_FALSE(error.empty());
            }
        }
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint8_t> mutated = original;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) {
                mutated[random() % mutated.size()] = static_cast<uint8_t>(random());
            }
            std::string error;
            const auto parsed = ParseReportDescriptor(mutated, &error);
            if (!parsed) {
                EXPECT_FALSE(error.empty());
                continue;
            }
            for (const HidCollectionInfo& c : parsed->collections) {
                for (const HidField& f : c.fields) {
                    const uint16_t length = f.type == HidReportType::Input ? c.inputReportLength
                                            : f.type == HidReportType::Output
                                                ? c.outputReportLength
                                                : c.featureReportLength;
                    EXPECT_LE(
                        (uint64_t{f.bitOffset} + uint64_t{f.reportSize} * f.reportCount + 7) / 8 +
                            1,
                        length);
                }
            }
        }
    }
}

TEST(ReportDescriptor, DescriptorFileFormats) {
    const std::vector<uint8_t> expected{0x05, 0x01, 0x09, 0x06};
    struct Case {
        const char* name;
        std::string content;
        bool ok;
    };
    const std::vector<Case> cases{
        {"spaced pairs", "05 01 09 06\n", true},
        {"C array", "0x05, 0x01,\r\n0x09,0x06", true},
        {"one run", "05010906", true},
        {"comments", "# usage page\n05 01 // generic desktop\n09 06 # keyboard\n", true},
        {"short prefixed", "0x5 0x1 0x9 0x6", true},
        {"binary", std::string("\x05\x01\x09\x06", 4), true},
        {"bad digit", "05 0G", false},
        {"odd run", "050 1", false},
        {"long prefixed", "0x0501 09 06", false},
        {"bare prefix", "0x 05", false},
        {"only a comment", "# nothing here\n", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = DescriptorBytesFromFile(
            std::span(reinterpret_cast<const uint8_t*>(c.content.data()), c.content.size()));
        ASSERT_EQ(bytes.has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(*bytes, expected);
        }
    }
}

}  // namespace
}  // namespace qx
