#include "controls/device_key_button.h"

#include <QPainter>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "control_test_support.h"

namespace qx::controls {
namespace {

using test::Harness;
using test::Mouse;
using test::Seen;

TEST(DeviceKeyButton, StartsUnlitUnselectedWithBothMarksHidden) {
    CDeviceKeyButtonUI key;
    EXPECT_EQ(key.LightColour(), 255u);
    EXPECT_EQ(key.LightLevel(), 200);
    EXPECT_EQ(key.LightFlag(), 0);
    EXPECT_FALSE(key.IsSelected());
    EXPECT_TRUE(key.KeySetHidden());
    EXPECT_TRUE(key.KeyUnsetHidden());
}

TEST(DeviceKeyButton, SetKeyLightPaintsThePackedColourOnlyWhileTheFlagIsSet) {
    // Packed red | blue << 8 | green << 16: this is pure green.
    EXPECT_EQ(CDeviceKeyButtonUI::UnpackColour(0x00FF0000u), QColor(0, 255, 0));
    EXPECT_EQ(CDeviceKeyButtonUI::UnpackColour(0x0000FF00u), QColor(0, 0, 255));

    CDeviceKeyButtonUI key;
    key.resize(40, 40);
    key.SetKeyLight(0x00FF0000u, 255, 0);
    QColor centre = test::Render(&key).pixelColor(20, 20);
    EXPECT_LT(centre.green() - centre.red(), 50) << "unlit key shows no colour";

    key.SetKeyLight(0x00FF0000u, 255, 1);
    centre = test::Render(&key).pixelColor(20, 20);
    EXPECT_EQ(centre, QColor(0, 255, 0));
    EXPECT_EQ(key.LightColour(), 0x00FF0000u);

    key.SetKeyLight(0x00FF0000u, 0, 1);  // level 0: the light is invisible
    centre = test::Render(&key).pixelColor(20, 20);
    EXPECT_LT(centre.green() - centre.red(), 50);
}

TEST(DeviceKeyButton, TheLightPictureIsTintedAndTheMarksShowOnlyWhenNotHidden) {
    QTemporaryDir dir;
    // A round light: opaque disc in a transparent square.
    QImage light(40, 40, QImage::Format_ARGB32);
    light.fill(Qt::transparent);
    {
        QPainter p(&light);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRect(5, 5, 30, 30));
    }
    light.save(dir.filePath("light.png"));
    QImage mark(40, 40, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    for (int x = 0; x < 40; ++x) mark.setPixelColor(x, 38, Qt::yellow);
    mark.save(dir.filePath("mark.png"));

    CDeviceKeyButtonUI key;
    key.resize(40, 40);
    key.SetLightImage(dir.filePath("light.png"));
    key.SetKeySetImage(dir.filePath("mark.png"));
    key.SetKeyLight(0x0000FF00u, 255, 1);  // blue
    QImage shown = test::Render(&key);
    EXPECT_EQ(shown.pixelColor(20, 20), QColor(0, 0, 255));
    EXPECT_NE(shown.pixelColor(1, 1), QColor(0, 0, 255));  // outside the shape stays unlit
    EXPECT_NE(shown.pixelColor(20, 38), QColor(Qt::yellow));
    key.SetKeyLight(0x000000FFu, 255, 1);  // red: the tint follows the colour
    key.SetKeySetHidden(false);
    shown = test::Render(&key);
    EXPECT_EQ(shown.pixelColor(20, 20), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(20, 38), QColor(Qt::yellow));
}

// The face is kept between paints: a frame of the lights reuses it, and anything the face shows
// (text, state, font) has it drawn again.
TEST(DeviceKeyButton, TheFaceIsDrawnAgainOnlyWhenWhatItShowsChanges) {
    CDeviceKeyButtonUI key;
    key.resize(40, 40);
    key.setText(QStringLiteral("A"));
    ASSERT_NE(key.Face(), nullptr);
    int renders = key.FaceRenders();
    key.SetKeyLight(0x0000FF00u, 255, 1);
    (void)key.Face();
    EXPECT_EQ(key.FaceRenders(), renders) << "a light change drew the face again";

    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"text", [&] { key.setText(QStringLiteral("B")); }},
        {"disabled", [&] { key.setEnabled(false); }},
        {"hovered", [&] { key.setAttribute(Qt::WA_UnderMouse, true); }},
        {"pressed", [&] { key.setDown(true); }},
        {"font", [&] { key.setFont(QFont(key.font().family(), 30)); }},
        {"size", [&] { key.resize(50, 40); }},
    };
    for (const Change& change : changes) {
        change.apply();
        (void)key.Face();
        EXPECT_EQ(key.FaceRenders(), renders + 1) << change.what;
        renders = key.FaceRenders();
    }
}

// Over a picture's LED widget the key leaves its face to that widget, except while hovered or
// pressed, when it draws the face itself; its light is its own either way.
TEST(DeviceKeyButton, AFaceDrawnBelowIsLeftOutUnlessHoveredOrPressed) {
    CDeviceKeyButtonUI key;
    key.resize(40, 40);
    key.setText(QStringLiteral("W"));
    const QImage own = test::Render(&key);
    key.SetFaceDrawnBelow(true);
    EXPECT_TRUE(key.FaceDrawnBelow());
    EXPECT_NE(test::Render(&key), own) << "the face was drawn twice";
    key.setAttribute(Qt::WA_UnderMouse, true);
    EXPECT_FALSE(key.FaceDrawnBelow());
    key.setAttribute(Qt::WA_UnderMouse, false);
    key.setDown(true);
    EXPECT_FALSE(key.FaceDrawnBelow());
    key.setDown(false);
    key.SetFaceDrawnBelow(false);
    EXPECT_EQ(test::Render(&key), own);
}

TEST(DeviceKeyButton, DoubleClickSendsDbclickOnlyWhenEnabled) {
    Harness h;
    auto* key = h.Add<CDeviceKeyButtonUI>("key_5", QRect(10, 10, 30, 30));
    h.manager->AttachControls(h.window.get());
    Mouse(key, QEvent::MouseButtonDblClick, QPoint(15, 15));
    EXPECT_EQ(h.Of("dbclick"), (std::vector<Seen>{{"dbclick", "key_5", 0, 0}}));
    EXPECT_TRUE(key->isDown());
    Mouse(key, QEvent::MouseButtonRelease, QPoint(15, 15));
    EXPECT_FALSE(key->isDown());

    key->setEnabled(false);
    Mouse(key, QEvent::MouseButtonDblClick, QPoint(15, 15));
    EXPECT_EQ(h.Of("dbclick").size(), 1u);
}

}  // namespace
}  // namespace qx::controls
