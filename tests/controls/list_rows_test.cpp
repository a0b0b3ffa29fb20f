#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "control_test_support.h"
#include "controls/cloud_share_list_item.h"
#include "controls/combo_edit_container_element.h"
#include "controls/wnd_host.h"

namespace qx::controls {
namespace {

using test::Harness;
using test::Mouse;
using test::Seen;

const QString kFixtures = QStringLiteral(QX580_TEST_DATA_DIR "/fixtures/");

TEST(ComboEditContainerElement, BuildsItsContentAndKeepsItsThreeParts) {
    Harness h;
    auto* row = h.Add<CComboEditContainerElementUI>("macro_event_0", QRect(0, 0, 300, 30));
    ASSERT_TRUE(row->Init(kFixtures + "combo_edit_item.ui"));
    ASSERT_NE(row->Text1(), nullptr);
    EXPECT_EQ(qobject_cast<QLabel*>(row->Text2())->text(), "down");
    ASSERT_NE(row->DelayEdit(), nullptr);
    EXPECT_EQ(row->DelayEdit()->text(), "50");
    EXPECT_TRUE(row->Init(kFixtures + "combo_edit_item.ui"));  // built once
    EXPECT_EQ(row->findChildren<QLineEdit*>().size(), 1);
}

TEST(ComboEditContainerElement, ASkinWithoutTheContentLeavesAnEmptyRow) {
    CComboEditContainerElementUI row;
    EXPECT_FALSE(row.Init("XML/CustomControlXML/no_such_item.ui"));
    EXPECT_EQ(row.Text1(), nullptr);
    EXPECT_EQ(row.DelayEdit(), nullptr);
    row.show();  // showing does not try again
    EXPECT_TRUE(row.IsInitialised());
}

TEST(ComboEditContainerElement, MouseAndKeysSelectClickActivateAndOpenTheMenu) {
    Harness h;
    auto* row = h.Add<CComboEditContainerElementUI>("macro_event_1", QRect(0, 0, 300, 30));
    row->Init(kFixtures + "combo_edit_item.ui");
    Mouse(row, QEvent::MouseButtonPress, QPoint(5, 5));
    Mouse(row, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_TRUE(row->IsSelected());
    Mouse(row, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(row->IsSelected());  // Ctrl toggles
    Mouse(row, QEvent::MouseButtonDblClick, QPoint(5, 5));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(row, &enter);
    Mouse(row, QEvent::MouseButtonPress, QPoint(7, 9), Qt::RightButton);  // no menu yet
    row->SetMenuEnabled(true);
    Mouse(row, QEvent::MouseButtonPress, QPoint(7, 9), Qt::RightButton);
    const std::vector<Seen> expected = {
        {"itemclick", "macro_event_1", 0, 0},    {"itemactivate", "macro_event_1", 0, 0},
        {"itemactivate", "macro_event_1", 0, 0}, {"return", "macro_event_1", 0, 0},
        {"menu", "macro_event_1", 7, 9},
    };
    EXPECT_EQ(h.seen, expected);
}

TEST(CloudShareListItem, HoverFrameActivationAndMenu) {
    Harness h;
    auto* row = h.Add<CCloudShareListItemUI>("cloud_row", QRect(0, 0, 100, 20));
    row->SetHotFrameColor(Qt::red);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(row, &enter);
    EXPECT_TRUE(row->IsHot());
    EXPECT_EQ(test::Render(row).pixelColor(0, 10), QColor(Qt::red));
    row->SetSelected(true);  // a selected row has no hover frame
    EXPECT_NE(test::Render(row).pixelColor(0, 10), QColor(Qt::red));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(row, &leave);
    EXPECT_FALSE(row->IsHot());

    Mouse(row, QEvent::MouseButtonDblClick, QPoint(5, 5));
    row->SetMenuEnabled(true);
    Mouse(row, QEvent::MouseButtonPress, QPoint(3, 4), Qt::RightButton);
    EXPECT_EQ(h.seen, (std::vector<Seen>{{"itemactivate", "cloud_row", 0, 0},
                                         {"menu", "cloud_row", 3, 4}}));
}

TEST(WndHost, KeepsTheHostedWindowOverThePlaceHolder) {
    Harness h;
    auto* holder = h.Add<CWndUI>("web_wnd", QRect(30, 40, 120, 60));
    QWidget hosted(h.window.get());  // a child of the same window
    holder->Attach(&hosted);
    h.window->show();
    EXPECT_EQ(hosted.geometry(), QRect(30, 40, 120, 60));
    EXPECT_TRUE(hosted.isVisible());
    holder->setGeometry(10, 20, 50, 50);
    EXPECT_EQ(hosted.geometry(), QRect(10, 20, 50, 50));
    holder->hide();
    EXPECT_FALSE(hosted.isVisible());
    holder->Attach(nullptr);
    holder->show();
    EXPECT_FALSE(hosted.isVisible());
}

}  // namespace
}  // namespace qx::controls
