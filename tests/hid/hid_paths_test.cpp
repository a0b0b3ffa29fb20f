#include "hid/hid_paths.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

struct PathCase {
    const char* path;
    uint16_t vendor, product, interfaceNumber, collection;
};

TEST(HidPaths, ReadsTheTokensOfWindowsAndLinuxPaths) {
    const PathCase cases[] = {
        {"\\\\?\\HID#VID_3A5C&PID_7031&MI_01&COL04#7&1a2b3c4d&0&0003#{4d1e55b2-f16f-11cf-88cb}",
         0x3A5C, 0x7031, 1, 4},
        {"\\\\?\\hid#vid_0c76&pid_1630&mi_03#8&2f1&0&0000#{4d1e55b2}", 0x0C76, 0x1630, 3, 0},
        {"\\\\?\\hid#vid_046d&pid_c52b#9&0000", 0x046D, 0xC52B, 0, 0},
        {"/dev/hidraw3#vid_3a5c&pid_7031&mi_01&col03", 0x3A5C, 0x7031, 1, 3},
        {"sim:keyboard:2#vid_3a5c&pid_7031&mi_01&col04", 0x3A5C, 0x7031, 1, 4},
        {"", 0, 0, 0, 0},
        {"no tokens at all", 0, 0, 0, 0},
        {"vid_", 0, 0, 0, 0},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PathVendorId(c.path), c.vendor);
        EXPECT_EQ(PathProductId(c.path), c.product);
        EXPECT_EQ(PathInterfaceNumber(c.path), c.interfaceNumber);
        EXPECT_EQ(PathCollectionNumber(c.path), c.collection);
    }
}

TEST(HidPaths, MadePathsReadBackAndKeepTheirNode) {
    const std::string withCollection = MakeInterfacePath("/dev/hidraw7", 0x3A5C, 0x7031, 1, 4);
    EXPECT_EQ(withCollection, "/dev/hidraw7#vid_3a5c&pid_7031&mi_01&col04");
    EXPECT_EQ(NodePathOf(withCollection), "/dev/hidraw7");
    EXPECT_EQ(PathCollectionNumber(withCollection), 4);

    const std::string single = MakeInterfacePath("sim:headset:1", 0x0C76, 0x1630, 3, 0);
    EXPECT_EQ(single, "sim:headset:1#vid_0c76&pid_1630&mi_03");
    EXPECT_EQ(NodePathOf(single), "sim:headset:1");
    EXPECT_EQ(PathInterfaceNumber(single), 3);
    EXPECT_EQ(PathCollectionNumber(single), 0);
}

}  // namespace
}  // namespace qx
