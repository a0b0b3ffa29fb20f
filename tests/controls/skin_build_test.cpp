#include <QLineEdit>
#include <memory>

#include <gtest/gtest.h>

#include "control_test_support.h"
#include "controls/chart_view.h"
#include "controls/circle_progress.h"
#include "controls/combo_edit_container_element.h"
#include "controls/device_key_button.h"
#include "controls/register_controls.h"
#include "controls/select_panel.h"
#include "ui/color_palette.h"
#include "ui/control_factory.h"
#include "ui/skin_loader.h"

namespace qx::controls {
namespace {

const QString kFixtures = QStringLiteral(QX580_TEST_DATA_DIR "/fixtures/");

TEST(RegisterCustomControls, EveryXmlClassNameMakesItsControl) {
    RegisterCustomControls();
    const auto& factory = ui::ControlFactory::GetInstance();
    for (const char* name :
         {"DeviceKeyButton", "SelectPanel", "CircleProgress", "HandImgButton",
          "HandImgSelectButton", "RedioMacroButton", "Wnd", "CChartViewUI", "CloudShareListItemUI",
          "ComboEditContainerElement", "ColorPalette", "AudioRecord", "devicekeybutton"}) {
        std::unique_ptr<QWidget> control(factory.CreateControl(name, nullptr));
        EXPECT_NE(control, nullptr) << name;
    }
    EXPECT_EQ(factory.CreateControl("NoSuchControl", nullptr), nullptr);
}

TEST(RegisterCustomControls, ASkinBuildsTheControlsWithTheirAttributes) {
    RegisterCustomControls();
    test::Harness h;
    ui::SkinLoader loader;
    QWidget* root = loader.Build(kFixtures + "device_picture.ui", h.window.get());
    ASSERT_NE(root, nullptr) << loader.LastError().toStdString();
    ui::PaintManager& manager = *h.manager;

    auto* panel = manager.Find<CSelectPanelUI>("device_key_light");
    ASSERT_NE(panel, nullptr);
    auto* key =
        qobject_cast<CDeviceKeyButtonUI*>(ui::PaintManager::FindSubControlByName(panel, "key_5"));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->LightImage(), "file='keyboard/light.png' source='0,0,30,30'");
    EXPECT_EQ(key->GmNameTextColor(), "#FFFFFF");
    EXPECT_EQ(key->geometry(), QRect(10, 10, 30, 30));
    EXPECT_NE(manager.Find<CDeviceKeyButtonUI>("light_5"), nullptr);
    ASSERT_NE(manager.Find<CCircleProgressUI>("power_ring"), nullptr);
    EXPECT_EQ(manager.Find<CCircleProgressUI>("power_ring")->value(), 37);
    EXPECT_NE(manager.Find<ui::CColorPaletteUI>("deng_Color_Pallet"), nullptr);
    EXPECT_NE(manager.Find<CChartViewUI>("chart"), nullptr);
    EXPECT_NE(manager.Find<CComboEditContainerElementUI>("macro_row"), nullptr);
    EXPECT_EQ(manager.FindControl("key_6"), nullptr);  // a name the skin lacks

    // A rubber band over the built picture reaches the window's receivers by name.
    h.manager->AttachControls(root);
    test::Drag(panel, QPoint(0, 0), QPoint(50, 50));
    EXPECT_TRUE(key->IsSelected());
    EXPECT_FALSE(manager.Find<CDeviceKeyButtonUI>("light_5")->IsSelected());
    EXPECT_EQ(h.Of("click_select_end").size(), 1u);
}

}  // namespace
}  // namespace qx::controls
