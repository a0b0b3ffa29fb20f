#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "control_test_support.h"
#include "controls/hand_img_button.h"
#include "controls/hand_img_select_button.h"

namespace qx::controls {
namespace {

using test::Harness;
using test::Mouse;

QString MakePicture(const QTemporaryDir& dir, const QString& name, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::darkGreen);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

TEST(HandImgSelectButton, APictureNoLargerThanTheButtonIsShownWholeAndNeverPans) {
    QTemporaryDir dir;
    CHandImgSelectButtonUI button;
    button.resize(100, 80);
    button.SetHandImage(MakePicture(dir, "small.png", QSize(100, 50)));
    EXPECT_FALSE(button.IsPannable());
    test::Drag(&button, QPoint(50, 40), QPoint(10, 5));
    EXPECT_EQ(button.SourceOffset(), QPoint(0, 0));
}

TEST(HandImgSelectButton, DraggingPansAgainstTheMouseWithinThePicture) {
    QTemporaryDir dir;
    CHandImgSelectButtonUI button;
    button.resize(100, 80);
    button.SetHandImage(MakePicture(dir, "large.png", QSize(300, 200)));
    ASSERT_TRUE(button.IsPannable());
    test::Drag(&button, QPoint(60, 40), QPoint(20, 30));
    EXPECT_EQ(button.SourceOffset(), QPoint(40, 10));
    test::Drag(&button, QPoint(0, 0), QPoint(-500, -500));  // far beyond the picture's end
    EXPECT_EQ(button.SourceOffset(), QPoint(200, 120));
    test::Drag(&button, QPoint(0, 0), QPoint(900, 900));  // and back past its start
    EXPECT_EQ(button.SourceOffset(), QPoint(0, 0));
    Mouse(&button, QEvent::MouseMove, QPoint(50, 50));  // moving without a press pans nothing
    EXPECT_EQ(button.SourceOffset(), QPoint(0, 0));

    button.SetCursorName("hand");
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    button.SetCursorName("no_such_cursor");
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
}

TEST(HandImgButton, LockedBadgeLeavesAPlainPictureButton) {
    Harness h;
    auto* button = h.Add<CHandImgButtonUI>("hand_img_1", QRect(0, 0, 100, 100));
    h.manager->AttachControls(h.window.get());
    EXPECT_TRUE(button->DeleteLocked());
    EXPECT_EQ(button->BadgeRect(), QRect(70, 71, 20, 20));
    Mouse(button, QEvent::MouseButtonPress, QPoint(80, 80));
    Mouse(button, QEvent::MouseButtonRelease, QPoint(80, 80));
    EXPECT_EQ(h.Of("click").size(), 1u);
    EXPECT_TRUE(h.Of("click_handdelete").empty());

    button->SetDeleteLocked(false);
    Mouse(button, QEvent::MouseButtonPress, QPoint(80, 80));
    Mouse(button, QEvent::MouseButtonRelease, QPoint(80, 80));
    EXPECT_EQ(h.Of("click_handdelete").size(), 1u);
    EXPECT_EQ(h.Of("click").size(), 1u);  // the badge is no click
    Mouse(button, QEvent::MouseButtonPress, QPoint(20, 20));
    Mouse(button, QEvent::MouseButtonRelease, QPoint(20, 20));
    EXPECT_EQ(h.Of("click").size(), 2u);

    h.manager->SetDpi(192);  // the badge grows with the display scale
    EXPECT_EQ(button->BadgeRect(), QRect(40, 42, 40, 40));
}

}  // namespace
}  // namespace qx::controls
