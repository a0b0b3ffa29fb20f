// The key assignment panel on the keyboard's page against the simulated keyboard: picking a key,
// giving it a function through the controls (key cap, tooltip, profile), learning a key in the
// key edit, writing to the device (key table and macro image in the keyboard's memory), the
// refusal of a too large image, and the key's default.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <functional>
#include <memory>

#include "controls/device_key_button.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/user_message.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/panels/input_capture_session.h"
#include "devices/panels/key_set_control_ui.h"
#include "macros/macro_store.h"
#include "platform/input_capture.h"
#include "sim/keyboard_firmware.h"
#include "sim/keyboard_layout.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;

constexpr int kKeyA = 64;
using Bytes = std::vector<uint8_t>;

// A system-wide capture whose input the test gives: Start answers as told, and while it runs
// `Press` hands a key to the session as the capture's thread does.
class FakeCapture : public platform::InputCapture {
  public:
    struct State {
        platform::CaptureStart::Status status = platform::CaptureStart::Status::Started;
        std::string message;
        bool running = false;
        int starts = 0;
        Sink sink;
        Ended ended;
    };
    explicit FakeCapture(std::shared_ptr<State> state) : state_(std::move(state)) {}
    platform::CaptureStart Start(Sink sink, Ended ended) override {
        ++state_->starts;
        platform::CaptureStart start;
        start.status = state_->status;
        start.message = state_->message;
        if (start.status == platform::CaptureStart::Status::Started) {
            state_->running = true;
            state_->sink = std::move(sink);
            state_->ended = std::move(ended);
        }
        return start;
    }
    void Stop() override {
        state_->running = false;
        state_->sink = nullptr;
        state_->ended = nullptr;
    }
    bool Running() const override { return state_->running; }

    static void Press(State& state, uint8_t scanCode, bool extended = false) {
        ASSERT_TRUE(state.running);
        for (bool down : {true, false}) {
            platform::CapturedInput input;
            input.kind = platform::CapturedInput::Kind::Key;
            input.scanCode = scanCode;
            input.extended = extended;
            input.down = down;
            // The session may stop and restart the capture while it handles the key: the sink
            // of the moment, called through a copy.
            if (const Sink sink = state.sink) sink(input);
            QCoreApplication::processEvents();
        }
    }

  private:
    std::shared_ptr<State> state_;
};

class KeySetPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(UserDeviceFolder("keyboard"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        SetUserMessageSink([this](const QString& text) { messages << text; });
    }
    void TearDown() override { SetUserMessageSink({}); }

    // The keyboard on-line, its page on the key assignment tab, its panel.
    CKeySetControlUI* Start(DeviceWindow& w) {
        w.Start();
        EXPECT_TRUE(w.bus.Plug("keyboard"));
        w.Pass();
        keyboard = dynamic_cast<COrvaneKeyboardDevice*>(w.controller->Keyboards().front());
        EXPECT_TRUE(WaitUntil([&] { return keyboard->KeyList().size() == 170; }));
        w.Settle();
        keyboard->SetFunctionPage(2);
        return CKeySetControlUI::Of(keyboard);
    }

    template <class T>
    T* Control(const char* name) {
        return keyboard->Page()->findChild<T*>(QString::fromLatin1(name));
    }
    // A choice in a combo as the user makes it.
    void Choose(const char* combo, int index) {
        auto* box = Control<QComboBox>(combo);
        ASSERT_NE(box, nullptr) << combo;
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void ChooseFunction(int function) {
        const int item = Control<QComboBox>("keyset_function_combo")->findData(function);
        ASSERT_GE(item, 0) << function;
        Choose("keyset_function_combo", item);
    }
    void ClickKey(int key) {
        qobject_cast<QAbstractButton*>(keyboard->KeyButtons()[static_cast<size_t>(key)])->click();
    }
    KeyFunction Current(int key) { return KeyFunction::Of(keyboard->KeyList()[key].current); }
    Bytes TableAt(DeviceWindow& w, int key) {
        return w.bus.Keyboard()->ReadMemory(
            sim::Region::KeyTable, sim::KeyboardPositionOf(static_cast<size_t>(key)) * 3, 3);
    }
    int ProfileAssignment(int key) {
        const Json::Value document = ReadJsonFile(keyboard->ProfilePath());
        return json::ToInt(
            json::Get(json::At(json::Get(json::At(json::Get(document, "Device"), 0), "KeyList"),
                               static_cast<Json::ArrayIndex>(key)),
                      "Assignment"));
    }
    // A macro of `events` events in the keyboard's folder.
    void AddMacro(const Json::Value& events) {
        MacroStore store(UserDeviceFolder("keyboard"));
        const std::optional<MacroInfo> macro = store.AddMacro();
        ASSERT_TRUE(macro);
        ASSERT_TRUE(store.SaveMacro(*macro, events));
    }
    static Json::Value Event(int delay, int type, const char* action, int button) {
        Json::Value event(Json::objectValue);
        event["Delay"] = std::to_string(delay);
        event["Type"] = type;
        event["Action"] = action;
        event["Button"] = button;
        return event;
    }
    // Clicks "write to device" and waits for the end of the write: its upload result and
    // whether the key table was written.
    std::pair<int, bool> Write(DeviceWindow& w, CKeySetControlUI* panel) {
        std::optional<std::pair<int, bool>> outcome;
        const QMetaObject::Connection connection = QObject::connect(
            panel, &CKeySetControlUI::Written, [&outcome](int upload, bool written) {
                outcome = {upload, written};
            });
        Control<QAbstractButton>("key_butt_prosave")->click();
        const bool ended = WaitUntil([&] {
            w.Settle();
            return outcome.has_value();
        });
        QObject::disconnect(connection);
        EXPECT_TRUE(ended);
        return outcome.value_or(std::make_pair(-99, false));
    }

    COrvaneKeyboardDevice* keyboard = nullptr;
    QStringList messages;
};

TEST_F(KeySetPanel, AFunctionChosenIsNamedSavedAndWritten) {
    DeviceWindow w;
    CKeySetControlUI* panel = Start(w);
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(Control<QWidget>("KeySetControlItem")->isVisibleTo(keyboard->Page()));

    // A click on the A key shows it: a keyboard key, "A" in the key edit, no modifier.
    ClickKey(kKeyA);
    EXPECT_EQ(panel->SelectedKey(), kKeyA);
    EXPECT_TRUE(Control<QWidget>("KeySetControlItem")->isVisibleTo(keyboard->Page()));
    EXPECT_EQ(Control<QComboBox>("keyset_function_combo")->currentData().toInt(),
              kFunctionKeyboard);
    EXPECT_EQ(Control<QLineEdit>("keyset_keyboard_text_edit")->text(), "A");
    EXPECT_TRUE(Control<QAbstractButton>("key_ComBox_check_0")->isChecked());
    EXPECT_FALSE(Control<QAbstractButton>("key_butt_prosave")->isEnabled());

    // The keyboard offers neither DPI steps nor gun keys.
    auto* functions = Control<QComboBox>("keyset_function_combo");
    EXPECT_EQ(functions->count(), 10);
    EXPECT_EQ(functions->findData(kFunctionDpi), -1);
    EXPECT_EQ(functions->findData(kFunctionGun), -1);

    ChooseFunction(kFunctionMedia);
    Choose("keyset_media_combo", 1);  // play/pause
    EXPECT_EQ(Current(kKeyA), (KeyFunction{0x30, 0xCD, 0x00}));
    EXPECT_EQ(ProfileAssignment(kKeyA), 0x30CD00);
    auto* cap = qobject_cast<controls::CDeviceKeyButtonUI*>(keyboard->KeyButtons()[kKeyA]);
    EXPECT_EQ(cap->text(), "Play/Pause");
    EXPECT_TRUE(cap->toolTip().endsWith("Assigned: Play/Pause")) << cap->toolTip().toStdString();
    EXPECT_FALSE(cap->KeySetHidden());
    EXPECT_TRUE(Control<QAbstractButton>("key_butt_prosave")->isEnabled());
    // Nothing reaches the keyboard before it is written.
    EXPECT_EQ(TableAt(w, kKeyA), (Bytes{0x20, 0x00, 0x04}));

    // A number taken from an edit: wheel steps, three downwards.
    ClickKey(kKeyA + 1);  // S
    ChooseFunction(kFunctionWheel);
    Choose("keyset_mousewheel_combo", 1);
    auto* count = Control<QLineEdit>("keyset_mousewheel_num_edit");
    count->setText("3");
    emit count->returnPressed();
    EXPECT_EQ(Current(kKeyA + 1), (KeyFunction{0x12, 0x00, 0xFD}));

    EXPECT_EQ(Write(w, panel), std::make_pair(0, true));
    EXPECT_EQ(TableAt(w, kKeyA), (Bytes{0x30, 0xCD, 0x00}));
    EXPECT_EQ(TableAt(w, kKeyA + 1), (Bytes{0x12, 0x00, 0xFD}));
    EXPECT_FALSE(Control<QAbstractButton>("key_butt_prosave")->isEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // The key's default, written at once; the key cap loses its mark.
    ClickKey(kKeyA);
    Control<QAbstractButton>("key_butt_keydefalut")->click();
    w.Settle();
    EXPECT_EQ(Current(kKeyA), (KeyFunction{0x20, 0x00, 0x04}));
    EXPECT_EQ(TableAt(w, kKeyA), (Bytes{0x20, 0x00, 0x04}));
    EXPECT_EQ(cap->text(), "A");
    EXPECT_TRUE(cap->KeySetHidden());

    // On the lighting page a key click picks nothing.
    keyboard->SetFunctionPage(1);
    ClickKey(kKeyA + 2);
    EXPECT_EQ(panel->SelectedKey(), kKeyA);
}

TEST_F(KeySetPanel, TheKeyEditLearnsAPressedKey) {
    DeviceWindow w;
    CKeySetControlUI* panel = Start(w);
    panel->Capture().SetSystemCapture(nullptr);  // this machine's own keyboards stay out
    ClickKey(kKeyA);
    auto* edit = Control<QLineEdit>("keyset_keyboard_text_edit");
    QWidget* list = w.Control("device_select_layout");
    ASSERT_NE(list, nullptr);

    // Focus on the edit: the device and its profile stay put while a key is learnt.
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &in);
    EXPECT_TRUE(panel->Capturing());
    EXPECT_FALSE(list->isEnabled());
    EXPECT_FALSE(Control<QWidget>("DeviceProfileItem")->isEnabled());

    // Right Shift (Linux 54), then F5 (63), as X11 reports them (plus 8).
    for (quint32 linuxKey : {54u, 63u}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, linuxKey + 8, 0, 0);
        QCoreApplication::sendEvent(edit, &press);
    }
    EXPECT_TRUE(Control<QAbstractButton>("key_ComBox_check_2")->isChecked());
    EXPECT_EQ(edit->text(), "F5");
    EXPECT_EQ(Current(kKeyA), (KeyFunction{0x20, 0x02, 0x3E})) << "the left-hand Shift bit";
    EXPECT_EQ(keyboard->KeyButtons()[kKeyA]->property("tooltiptext").toString(),
              "Assigned: L Shift+F5");
    // A key that no row knows changes nothing.
    panel->CaptureLinuxKey(0x2FF);
    EXPECT_EQ(Current(kKeyA), (KeyFunction{0x20, 0x02, 0x3E}));

    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &out);
    EXPECT_FALSE(panel->Capturing());
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(Control<QWidget>("DeviceProfileItem")->isEnabled());
    EXPECT_TRUE(Control<QAbstractButton>("key_butt_prosave")->isEnabled())
        << "the learnt key can still be written";

    // Cancel shows the stored function again and disables the buttons.
    Control<QAbstractButton>("key_butt_keycancel")->click();
    EXPECT_FALSE(Control<QAbstractButton>("key_butt_prosave")->isEnabled());
    EXPECT_EQ(edit->text(), "F5");
}

TEST_F(KeySetPanel, TheKeyEditLearnsAKeyPressedAnywhereWhileItHasTheFocus) {
    DeviceWindow w;
    CKeySetControlUI* panel = Start(w);
    auto state = std::make_shared<FakeCapture::State>();
    panel->Capture().SetSystemCapture(std::make_unique<FakeCapture>(state));
    ClickKey(kKeyA);
    ChooseFunction(6);
    auto* edit = Control<QLineEdit>("keyset_keyboard_text_edit");
    auto* status = Control<QLabel>("keyset_capture_status_label");
    ASSERT_NE(status, nullptr);
    QWidget* list = w.Control("device_select_layout");

    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &in);
    EXPECT_TRUE(state->running);
    EXPECT_TRUE(panel->Capture().SystemWide());
    EXPECT_EQ(status->text(),
              ui::ResourceManager::GetInstance().Text("keyset_capture_system_text"));
    EXPECT_FALSE(list->isEnabled());

    // Right Shift only ticks its check: the capture waits for the key itself.
    FakeCapture::Press(*state, 0x36, true);  // as the key code table names it
    EXPECT_TRUE(Control<QAbstractButton>("key_ComBox_check_2")->isChecked());
    EXPECT_TRUE(state->running);
    EXPECT_TRUE(panel->Capturing());
    // A key typed into the window while the system-wide capture runs is not taken twice.
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, 30 + 8, 0, 0);
    QCoreApplication::sendEvent(edit, &typed);
    EXPECT_EQ(edit->text(), "A") << "the key's own function, shown before";
    FakeCapture::Press(*state, 0x3F);  // F5
    EXPECT_EQ(edit->text(), "F5");
    EXPECT_EQ(Current(kKeyA), (KeyFunction{0x20, 0x02, 0x3E}));
    EXPECT_FALSE(state->running) << "released once the key is learnt";
    EXPECT_FALSE(panel->Capturing());
    EXPECT_TRUE(list->isEnabled());
    EXPECT_EQ(status->text(), "");
}

TEST_F(KeySetPanel, TheKeyCaptureIsReleasedWhenItsReasonGoes) {
    DeviceWindow w;
    CKeySetControlUI* panel = Start(w);
    w.window->show();
    auto state = std::make_shared<FakeCapture::State>();
    panel->Capture().SetSystemCapture(std::make_unique<FakeCapture>(state));
    ClickKey(kKeyA);
    ChooseFunction(6);
    auto* edit = Control<QLineEdit>("keyset_keyboard_text_edit");
    auto* status = Control<QLabel>("keyset_capture_status_label");
    QWidget* list = w.Control("device_select_layout");
    const auto text = [](const char* key) {
        return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
    };
    const struct {
        const char* why;
        std::function<void()> act;
        QString says;
    } cases[] = {
        {"the edit loses the focus",
         [&] {
             QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
             QCoreApplication::sendEvent(edit, &out);
         },
         QString()},
        {"the window loses the focus",
         [] { emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive); },
         text("keyset_capture_focus_lost")},
        {"the input devices go away",
         [&] {
             state->ended(platform::CaptureEnd::DevicesGone);
             QCoreApplication::processEvents();
         },
         text("keyset_capture_devices_gone")},
        {"no key comes",
         [&] {
             panel->Capture().SetIdleTimeout(20);
             // The time-out counts from the start: start again with the short one.
             QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
             QCoreApplication::sendEvent(edit, &out);
             QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
             QCoreApplication::sendEvent(edit, &in);
             WaitUntil([&] { return !state->running; }, 2000);
         },
         text("keyset_capture_timed_out")},
        {"another function page hides the edit", [&] { ChooseFunction(7); }, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ChooseFunction(6);
        ASSERT_TRUE(edit->isVisible());
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(edit, &in);
        ASSERT_TRUE(state->running);
        ASSERT_FALSE(list->isEnabled());
        c.act();
        EXPECT_FALSE(state->running);
        EXPECT_FALSE(panel->Capturing());
        EXPECT_TRUE(list->isEnabled());
        EXPECT_EQ(status->text(), c.says);
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(edit, &out);
    }
    panel->Capture().SetIdleTimeout(120000);

    // The keyboard unplugged while its key is being learnt.
    ChooseFunction(6);
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &in);
    ASSERT_TRUE(state->running);
    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    w.Pass();
    EXPECT_TRUE(WaitUntil([&] { return !state->running; }, 2000));
    EXPECT_TRUE(list->isEnabled());
}

TEST_F(KeySetPanel, WithoutInputPermissionTheWindowStillLearnsAndThePanelNamesTheFix) {
    DeviceWindow w;
    CKeySetControlUI* panel = Start(w);
    auto state = std::make_shared<FakeCapture::State>();
    state->status = platform::CaptureStart::Status::NoPermission;
    state->message = platform::InputPermissionHint();
    panel->Capture().SetSystemCapture(std::make_unique<FakeCapture>(state));
    ClickKey(kKeyA);
    ChooseFunction(6);
    auto* edit = Control<QLineEdit>("keyset_keyboard_text_edit");
    auto* status = Control<QLabel>("keyset_capture_status_label");

    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &in);
    EXPECT_EQ(state->starts, 1);
    EXPECT_FALSE(panel->Capture().SystemWide());
    EXPECT_TRUE(status->text().contains("\"input\" group")) << status->text().toStdString();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, 63 + 8, 0, 0);
    QCoreApplication::sendEvent(edit, &press);
    EXPECT_EQ(edit->text(), "F5");
    EXPECT_EQ(Current(kKeyA), (KeyFunction{0x20, 0x00, 0x3E}));
    EXPECT_FALSE(panel->Capturing());
    EXPECT_TRUE(status->text().contains("\"input\" group")) << "the fix stays in view";
}

TEST_F(KeySetPanel, TheMacroImageReachesTheMacroMemory) {
    DeviceWindow w;
    AddMacro(Json::Value(Json::arrayValue));  // macro 0, unused
    Json::Value events(Json::arrayValue);
    events.append(Event(300, 1, "down", 1));
    events.append(Event(20, 10, "up", 4));
    AddMacro(events);
    CKeySetControlUI* panel = Start(w);
    ClickKey(kKeyA);
    ChooseFunction(kFunctionMacro);
    ASSERT_EQ(Control<QComboBox>("keyset_macro_combo")->count(), 2);
    Choose("keyset_macro_combo", 1);
    EXPECT_EQ(Current(kKeyA), (KeyFunction{0x70, 1, 0}));
    Choose("keyset_macro_over_combo", kMacroRepeatTimes);
    EXPECT_TRUE(Control<QWidget>("keyset_macro_cycle_layout")->isVisibleTo(keyboard->Page()));
    auto* times = Control<QLineEdit>("keyset_macro_cycle_edit");
    times->setText("5");
    emit times->returnPressed();
    EXPECT_EQ(Current(kKeyA), (KeyFunction{0x71, 1, 5}));

    EXPECT_EQ(Write(w, panel), std::make_pair(0, true));
    // The image holds the one macro the keys use, numbered 0 in the key table.
    const Bytes image = w.bus.Keyboard()->ReadMemory(sim::Region::Macros, 0, 30);
    const Bytes expected = {0xAA, 0x55, 30,   0,    1,    0,    0,    0,    0,    0,
                            0,    0,    0,    0,    0,    0,    18,   0,    2,    0,
                            0,    0,    0x2C, 0x01, 0x81, 0x01, 0x14, 0x00, 0x0A, 0x04};
    EXPECT_EQ(image, expected);
    EXPECT_EQ(TableAt(w, kKeyA), (Bytes{0x71, 0x00, 0x05}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(KeySetPanel, ATooLargeImageIsRefusedAndNothingIsSent) {
    DeviceWindow w;
    // 1100 events: 16 + 6 + 4400 bytes against 4096, 326 bytes over.
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < 1100; ++i) events.append(Event(5, 10, i % 2 ? "up" : "down", 4));
    AddMacro(events);
    CKeySetControlUI* panel = Start(w);
    ClickKey(kKeyA);
    ChooseFunction(kFunctionMacro);
    Choose("keyset_macro_combo", 0);
    const size_t macroWrites = w.bus.Keyboard()->PacketCount(kCmdWriteMacros);
    const size_t tableWrites = w.bus.Keyboard()->PacketCount(kCmdWriteKeyTable);

    const auto [upload, tableWritten] = Write(w, panel);
    EXPECT_EQ(upload, (326 >> 2) + 1);
    EXPECT_FALSE(tableWritten);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains("too large") && messages.front().contains("82"))
        << messages.front().toStdString();
    EXPECT_EQ(w.bus.Keyboard()->PacketCount(kCmdWriteMacros), macroWrites);
    EXPECT_EQ(w.bus.Keyboard()->PacketCount(kCmdWriteKeyTable), tableWrites);
    EXPECT_EQ(TableAt(w, kKeyA), (Bytes{0x20, 0x00, 0x04}));
    EXPECT_TRUE(Control<QAbstractButton>("key_butt_prosave")->isEnabled()) << "it can be retried";

    // A keyboard that is gone: the user is told, the profile keeps the key.
    messages.clear();
    Choose("keyset_function_combo", 0);  // default
    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    w.Pass();
    EXPECT_FALSE(Write(w, panel).second);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().startsWith("The key assignments did not reach the device"))
        << messages.front().toStdString();
}

TEST_F(KeySetPanel, AKeyWithoutAShownFunctionHidesTheSection) {
    DeviceWindow w;
    CKeySetControlUI* panel = Start(w);
    // The function key (A0 01 00) has nothing the panel can show.
    ASSERT_TRUE(panel->SelectKey(kFunctionKeyIndex));
    EXPECT_FALSE(Control<QWidget>("keyset_layout")->isVisibleTo(keyboard->Page()));
    ASSERT_TRUE(panel->SelectKey(kKeyA));
    EXPECT_TRUE(Control<QWidget>("keyset_layout")->isVisibleTo(keyboard->Page()));
    EXPECT_FALSE(panel->SelectKey(500));
    EXPECT_EQ(panel->SelectedKey(), kKeyA);
}

}  // namespace
}  // namespace qx::devices
