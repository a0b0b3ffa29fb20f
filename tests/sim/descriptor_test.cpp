// The hand-written descriptors, walked item by item: well-formed short items, balanced
// collections, and the top-level collections, report ids and report lengths the host relies on.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "sim/sim_descriptors.h"

namespace qx::sim {
namespace {

struct TopCollection {
    uint32_t usagePage = 0;
    uint32_t usage = 0;
    std::set<uint32_t> reportIds;
    // bits per (main item tag, report id)
    std::map<std::pair<int, uint32_t>, uint32_t> bits;
};

struct Walk {
    bool ok = true;
    std::vector<TopCollection> collections;
    std::map<std::pair<int, uint32_t>, uint32_t> bitsOutside;  // must stay empty
};

constexpr int kInput = 0x8;
constexpr int kOutput = 0x9;
constexpr int kFeature = 0xB;

Walk WalkDescriptor(const std::vector<uint8_t>& d) {
    Walk w;
    uint32_t usagePage = 0, reportId = 0, reportSize = 0, reportCount = 0;
    std::vector<uint32_t> usages;
    int depth = 0;
    size_t i = 0;
    while (i < d.size()) {
        const uint8_t prefix = d[i];
        if (prefix == 0xFE) return w.ok = false, w;  // long items are not used
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > d.size()) return w.ok = false, w;
        uint32_t value = 0;
        for (size_t b = 0; b < size; ++b) value |= uint32_t{d[i + 1 + b]} << (8 * b);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        i += 1 + size;
        if (type == 1) {  // global
            if (tag == 0) usagePage = value;
            if (tag == 7) reportSize = value;
            if (tag == 8) {
                reportId = value;
                if (value == 0 || value > 255) w.ok = false;
                if (depth > 0 && !w.collections.empty())
                    w.collections.back().reportIds.insert(value);
            }
            if (tag == 9) reportCount = value;
        } else if (type == 2) {  // local
            if (tag == 0) usages.push_back(size == 4 ? value : (usagePage << 16) | value);
        } else if (type == 0) {  // main
            if (tag == 0xA) {    // collection
                if (depth == 0) {
                    TopCollection c;
                    const uint32_t u = usages.empty() ? 0 : usages.front();
                    c.usagePage = u >> 16;
                    c.usage = u & 0xFFFF;
                    w.collections.push_back(c);
                }
                ++depth;
            } else if (tag == 0xC) {
                if (--depth < 0) w.ok = false;
            } else if (tag == kInput || tag == kOutput || tag == kFeature) {
                if (depth == 0) {
                    w.bitsOutside[{tag, reportId}] += reportSize * reportCount;
                } else {
                    w.collections.back().bits[{tag, reportId}] += reportSize * reportCount;
                }
            }
            usages.clear();
        }
    }
    if (depth != 0) w.ok = false;
    return w;
}

TEST(SimDescriptors, VendorInterfacesHoldNotificationThenCommandAtPositionsThreeAndFour) {
    for (const auto& descriptor :
         {KeyboardVendorInterfaceDescriptor(), MouseVendorInterfaceDescriptor(),
          PadVendorInterfaceDescriptor()}) {
        const Walk w = WalkDescriptor(descriptor);
        ASSERT_TRUE(w.ok);
        EXPECT_TRUE(w.bitsOutside.empty());
        ASSERT_EQ(w.collections.size(), 4u);
        for (size_t c = 0; c < 4; ++c) {
            EXPECT_EQ(w.collections[c].reportIds, std::set<uint32_t>{uint32_t(c + 1)}) << c;
        }
        const TopCollection& notification = w.collections[2];
        EXPECT_EQ(notification.usagePage, 0x000Cu);
        EXPECT_EQ(notification.usage, 0x01u);
        EXPECT_EQ((notification.bits.at({kInput, 3})), 16u);
        const TopCollection& command = w.collections[3];
        EXPECT_EQ(command.usagePage, 0xFF1Cu);
        EXPECT_EQ(command.usage, 0x92u);
        EXPECT_EQ((command.bits.at({kInput, 4})), 63u * 8);
        EXPECT_EQ((command.bits.at({kOutput, 4})), 63u * 8);
    }
    const Walk keyboard = WalkDescriptor(KeyboardVendorInterfaceDescriptor());
    EXPECT_EQ(keyboard.collections[0].usagePage, 0x01u);
    EXPECT_EQ(keyboard.collections[0].usage, 0x80u);
    EXPECT_EQ(keyboard.collections[1].usage, 0x06u);
}

TEST(SimDescriptors, HeadsetIsOneConsumerCollectionWithThreeReports) {
    const Walk w = WalkDescriptor(HeadsetDescriptor());
    ASSERT_TRUE(w.ok);
    ASSERT_EQ(w.collections.size(), 1u);
    const TopCollection& c = w.collections[0];
    EXPECT_EQ(c.usagePage, 0x000Cu);
    EXPECT_EQ(c.usage, 0x01u);
    EXPECT_EQ(c.reportIds, (std::set<uint32_t>{0x01, 0x04, 0xFF}));
    EXPECT_EQ((c.bits.at({kInput, 0x01})), 16u);
    EXPECT_EQ((c.bits.at({kInput, 0x04})), 63u * 8);
    EXPECT_EQ((c.bits.at({kOutput, 0x04})), 63u * 8);
    EXPECT_EQ((c.bits.at({kOutput, 0xFF})), 16u * 8);  // 17 bytes with the id
}

TEST(SimDescriptors, BootInterfacesUseNoReportIds) {
    const Walk keyboard = WalkDescriptor(BootKeyboardDescriptor());
    ASSERT_TRUE(keyboard.ok);
    ASSERT_EQ(keyboard.collections.size(), 1u);
    EXPECT_TRUE(keyboard.collections[0].reportIds.empty());
    EXPECT_EQ((keyboard.collections[0].bits.at({kInput, 0})), 64u);
    EXPECT_EQ((keyboard.collections[0].bits.at({kOutput, 0})), 8u);

    const Walk mouse = WalkDescriptor(BootMouseDescriptor());
    ASSERT_TRUE(mouse.ok);
    ASSERT_EQ(mouse.collections.size(), 1u);
    EXPECT_EQ(mouse.collections[0].usage, 0x02u);
    EXPECT_EQ((mouse.collections[0].bits.at({kInput, 0})), 32u);
}

}  // namespace
}  // namespace qx::sim
