// The message box: texts, display scale, buttons and the result of each way to close it.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/msg_wnd.h"
#include "app_fixture.h"
#include "ui/paint_manager.h"

namespace qx::app::test {
namespace {

QAbstractButton* Button(CMsgWnd& box, const char* name) {
    return qobject_cast<QAbstractButton*>(
        box.PaintManager().FindControl(QString::fromLatin1(name)));
}

TEST(MsgWnd, EmptyTextsKeepTheSkinsAndOddScalesShowAt96) {
    CMsgWnd box;
    ASSERT_TRUE(box.Create());
    auto* title = qobject_cast<QLabel*>(box.PaintManager().FindControl("MessageTitle"));
    auto* text = qobject_cast<QLabel*>(box.PaintManager().FindControl("MessageText"));
    ASSERT_NE(title, nullptr);
    ASSERT_NE(text, nullptr);
    const QString skinTitle = title->text();
    box.SetTitle(QString());
    box.SetText(QString(), false);
    EXPECT_EQ(title->text(), skinTitle);
    box.SetTitle("Saved");
    box.SetText("<b>done</b>", true);
    EXPECT_EQ(title->text(), "Saved");
    EXPECT_EQ(text->textFormat(), Qt::RichText);
    box.SetDpi(100);
    EXPECT_EQ(box.Dpi(), 96);
    box.SetDpi(144);
    EXPECT_EQ(box.Dpi(), 144);
}

TEST(MsgWnd, ButtonModes) {
    CMsgWnd box;
    ASSERT_TRUE(box.Create());
    box.show();
    box.SetButtons(CMsgWnd::kConfirmOnly);
    EXPECT_FALSE(Button(box, "cancel_btn")->isVisible());
    EXPECT_TRUE(Button(box, "confirm_btn")->isVisible());
    box.SetButtons(CMsgWnd::kConfirmAndCancel);
    EXPECT_TRUE(Button(box, "cancel_btn")->isVisible());
    box.SetButtons(7);  // left as it was
    EXPECT_TRUE(Button(box, "cancel_btn")->isVisible());
}

// Clicks a button of the modal box once it runs.
int ShowAndClick(const char* button) {
    QTimer::singleShot(0, [button] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<CMsgWnd*>(top);
            if (box == nullptr || !box->isVisible()) continue;
            if (auto* b = Button(*box, button)) b->click();
        }
    });
    return ShowMessage(nullptr, "title", "text", 96, false, CMsgWnd::kConfirmAndCancel);
}

TEST(MsgWnd, ConfirmGivesOneAndTheOtherWaysOutGiveZero) {
    EXPECT_EQ(ShowAndClick("confirm_btn"), 1);
    EXPECT_EQ(ShowAndClick("cancel_btn"), 0);
    EXPECT_EQ(ShowAndClick("closebtn"), 0);
}

}  // namespace
}  // namespace qx::app::test
