#include "ui/paint_manager.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "notify_recorder.h"
#include "test_time.h"

namespace qx::ui {
namespace {

using test::NotifyRecorder;
using test::Seen;

// Runs the event loop until `done` holds or the time is up.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 2000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > qx::test::Patience(timeoutMs)) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

template <class T>
T* Add(QWidget* parent, const QString& name) {
    auto* w = new T(parent);
    w->setObjectName(name);
    parent->layout()->addWidget(w);
    return w;
}

class PaintManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->setObjectName("main_root");
        new QVBoxLayout(window.get());
        button = Add<QPushButton>(window.get(), "closebtn");
        option1 = Add<QPushButton>(window.get(), "deng_Op_tab");
        option2 = Add<QPushButton>(window.get(), "key_Op_tab");
        for (QPushButton* o : {option1, option2}) {
            o->setCheckable(true);
            o->setProperty("group", "device_tabs");
        }
        combo = Add<QComboBox>(window.get(), "light_combo_modeSelect");
        combo->addItems({"a", "b", "c"});
        slider = Add<QSlider>(window.get(), "DPI_slider_2");
        slider->setRange(0, 100);
        edit = Add<QLineEdit>(window.get(), "DPI_edit_2");
        list = Add<QListWidget>(window.get(), "macro_name_list");
        list->addItems({"first", "second"});
        container = Add<QWidget>(window.get(), "mouse_device_key_light");
        new QVBoxLayout(container);
        inner = Add<QPushButton>(container, "light_3");
        anonymous = Add<QPushButton>(window.get(), "");

        manager = new PaintManager(window.get());
        manager->AttachControls(window.get());
        manager->AddNotifier(&recorder);
        window->resize(400, 600);
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        WaitFor([&] { return window->isActiveWindow(); }, 500);
        recorder.seen.clear();
    }
    // Receivers leave before they end: the window's teardown still moves the focus.
    void TearDown() override { manager->RemoveNotifier(&recorder); }

    std::unique_ptr<QWidget> window;
    PaintManager* manager = nullptr;
    NotifyRecorder recorder;
    QPushButton *button, *option1, *option2, *inner, *anonymous;
    QComboBox* combo;
    QSlider* slider;
    QLineEdit* edit;
    QListWidget* list;
    QWidget* container;
};

TEST_F(PaintManagerTest, ButtonsAndExclusiveOptionsRaiseClickAndSelectChanged) {
    button->click();
    option1->click();
    option2->click();
    anonymous->click();
    const std::vector<Seen> expected = {
        {"click", "closebtn", 0},
        {"selectchanged", "deng_Op_tab", 1},
        {"click", "deng_Op_tab", 0},
        // The group unchecks the first option before the second reports its click.
        {"selectchanged", "deng_Op_tab", 0},
        {"selectchanged", "key_Op_tab", 1},
        {"click", "key_Op_tab", 0},
    };
    EXPECT_EQ(recorder.seen, expected);
    EXPECT_FALSE(option1->isChecked());
}

TEST_F(PaintManagerTest, OnlyTheGroupPropertyMakesOptionsExclusive) {
    auto* checkA = Add<QRadioButton>(window.get(), "deng_FXL_check");
    auto* checkB = Add<QRadioButton>(window.get(), "deng_FXR_check");
    auto* other1 = Add<QPushButton>(window.get(), "polling_rate_option_1");
    auto* other2 = Add<QPushButton>(window.get(), "polling_rate_option_2");
    for (QPushButton* o : {other1, other2}) {
        o->setCheckable(true);
        o->setProperty("group", "polling");
    }
    manager->AttachControls(window.get());
    checkA->click();
    checkB->click();
    EXPECT_TRUE(checkA->isChecked() && checkB->isChecked());
    checkB->click();
    EXPECT_FALSE(checkB->isChecked());  // an ungrouped option unchecks like a check box

    option1->click();
    other1->click();
    other2->click();
    EXPECT_TRUE(option1->isChecked());  // another group is left alone
    EXPECT_FALSE(other1->isChecked());
    other2->click();
    EXPECT_TRUE(other2->isChecked());  // the selected option of a group stays selected
}

TEST_F(PaintManagerTest, WiringTwiceRaisesEachNotificationOnce) {
    manager->AttachControls(window.get());
    button->click();
    EXPECT_EQ(recorder.Of("click").size(), 1u);
}

TEST_F(PaintManagerTest, ComboSliderEditAndListRaiseTheirNotifications) {
    combo->setFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(combo, &down);
    EXPECT_EQ(recorder.Of("itemselect"),
              (std::vector<Seen>{{"itemselect", combo->objectName(), 1}}));

    slider->setValue(20);  // the program showing a stored value is no choice of the user's
    slider->setFocus();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(slider, &up);  // one page (10) up
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    slider->setValue(0);
    QApplication::sendEvent(slider, &home);  // already at the start: no change, no notification
    slider->setValue(30);
    slider->setSliderDown(true);
    slider->setSliderPosition(40);
    slider->setSliderPosition(45);
    EXPECT_EQ(recorder.Of("valuechanged"),
              (std::vector<Seen>{{"valuechanged", "DPI_slider_2", 30}}));
    ASSERT_EQ(slider->value(), 45);
    slider->setSliderDown(false);
    EXPECT_EQ(recorder.Of("movevaluechanged"),
              (std::vector<Seen>{{"movevaluechanged", "DPI_slider_2", 40},
                                 {"movevaluechanged", "DPI_slider_2", 45}}));
    EXPECT_EQ(recorder.Of("valuechanged").back(), (Seen{"valuechanged", "DPI_slider_2", 45}));

    edit->setFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, "7");
    QApplication::sendEvent(edit, &key);
    edit->setText("not typed");  // a program's change is no edit
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    EXPECT_EQ(recorder.Of("textchanged").size(), 1u);
    EXPECT_TRUE(recorder.Saw("return", "DPI_edit_2"));

    const QRect itemArea = list->visualItemRect(list->item(1));
    QMouseEvent press(QEvent::MouseButtonPress, itemArea.center(),
                      list->viewport()->mapToGlobal(itemArea.center()), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, itemArea.center(),
                        list->viewport()->mapToGlobal(itemArea.center()), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    QApplication::sendEvent(list->viewport(), &release);
    EXPECT_EQ(recorder.Of("itemclick"), (std::vector<Seen>{{"itemclick", "macro_name_list", 1}}));
}

TEST_F(PaintManagerTest, FocusMovesRaiseSetFocusAndKillFocus) {
    edit->setFocus();
    ASSERT_TRUE(WaitFor([&] { return recorder.Saw("setfocus", "DPI_edit_2"); }));
    button->setFocus();
    ASSERT_TRUE(WaitFor([&] { return recorder.Saw("killfocus", "DPI_edit_2"); }));
    EXPECT_TRUE(recorder.Saw("setfocus", "closebtn"));
}

TEST_F(PaintManagerTest, TimersRaiseTimerWithTheirIdsUntilKilled) {
    ASSERT_TRUE(manager->SetTimer(button, 1011, 5));
    ASSERT_TRUE(manager->SetTimer(edit, 1032, 5));
    EXPECT_FALSE(manager->SetTimer(nullptr, 1, 5));
    ASSERT_TRUE(WaitFor(
        [&] { return recorder.Saw("timer", "closebtn") && recorder.Saw("timer", "DPI_edit_2"); }));
    for (const Seen& s : recorder.Of("timer")) {
        EXPECT_EQ(s.wParam, s.sender == "closebtn" ? 1011 : 1032);
    }

    // A one-shot timer killed by its own handler fires once.
    struct KillOnFirst : INotifyUI {
        PaintManager* manager;
        int count = 0;
        void Notify(TNotifyUI& msg) override {
            if (msg.type == "timer" && msg.wParam == 1066) {
                ++count;
                manager->KillTimer(msg.sender, 1066);
            }
        }
    } once;
    once.manager = manager;
    manager->AddNotifier(&once);
    ASSERT_TRUE(manager->SetTimer(inner, 1066, 1));
    ASSERT_TRUE(WaitFor([&] { return once.count > 0; }));
    WaitFor([] { return false; }, 50);
    EXPECT_EQ(once.count, 1);
    EXPECT_FALSE(manager->HasTimer(inner, 1066));
    manager->RemoveNotifier(&once);

    EXPECT_TRUE(manager->KillTimer(edit, 1032));
    EXPECT_FALSE(manager->KillTimer(edit, 1032));
    EXPECT_TRUE(manager->HasTimer(button, 1011));
    delete button;  // timers end with their control
    EXPECT_FALSE(manager->HasTimer(button, 1011));
    recorder.seen.clear();
    WaitFor([] { return false; }, 50);
    EXPECT_TRUE(recorder.Of("timer").empty());
}

TEST_F(PaintManagerTest, FindsByNameWindowWideAndInsideContainers) {
    EXPECT_EQ(manager->FindControl("DPI_slider_2"), slider);
    EXPECT_EQ(manager->Find<QSlider>("DPI_slider_2"), slider);
    EXPECT_EQ(manager->Find<QComboBox>("DPI_slider_2"), nullptr);
    EXPECT_EQ(manager->FindControl("light_3"), inner);
    EXPECT_EQ(manager->FindControl("main_root"), window.get());
    EXPECT_EQ(manager->FindControl("no_such_control"), nullptr);
    EXPECT_EQ(manager->FindControl(""), nullptr);

    // The same name in two containers: each container finds its own.
    auto* other = Add<QWidget>(window.get(), "device_key_light");
    new QVBoxLayout(other);
    auto* twin = Add<QPushButton>(other, "light_3");
    EXPECT_EQ(PaintManager::FindSubControlByName(other, "light_3"), twin);
    EXPECT_EQ(PaintManager::FindSubControlByName(container, "light_3"), inner);
    EXPECT_EQ(PaintManager::FindSubControlByName(container, "mouse_device_key_light"), nullptr);
    EXPECT_EQ(PaintManager::FindSubControlByName(container, "closebtn"), nullptr);
    EXPECT_EQ(PaintManager::FindSubControlByName(nullptr, "light_3"), nullptr);

    EXPECT_EQ(PaintManager::Of(inner), manager);
    QWidget orphan;
    EXPECT_EQ(PaintManager::Of(&orphan), nullptr);
    EXPECT_EQ(PaintManager::Of(nullptr), nullptr);
}

TEST_F(PaintManagerTest, ReceiversMayLeaveWhileANotificationIsDelivered) {
    struct Leaver : INotifyUI {
        PaintManager* manager;
        INotifyUI* other;
        void Notify(TNotifyUI&) override { manager->RemoveNotifier(other); }
    } leaver;
    NotifyRecorder late;
    leaver.manager = manager;
    leaver.other = &late;
    manager->RemoveNotifier(&recorder);
    manager->AddNotifier(&leaver);
    manager->AddNotifier(&late);
    manager->SendNotify(button, "click");
    EXPECT_TRUE(late.seen.empty());
    manager->RemoveNotifier(&leaver);
}

// A window that is its own receiver, as the main window is.
class SelfNotifyingWindow : public QWidget, public INotifyUI {
    Q_OBJECT
  public:
    explicit SelfNotifyingWindow(std::vector<QString>* log) : log_(log) {
        new QVBoxLayout(this);
        edit_ = Add<QLineEdit>(this, "macro_delay");
        manager_ = new PaintManager(this);
        manager_->AttachControls(this);
        manager_->AddNotifier(this);
    }
    void Notify(TNotifyUI& msg) override { log_->push_back(msg.type + ":" + msg.senderName); }
    QLineEdit* edit_;
    PaintManager* manager_;
    std::vector<QString>* log_;
};

TEST(PaintManagerTeardown, AWindowBeingDestroyedNoLongerReceivesItsControlsNotifications) {
    std::vector<QString> log;
    auto* window = new SelfNotifyingWindow(&log);
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    window->edit_->setFocus();
    ASSERT_TRUE(WaitFor([&] { return window->edit_->hasFocus(); }));
    delete window;  // the focused edit loses its focus after the window's class is gone
    EXPECT_EQ(std::count(log.begin(), log.end(), QString("killfocus:macro_delay")), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), QString("setfocus:macro_delay")), 1);
}

TEST(PaintManagerTimers, EndWithTheirManager) {
    QWidget window;
    QPushButton control(&window);
    auto* manager = new PaintManager(&window);
    ASSERT_TRUE(manager->SetTimer(&control, 1, 5));
    EXPECT_EQ(control.findChildren<QTimer*>().size(), 1);
    delete manager;
    EXPECT_TRUE(control.findChildren<QTimer*>().isEmpty());
}

TEST(PaintManagerScale, AcceptsOnlyTheToolkitsScales) {
    QWidget window;
    PaintManager manager(&window);
    EXPECT_EQ(manager.Dpi(), 96);
    EXPECT_TRUE(manager.SetDpi(144));
    EXPECT_FALSE(manager.SetDpi(100));
    EXPECT_EQ(manager.Dpi(), 144);
}

}  // namespace
}  // namespace qx::ui

#include "paint_manager_test.moc"

namespace qx::ui {
namespace {

// Notifications reach only who subscribed: the control's own handlers for that event, then the
// subtrees around it from the nearest out; a sibling subtree never hears them.
TEST_F(PaintManagerTest, SubscriptionsGetOnlyTheirControlsAndSubtrees) {
    QObject owner;
    std::vector<QString> calls;
    manager->OnNotify(inner, "click", &owner,
                      [&](TNotifyUI& m) { calls.push_back("inner:" + m.type); });
    manager->OnNotify(inner, "", &owner,
                      [&](TNotifyUI& m) { calls.push_back("inner-any:" + m.type); });
    manager->OnNotifyBelow(container, &owner,
                           [&](TNotifyUI& m) { calls.push_back("panel:" + m.senderName); });
    manager->OnNotifyBelow(window.get(), &owner,
                           [&](TNotifyUI& m) { calls.push_back("window:" + m.senderName); });
    auto* sibling = Add<QWidget>(window.get(), "other_panel");
    new QVBoxLayout(sibling);
    manager->OnNotifyBelow(sibling, &owner,
                           [&](TNotifyUI& m) { calls.push_back("sibling:" + m.senderName); });

    manager->SendNotify(inner, "click");
    EXPECT_EQ(calls, (std::vector<QString>{"inner:click", "inner-any:click", "panel:light_3",
                                           "window:light_3"}));
    calls.clear();
    manager->SendNotify(inner, "msenter");
    EXPECT_EQ(calls,
              (std::vector<QString>{"inner-any:msenter", "panel:light_3", "window:light_3"}));
    calls.clear();
    manager->SendNotify(button, "click");
    EXPECT_EQ(calls, (std::vector<QString>{"window:closebtn"}));
}

TEST_F(PaintManagerTest, SubscriptionsEndWithTheirOwnerOrControl) {
    int calls = 0;
    {
        QObject owner;
        manager->OnNotify(button, "click", &owner, [&](TNotifyUI&) { ++calls; });
        manager->SendNotify(button, "click");
        EXPECT_EQ(calls, 1);
    }
    manager->SendNotify(button, "click");
    EXPECT_EQ(calls, 1) << "the owner is gone";

    QObject owner;
    manager->OnNotify(button, "click", &owner, [&](TNotifyUI&) { ++calls; });
    manager->Unsubscribe(&owner);
    manager->SendNotify(button, "click");
    EXPECT_EQ(calls, 1) << "unsubscribed";

    // A handler that removes its control's subscriptions while it runs.
    auto* doomed = Add<QPushButton>(window.get(), "doomed");
    manager->OnNotify(doomed, "click", &owner, [&](TNotifyUI&) {
        ++calls;
        manager->Unsubscribe(&owner);
    });
    manager->OnNotify(doomed, "click", &owner, [&](TNotifyUI&) { ++calls; });
    manager->SendNotify(doomed, "click");
    EXPECT_EQ(calls, 2) << "the second handler's owner left during the first";
    delete doomed;
}

}  // namespace
}  // namespace qx::ui
