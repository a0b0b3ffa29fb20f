#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "macros/key_code_rows.h"
#include "macros/mouse_event_rows.h"

namespace qx {
namespace {

TEST(KeyCodeRows, RowsOfTheTable) {
    const auto rows = KeyCodeRows();
    ASSERT_EQ(rows.size(), 142u);
    const struct {
        int row;
        uint8_t category, first, second;
        const char* name;
    } cases[] = {
        {0, 0x20, 1, 0, "keyboard_key_LCtrl"},
        {7, 0x20, 128, 0, "keyboard_key_RWin"},
        {8, 0x20, 0, 0x04, "keyboard_key_A"},
        {33, 0x20, 0, 0x1D, "keyboard_key_Z"},
        {43, 0x20, 0, 0x27, "keyboard_key_0"},
        {53, 0x20, 0, 0x31, "keyboard_key_xiegang"},
        {104, 0x20, 0, 0x64, "keyboard_key_K45"},
        {113, 0x20, 0, 0x32, "keyboard_key_K42"},
        {114, 0x30, 0x92, 0x01, "keyboard_key_Launch App2"},
        {130, 0x30, 0x26, 0x02, "wed_stop"},
        {134, 0x40, 4, 0, "keyboard_key_Wakeup"},
        {139, 0xD0, 0xA2, 5, "keyboard_key_M5"},
        {141, 0xA0, 27, 0, "keyboard_key_GM"},
    };
    for (const auto& c : cases) {
        const KeyCodeRow& r = rows[c.row];
        EXPECT_EQ(r.category, c.category) << c.row;
        EXPECT_EQ(r.first, c.first) << c.row;
        EXPECT_EQ(r.second, c.second) << c.row;
        EXPECT_EQ(r.nameKey, c.name) << c.row;
    }
    EXPECT_EQ(FindUsageRow(0x04), 8);
    EXPECT_EQ(FindUsageRow(0x32), 113);
    EXPECT_EQ(FindModifierRow(16), 4);
    EXPECT_FALSE(FindModifierRow(3));
    EXPECT_FALSE(FindUsageRow(0xFF));
}

TEST(KeyCodeRows, ScanCodePairsAreUniqueAndExtendedWhereCaptureReportsIt) {
    const std::set<int> extended{3,  4,  5,  6,  7,  73, 76, 77, 78, 79,
                                 80, 81, 82, 83, 84, 85, 86, 87, 91, 103};
    std::set<std::pair<int, bool>> pairs;
    const auto rows = KeyCodeRows();
    for (int row = 0; row < kScanCodeRowCount; ++row) {
        EXPECT_EQ(rows[row].extended, extended.count(row) == 1) << row;
        EXPECT_NE(rows[row].scanCode, 0) << row;
        EXPECT_TRUE(pairs.insert({rows[row].scanCode, rows[row].extended}).second) << row;
        EXPECT_EQ(FindScanCodeRow(rows[row].scanCode, rows[row].extended), row);
    }
    EXPECT_EQ(FindScanCodeRow(0x1E, false), 8);   // A
    EXPECT_EQ(FindScanCodeRow(0x1C, true), 91);   // Num Enter
    EXPECT_EQ(FindScanCodeRow(0x1C, false), 44);  // Enter
    EXPECT_EQ(FindScanCodeRow(0x45, true), 86);   // Num Lock
    EXPECT_EQ(FindScanCodeRow(0x45, false), 75);  // Pause
}

TEST(MouseEventRows, ButtonsAndMoves) {
    ASSERT_EQ(MouseEventRows().size(), 15u);
    EXPECT_EQ(FindMouseButtonRow(1, true), 0);
    EXPECT_EQ(FindMouseButtonRow(16, false), 7);
    EXPECT_EQ(FindMouseButtonRow(8, true), 8);
    EXPECT_EQ(FindMouseMoveRow(4 | 128), 10);
    EXPECT_EQ(FindMouseMoveRow(5), 13);
    EXPECT_FALSE(FindMouseButtonRow(32, true));
    EXPECT_EQ(MouseEventRows()[14].message, 522);
}

}  // namespace
}  // namespace qx
