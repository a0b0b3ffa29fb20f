// The window driver on a small window of every kind of control: each action raises the
// notifications a user's hand raises, and what a user can't do is refused with a reason. Also
// the answers given in advance to the next message box.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include <gtest/gtest.h>

#include "../ui/notify_recorder.h"
#include "app/automation_driver.h"
#include "app/msg_wnd.h"
#include "ui/paint_manager.h"

namespace qx::app::test {
namespace {

using ui::test::NotifyRecorder;
using ui::test::Seen;

template <class T>
T* Add(QWidget* parent, const QString& name) {
    auto* w = new T(parent);
    w->setObjectName(name);
    parent->layout()->addWidget(w);
    return w;
}

class DriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->setObjectName("MainWnd");
        new QVBoxLayout(window.get());
        button = Add<QPushButton>(window.get(), "control_light_status");
        button->setText("Lighting");
        other = Add<QPushButton>(window.get(), "closebtn");
        combo = Add<QComboBox>(window.get(), "language_combo");
        combo->addItems({"English", "中文"});
        slider = Add<QSlider>(window.get(), "repeat_rate_slider");
        slider->setRange(0, 20);
        edit = Add<QLineEdit>(window.get(), "macro_delay");
        spin = Add<QSpinBox>(window.get(), "delay_spin");
        spin->setRange(0, 500);
        list = Add<QListWidget>(window.get(), "macro_name_list");
        list->addItems({"first", "second", "third"});
        label = Add<QLabel>(window.get(), "str_test");
        label->setText("plain");
        manager = std::make_unique<ui::PaintManager>(window.get());
        manager->AttachControls(window.get());
        manager->AddNotifier(&seen);
        window->show();
        driver = std::make_unique<WindowDriver>(window.get());
    }
    void TearDown() override {
        manager->RemoveNotifier(&seen);
        driver.reset();
        manager.reset();
        window.reset();
    }

    std::vector<Seen> Notifications() const {
        std::vector<Seen> out;
        for (const Seen& s : seen.seen) {
            if (s.type != "timer") out.push_back(s);
        }
        return out;
    }

    std::unique_ptr<QWidget> window;
    std::unique_ptr<ui::PaintManager> manager;
    std::unique_ptr<WindowDriver> driver;
    NotifyRecorder seen;
    QPushButton* button = nullptr;
    QPushButton* other = nullptr;
    QComboBox* combo = nullptr;
    QSlider* slider = nullptr;
    QLineEdit* edit = nullptr;
    QSpinBox* spin = nullptr;
    QListWidget* list = nullptr;
    QLabel* label = nullptr;
};

TEST_F(DriverTest, ClickSelectAndDragRaiseWhatTheUserRaises) {
    ASSERT_TRUE(driver->Click("control_light_status").Ok());
    ASSERT_TRUE(driver->Select("language_combo", 1).Ok());
    EXPECT_EQ(combo->currentIndex(), 1);
    ASSERT_TRUE(driver->SetValue("repeat_rate_slider", 7).Ok());
    EXPECT_EQ(slider->value(), 7);
    ASSERT_TRUE(driver->Select("macro_name_list", 2).Ok());
    EXPECT_EQ(list->currentRow(), 2);
    const std::vector<Seen> expected = {
        {"click", "control_light_status", 0},          {"itemselect", "language_combo", 1},
        {"movevaluechanged", "repeat_rate_slider", 7}, {"valuechanged", "repeat_rate_slider", 7},
        {"itemclick", "macro_name_list", 2},
    };
    EXPECT_EQ(Notifications(), expected);
}

TEST_F(DriverTest, TypedTextIsConfirmedWithEnterThenFocusLeaves) {
    edit->setText("old");
    ASSERT_TRUE(driver->SetText("macro_delay", "125").Ok());
    EXPECT_EQ(edit->text(), "125");
    // (The control that had the focus may hear it go: that is the user's click too.)
    std::vector<QString> types;
    for (const Seen& s : Notifications()) {
        if (s.sender == "macro_delay") types.push_back(s.type);
    }
    // One "textchanged" a key, as typing gives.
    const std::vector<QString> expected = {"setfocus",    "textchanged", "textchanged",
                                           "textchanged", "return",      "killfocus"};
    EXPECT_EQ(types, expected);

    seen.seen.clear();
    ASSERT_TRUE(driver->SetText("macro_delay", "").Ok());
    EXPECT_EQ(edit->text(), "");
    EXPECT_TRUE(seen.Saw("textchanged", "macro_delay"));

    ASSERT_TRUE(driver->SetText("macro_delay", "延时 𝄞").Ok());
    EXPECT_EQ(edit->text(), "延时 𝄞");
}

TEST_F(DriverTest, SpinBoxTakesTheTypedValue) {
    ASSERT_TRUE(driver->SetValue("delay_spin", 320).Ok());
    EXPECT_EQ(spin->value(), 320);
    EXPECT_FALSE(driver->SetValue("delay_spin", 501).Ok());
    EXPECT_EQ(spin->value(), 320);
}

TEST_F(DriverTest, HoverLeavesTheLastControlBeforeEnteringTheNext) {
    ASSERT_TRUE(driver->Hover("control_light_status").Ok());
    ASSERT_TRUE(driver->Hover("closebtn").Ok());
    const std::vector<Seen> expected = {{"msenter", "control_light_status", 0},
                                        {"msleave", "control_light_status", 0},
                                        {"msenter", "closebtn", 0}};
    EXPECT_EQ(Notifications(), expected);
    EXPECT_TRUE(other->testAttribute(Qt::WA_UnderMouse));
    EXPECT_FALSE(button->testAttribute(Qt::WA_UnderMouse));
}

TEST_F(DriverTest, WhatAUserCantDoIsRefusedAndRaisesNothing) {
    edit->setMaxLength(4);
    edit->setReadOnly(false);
    button->setEnabled(false);
    label->hide();
    struct Case {
        const char* what;
        std::function<DriverResult()> act;
        DriverError::Code code;
        const char* saying;
    };
    const std::vector<Case> cases = {
        {"unknown name", [&] { return driver->Click("no_such_btn"); }, DriverError::kUnknownControl,
         "no_such_btn"},
        {"unknown window", [&] { return driver->Click("SetWnd/closebtn"); },
         DriverError::kUnknownControl, "SetWnd"},
        {"disabled", [&] { return driver->Click("control_light_status"); }, DriverError::kRefused,
         "disabled"},
        {"hidden", [&] { return driver->Hover("str_test"); }, DriverError::kRefused, "not visible"},
        {"index past the end", [&] { return driver->Select("language_combo", 2); },
         DriverError::kRefused, "0 to 1"},
        {"negative index", [&] { return driver->Select("macro_name_list", -1); },
         DriverError::kRefused, "0 to 2"},
        {"select on a button", [&] { return driver->Select("closebtn", 0); }, DriverError::kRefused,
         "QPushButton"},
        {"value out of range", [&] { return driver->SetValue("repeat_rate_slider", 21); },
         DriverError::kRefused, "0 to 20"},
        {"value on a combo", [&] { return driver->SetValue("language_combo", 1); },
         DriverError::kRefused, "takes no value"},
        {"text too long", [&] { return driver->SetText("macro_delay", "12345"); },
         DriverError::kRefused, "at most 4"},
        {"text with a line break", [&] { return driver->SetText("macro_delay", "1\n2"); },
         DriverError::kRefused, "can't be typed"},
        {"text into a button", [&] { return driver->SetText("closebtn", "x"); },
         DriverError::kRefused, "QPushButton"},
    };
    for (const Case& c : cases) {
        const DriverResult result = c.act();
        ASSERT_FALSE(result.Ok()) << c.what;
        EXPECT_EQ(result.Error().code, c.code) << c.what;
        EXPECT_TRUE(result.Error().text.contains(QString::fromUtf8(c.saying)))
            << c.what << ": " << result.Error().text.toStdString();
    }
    edit->setReadOnly(true);
    EXPECT_TRUE(driver->SetText("macro_delay", "1").Error().text.contains("read-only"));
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(edit->text(), "");
    EXPECT_TRUE(Notifications().empty());
}

TEST_F(DriverTest, StateDescribesTheControl) {
    auto read = [&](const char* name) {
        QString json;
        EXPECT_TRUE(driver->State(name, &json).Ok()) << name;
        return QJsonDocument::fromJson(json.toUtf8()).object();
    };
    combo->setToolTip("Interface language");
    combo->setCurrentIndex(1);
    QJsonObject state = read("language_combo");
    EXPECT_EQ(state["class"].toString(), "QComboBox");
    EXPECT_EQ(state["window"].toString(), "MainWnd");
    EXPECT_EQ(state["text"].toString(), "中文");
    EXPECT_EQ(state["tooltip"].toString(), "Interface language");
    EXPECT_EQ(state["items"].toArray(), QJsonArray({"English", "中文"}));
    EXPECT_EQ(state["selected_index"].toInt(), 1);
    EXPECT_TRUE(state["value"].isNull());
    EXPECT_TRUE(state["checked"].isNull());
    EXPECT_TRUE(state["enabled"].toBool());
    EXPECT_TRUE(state["visible"].toBool());

    slider->setValue(5);
    state = read("repeat_rate_slider");
    EXPECT_EQ(state["value"].toInt(), 5);
    EXPECT_EQ(state["maximum"].toInt(), 20);
    EXPECT_TRUE(state["items"].isNull());

    other->setCheckable(true);
    other->setChecked(true);
    other->setEnabled(false);
    state = read("MainWnd/closebtn");
    EXPECT_TRUE(state["checked"].toBool());
    EXPECT_FALSE(state["enabled"].toBool());

    label->hide();
    EXPECT_FALSE(read("str_test")["visible"].toBool());
    EXPECT_EQ(read("str_test")["text"].toString(), "plain");
}

TEST_F(DriverTest, AModalWindowComesFirstAndBlocksTheWindowBehindIt) {
    QDialog box(window.get());
    box.setObjectName("MsgWnd");
    auto* layout = new QVBoxLayout(&box);
    auto* confirm = new QPushButton("OK", &box);
    confirm->setObjectName("closebtn");
    layout->addWidget(confirm);
    int confirmed = 0;
    QObject::connect(confirm, &QPushButton::clicked, [&] { ++confirmed; });
    box.setModal(true);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);

    EXPECT_EQ(driver->Windows(), QStringList({"MainWnd", "MsgWnd"}));
    // The same name in both windows: the modal one is meant.
    ASSERT_TRUE(driver->Click("closebtn").Ok());
    EXPECT_EQ(confirmed, 1);
    const DriverResult blocked = driver->Click("MainWnd/closebtn");
    ASSERT_FALSE(blocked.Ok());
    EXPECT_TRUE(blocked.Error().text.contains("behind the modal window \"MsgWnd\""));
    EXPECT_FALSE(seen.Saw("click", "closebtn"));

    box.hide();
    EXPECT_EQ(driver->Windows(), QStringList({"MainWnd"}));
    ASSERT_TRUE(driver->Click("closebtn").Ok());
    EXPECT_TRUE(seen.Saw("click", "closebtn"));
}

TEST_F(DriverTest, ScreenshotWritesAPngOfTheWindow) {
    QTemporaryDir folder;
    const QString path = folder.filePath("main.png");
    ASSERT_TRUE(driver->Screenshot("", path).Ok());
    QImage picture(path);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), window->grab().size());

    EXPECT_EQ(driver->Screenshot("SetWnd", folder.filePath("x.png")).Error().code,
              DriverError::kUnknownControl);
    const DriverResult unwritable = driver->Screenshot("MainWnd", folder.filePath("no/x.png"));
    ASSERT_FALSE(unwritable.Ok());
    EXPECT_EQ(unwritable.Error().code, DriverError::kFailed);
    EXPECT_FALSE(QFile::exists(folder.filePath("no/x.png")));
}

TEST(MessageAnswers, QueuedAnswersAreTakenInOrderWithoutShowingTheBox) {
    ClearMessageAnswers();
    QueueMessageAnswer(1);
    QueueMessageAnswer(0);
    EXPECT_EQ(QueuedMessageAnswers(), 2);
    bool shown = false;
    // Were a box shown, this cancels it and says so (instead of the test waiting forever).
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<CMsgWnd*>(top); box != nullptr && box->isVisible()) {
                shown = true;
                box->done(5);
            }
        }
    });
    watch.start(20);
    EXPECT_EQ(ShowMessage(nullptr, "title", "text", 96, false, CMsgWnd::kConfirmAndCancel), 1);
    EXPECT_EQ(ShowMessage(nullptr, "title", "text", 96, false, CMsgWnd::kConfirmAndCancel), 0);
    EXPECT_FALSE(shown);
    EXPECT_EQ(QueuedMessageAnswers(), 0);
    // With no answer left the box shows again.
    EXPECT_EQ(ShowMessage(nullptr, "title", "text", 96, false, CMsgWnd::kConfirmAndCancel), 0);
    EXPECT_TRUE(shown);
}

TEST_F(DriverTest, AnIndexPicksAmongTheShownControlsOfANameAsTheyAreRead) {
    // Made first, laid out last; one in the middle is hidden.
    auto* bottom = new QPushButton(window.get());
    auto* top = new QPushButton(window.get());
    auto* hidden = new QPushButton(window.get());
    auto* middle = new QPushButton(window.get());
    auto* layout = static_cast<QVBoxLayout*>(window->layout());
    layout->insertWidget(0, bottom);
    layout->insertWidget(0, middle);
    layout->insertWidget(0, hidden);
    layout->insertWidget(0, top);
    for (QPushButton* b : {bottom, top, hidden, middle}) {
        b->setObjectName("device_select");
        b->show();
    }
    hidden->hide();
    layout->activate();
    manager->AttachControls(window.get());
    int clicks[3] = {0, 0, 0};
    const QPushButton* const order[3] = {top, middle, bottom};
    for (int i = 0; i < 3; ++i)
        QObject::connect(order[i], &QPushButton::clicked, [&clicks, i] { ++clicks[i]; });

    ASSERT_TRUE(driver->Click("device_select[1]").Ok());
    ASSERT_TRUE(driver->Click("device_select[2]").Ok());
    EXPECT_EQ(clicks[0], 0);
    EXPECT_EQ(clicks[1], 1);
    EXPECT_EQ(clicks[2], 1);
    QString json;
    ASSERT_TRUE(driver->State("device_select[0]", &json).Ok());
    EXPECT_EQ(QJsonDocument::fromJson(json.toUtf8()).object().value("visible").toBool(), true);

    // Past the shown ones, or not an index: refused with the reason, nothing clicked.
    for (const char* name :
         {"device_select[3]", "device_select[-1]", "device_select[x]", "nothing_here[0]"}) {
        SCOPED_TRACE(name);
        const DriverResult result = driver->Click(QString::fromLatin1(name));
        EXPECT_FALSE(result.Ok());
        EXPECT_EQ(result.Error().code, DriverError::kUnknownControl);
    }
    EXPECT_EQ(clicks[0] + clicks[1] + clicks[2], 2);
    EXPECT_TRUE(driver->Click("device_select[3]").Error().text.contains("3 shown controls"));
}

}  // namespace
}  // namespace qx::app::test

namespace qx::app::test {
namespace {

// Several pages hold controls of one name (each device page has its profile combo): the one on
// the shown page is the one acted on.
TEST_F(DriverTest, OfControlsSharingANameTheShownOneIsMeant) {
    auto* hiddenPage = Add<QWidget>(window.get(), "page_a");
    new QVBoxLayout(hiddenPage);
    auto* shownPage = Add<QWidget>(window.get(), "page_b");
    new QVBoxLayout(shownPage);
    auto* hiddenCombo = Add<QComboBox>(hiddenPage, "device_profile_combo");
    auto* shownCombo = Add<QComboBox>(shownPage, "device_profile_combo");
    for (QComboBox* c : {hiddenCombo, shownCombo}) c->addItems({"profile1", "profile2"});
    // Widgets added to a shown window stay hidden until shown.
    shownPage->show();
    shownCombo->show();
    manager->AttachControls(window.get());
    ASSERT_TRUE(driver->Select("device_profile_combo", 1).Ok());
    EXPECT_EQ(shownCombo->currentIndex(), 1);
    EXPECT_EQ(hiddenCombo->currentIndex(), 0);
}

}  // namespace
}  // namespace qx::app::test
