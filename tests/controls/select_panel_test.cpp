#include "controls/select_panel.h"

#include <gtest/gtest.h>

#include "control_test_support.h"
#include "controls/device_key_button.h"

namespace qx::controls {
namespace {

using test::Harness;

struct BandCase {
    const char* name;
    QPoint from, to;
    std::vector<bool> selected;  // light_0, light_1, light_2 afterwards
};
void PrintTo(const BandCase& c, std::ostream* out) { *out << c.name; }

class SelectPanelTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(SelectPanelTest, ReleaseSetsEachKeysFlagByTheBandAndAlwaysNotifies) {
    const BandCase& c = GetParam();
    Harness h;
    auto* panel = h.Add<CSelectPanelUI>("mouse_device_key_light", QRect(0, 0, 400, 300));
    std::vector<CDeviceKeyButtonUI*> keys;
    const QRect places[] = {{20, 20, 30, 30}, {100, 20, 30, 30}, {20, 200, 30, 30}};
    for (int i = 0; i < 3; ++i) {
        auto* key = new CDeviceKeyButtonUI(panel);
        key->setObjectName(QString("light_%1").arg(i));
        key->setGeometry(places[i]);
        key->SetSelected(true);  // left over from an earlier band
        keys.push_back(key);
    }
    test::Drag(panel, c.from, c.to);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(keys[i]->IsSelected(), c.selected[i]) << "light_" << i;
    EXPECT_EQ(h.Of("click_select_end"),
              (std::vector<test::Seen>{{"click_select_end", "mouse_device_key_light", 0, 0}}));
    EXPECT_FALSE(panel->IsArmed());
    EXPECT_FALSE(panel->IsDragging());
}

INSTANTIATE_TEST_SUITE_P(
    Bands, SelectPanelTest,
    ::testing::Values(BandCase{"touches_nothing", {300, 150}, {380, 280}, {false, false, false}},
                      BandCase{"corner_of_first", {5, 5}, {25, 25}, {true, false, false}},
                      BandCase{"upward_over_two", {140, 60}, {10, 10}, {true, true, false}},
                      BandCase{"everything", {390, 290}, {0, 0}, {true, true, true}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SelectPanel, AClickWithoutDraggingChangesNothingAndSaysNothing) {
    Harness h;
    auto* panel = h.Add<CSelectPanelUI>("device_key_light", QRect(0, 0, 200, 200));
    auto* key = new CDeviceKeyButtonUI(panel);
    key->setGeometry(10, 10, 20, 20);
    key->SetSelected(true);
    test::Mouse(panel, QEvent::MouseButtonPress, QPoint(100, 100));
    test::Mouse(panel, QEvent::MouseButtonRelease, QPoint(100, 100));
    EXPECT_TRUE(key->IsSelected());
    EXPECT_TRUE(h.Of("click_select_end").empty());

    panel->setEnabled(false);  // a disabled panel never arms
    test::Drag(panel, QPoint(0, 0), QPoint(50, 50));
    EXPECT_TRUE(h.Of("click_select_end").empty());
}

}  // namespace
}  // namespace qx::controls
