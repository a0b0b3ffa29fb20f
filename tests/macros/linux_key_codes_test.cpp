#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "macros/key_code_rows.h"
#include "macros/linux_key_codes.h"

namespace qx::macros {
namespace {

TEST(LinuxKeyCodes, EveryScanCodeRowMapsToOneLinuxKeyAndBack) {
    const auto rows = KeyCodeRows();
    std::set<unsigned> seen;
    for (int row = 0; row < kScanCodeRowCount; ++row) {
        const ScanKey scan{rows[row].scanCode, rows[row].extended};
        const auto linuxKey = LinuxKeyFromScanKey(scan);
        ASSERT_TRUE(linuxKey) << "row " << row;
        EXPECT_TRUE(seen.insert(*linuxKey).second) << "row " << row << " shares key " << *linuxKey;
        const auto back = ScanKeyFromLinuxKey(*linuxKey);
        ASSERT_TRUE(back) << "row " << row;
        EXPECT_EQ(back->scanCode, scan.scanCode) << "row " << row;
        EXPECT_EQ(back->extended, scan.extended) << "row " << row;
    }
}

TEST(LinuxKeyCodes, KeysThatShareAScanCodeAreToldApartByTheExtendedFlag) {
    const struct {
        unsigned linuxKey;
        uint8_t scanCode;
        bool extended;
    } cases[] = {
        {KEY_A, 0x1E, false},         {KEY_ESC, 0x01, false},        {KEY_LEFTCTRL, 0x1D, false},
        {KEY_RIGHTCTRL, 0x1D, true},  {KEY_LEFTALT, 0x38, false},    {KEY_RIGHTALT, 0x38, true},
        {KEY_RIGHTSHIFT, 0x36, true}, {KEY_LEFTMETA, 0x5B, true},    {KEY_ENTER, 0x1C, false},
        {KEY_KPENTER, 0x1C, true},    {KEY_KPSLASH, 0x35, true},     {KEY_SLASH, 0x35, false},
        {KEY_SYSRQ, 0x37, true},      {KEY_KPASTERISK, 0x37, false}, {KEY_NUMLOCK, 0x45, true},
        {KEY_PAUSE, 0x45, false},     {KEY_HOME, 0x47, true},        {KEY_KP7, 0x47, false},
        {KEY_DELETE, 0x53, true},     {KEY_KPDOT, 0x53, false},      {KEY_F11, 0x57, false},
        {KEY_102ND, 0x56, false},     {KEY_COMPOSE, 0x5D, true},     {KEY_HANGEUL, 0xF2, false},
    };
    for (const auto& c : cases) {
        const auto scan = ScanKeyFromLinuxKey(c.linuxKey);
        ASSERT_TRUE(scan) << c.linuxKey;
        EXPECT_EQ(scan->scanCode, c.scanCode) << c.linuxKey;
        EXPECT_EQ(scan->extended, c.extended) << c.linuxKey;
        EXPECT_EQ(LinuxKeyFromScanKey({c.scanCode, c.extended}), c.linuxKey);
    }
}

TEST(LinuxKeyCodes, KeysOutsideTheTableHaveNoCode) {
    for (unsigned linuxKey : {0u, unsigned{KEY_F13}, unsigned{KEY_VOLUMEUP}, unsigned{BTN_LEFT},
                              unsigned{KEY_MAX}, 0xFFFFFFFFu}) {
        EXPECT_FALSE(ScanKeyFromLinuxKey(linuxKey)) << linuxKey;
    }
    EXPECT_FALSE(LinuxKeyFromScanKey({0x00, false}));
    EXPECT_FALSE(LinuxKeyFromScanKey({0x1E, true}));  // no extended A
    EXPECT_FALSE(LinuxKeyFromScanKey({0x2A, true}));  // the fake shift of extended sequences
}

}  // namespace
}  // namespace qx::macros
