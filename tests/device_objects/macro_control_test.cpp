// The macro editor on the keyboard's page against the simulated keyboard: deleting a macro
// renumbers the keys of every profile and rewrites the keyboard; recording from in-window
// events, and the capture released when the window loses the focus.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QTableWidget>

#include <filesystem>

#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/user_message.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/panels/input_capture_session.h"
#include "devices/panels/macro_control_ui.h"
#include "macros/macro_event.h"
#include "macros/macro_store.h"
#include "profiles/profile_manager.h"
#include "sim/keyboard_firmware.h"
#include "sim/keyboard_layout.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;

class MacroControl : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(UserDeviceFolder("keyboard"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        SetUserMessageSink([this](const QString& text) { messages << text; });
        CMacroControlUI::SetConfirm([this](const QString& text) {
            questions << text;
            return answers.isEmpty() ? true : answers.takeFirst();
        });
    }
    void TearDown() override {
        SetUserMessageSink({});
        CMacroControlUI::SetConfirm({});
    }

    COrvaneKeyboardDevice* Contact(DeviceWindow& w) {
        w.Start();
        EXPECT_TRUE(w.bus.Plug("keyboard"));
        w.Pass();
        auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(w.controller->Keyboards().front());
        EXPECT_TRUE(WaitUntil([&] { return keyboard->KeyList().size() == 170; }));
        w.Settle();
        return keyboard;
    }

    static CMacroControlUI* Editor(COrvaneKeyboardDevice* keyboard) {
        return keyboard->Page()->findChild<CMacroControlUI*>();
    }

    static int KeyMacro(const std::filesystem::path& profile, int key) {
        const Json::Value document = ReadJsonFile(profile);
        return json::ToInt(json::Get(
            json::At(json::Get(json::At(json::Get(document, "Device"), 0), "KeyList"), key),
            "Assignment"));
    }

    QStringList messages, questions;
    QList<bool> answers;
};

TEST_F(MacroControl, DeletingAMacroRenumbersEveryProfileAndRewritesTheKeyboard) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    CMacroControlUI* editor = Editor(keyboard);
    ASSERT_NE(editor, nullptr);
    for (int i = 0; i < 4; ++i) editor->AddMacro();
    MacroStore store(UserDeviceFolder("keyboard"));
    ASSERT_EQ(store.ReadMacroList().size(), 4u);
    for (const MacroInfo& info : store.ReadMacroList()) {
        ASSERT_TRUE(store.SaveMacro(info, [] {
            Json::Value events(Json::arrayValue);
            events.append(MakeMacroEvent(4, true, kEventKey, 10));
            return events;
        }()));
    }
    // Keys 0-3 play macros 0-3, in the current profile and in a copy of it.
    Json::Value document = ReadJsonFile(keyboard->ProfilePath());
    Json::Value& keys = json::Slot(json::SlotAt(json::Slot(document, "Device"), 0), "KeyList");
    for (int k = 0; k < 4; ++k)
        json::Slot(json::SlotAt(keys, k), "Assignment") = 0x700000 + k * 0x100;
    ASSERT_TRUE(WriteJsonFile(keyboard->ProfilePath(), document));
    ProfileManager profiles;
    profiles.SetDeviceKind(keyboard->Kind());
    profiles.SetFolders(UserDeviceFolder("keyboard"), keyboard->DefaultProfilePath());
    ASSERT_TRUE(profiles.InitProfileList());
    ASSERT_TRUE(profiles.CopyProfile());
    const std::filesystem::path other = profiles.GetProfilePathAt(profiles.GetProfileCount() - 1);
    ASSERT_NE(other, keyboard->ProfilePath());
    ASSERT_EQ(keyboard->LoadProfile(), 1);
    const int defaultOfKey1 = keyboard->KeyList()[1].defaults.Value();

    // Cancelling the second question leaves everything.
    auto* names = keyboard->Page()->findChild<QListWidget*>(QStringLiteral("macro_name_list"));
    ASSERT_NE(names, nullptr);
    names->setCurrentRow(1);
    answers = {true, false};
    editor->DeleteMacro();
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(store.ReadMacroList().size(), 4u);
    EXPECT_EQ(KeyMacro(other, 2), 0x700200);

    answers = {true, true};
    editor->DeleteMacro();
    w.Settle();
    ASSERT_EQ(store.ReadMacroList().size(), 3u);
    for (const auto& profile : {keyboard->ProfilePath(), other}) {
        EXPECT_EQ(KeyMacro(profile, 0), 0x700000) << profile;
        EXPECT_EQ(KeyMacro(profile, 1), defaultOfKey1) << profile;
        EXPECT_EQ(KeyMacro(profile, 2), 0x700100) << profile;
        EXPECT_EQ(KeyMacro(profile, 3), 0x700200) << profile;
    }
    EXPECT_EQ(keyboard->KeyList()[3].current.Value(), 0x700200);
    // The keyboard took the renumbered table: key 1 back to its factory code.
    EXPECT_EQ(w.bus.Keyboard()->KeyAt(sim::KeyboardPositionOf(1)), sim::FactoryKeyCode(1));
    EXPECT_EQ(names->count(), 3);
}

// A key of the window as X11 and Wayland report it (kernel key code + 8).
void SendKey(QWidget* target, QEvent::Type type, unsigned linuxKey, bool autoRepeat = false) {
    QKeyEvent event(type, 0, Qt::NoModifier, linuxKey + 8, 0, 0, QString(), autoRepeat);
    QApplication::sendEvent(target, &event);
}

TEST_F(MacroControl, RecordsKeysOfTheWindowAndStopsWhenTheFocusGoes) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    CMacroControlUI* editor = Editor(keyboard);
    ASSERT_NE(editor, nullptr);
    editor->AddMacro();
    editor->Capture().SetSystemCapture(nullptr);  // this machine's own keyboards stay out
    editor->StartRecording(macros::DelayMode::None, macros::Placement::Append);
    ASSERT_TRUE(editor->Capture().Running());
    auto* stop =
        keyboard->Page()->findChild<QAbstractButton*>(QStringLiteral("macro_btn_stopredio"));
    ASSERT_NE(stop, nullptr);
    EXPECT_FALSE(stop->isHidden());

    QWidget* target = keyboard->Page();
    SendKey(target, QEvent::KeyPress, KEY_A);
    SendKey(target, QEvent::KeyPress, KEY_A, true);
    SendKey(target, QEvent::KeyRelease, KEY_A);
    SendKey(target, QEvent::KeyPress, KEY_RIGHTALT);
    SendKey(target, QEvent::KeyPress, KEY_F24);
    ASSERT_EQ(editor->Rows().Count(), 3);
    EXPECT_EQ(editor->Rows().At(0)["Button"].asInt(), 4);
    EXPECT_EQ(editor->Rows().At(1)["Action"].asString(), "up");
    EXPECT_EQ(editor->Rows().At(2)["Type"].asInt(), 9);
    EXPECT_EQ(editor->Rows().At(2)["Button"].asInt(), 64);  // right Alt

    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(editor->Capture().Running());
    EXPECT_TRUE(stop->isHidden());
    SendKey(target, QEvent::KeyPress, KEY_ENTER);
    EXPECT_EQ(editor->Rows().Count(), 3);
}

TEST_F(MacroControl, SingleKeyCaptureGivesOneKeyThenEnds) {
    QWidget window;
    InputCaptureSession session;
    session.SetSystemCapture(nullptr);
    std::vector<macros::ScanKey> keys;
    std::vector<InputCaptureSession::EndReason> ends;
    QObject::connect(&session, &InputCaptureSession::KeyCaptured,
                     [&](macros::ScanKey key) { keys.push_back(key); });
    QObject::connect(&session, &InputCaptureSession::Ended,
                     [&](InputCaptureSession::EndReason why) { ends.push_back(why); });
    session.StartSingleKey(&window);
    SendKey(&window, QEvent::KeyRelease, KEY_A);
    SendKey(&window, QEvent::KeyPress, KEY_KPENTER);
    SendKey(&window, QEvent::KeyPress, KEY_B);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].scanCode, 0x1C);
    EXPECT_TRUE(keys[0].extended);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0], InputCaptureSession::EndReason::KeyCaptured);

    session.SetIdleTimeout(10);
    session.StartSingleKey(&window);
    EXPECT_TRUE(WaitUntil([&] { return !session.Running(); }, 2000));
    EXPECT_EQ(ends.back(), InputCaptureSession::EndReason::TimedOut);
}

}  // namespace
}  // namespace qx::devices
