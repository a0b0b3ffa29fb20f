// The mouse's buttons on its page against the simulated mouse: the button list and tooltips,
// picking a button from the list and the picture's rubber band, the left-button guard, giving
// buttons a combination and a macro, and writing them (key table and macro memory of the
// simulated mouse); and the lighting previews of the mouse and the pad.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <filesystem>

#include "controls/device_key_button.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/user_message.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "devices/pad/orvane_mouse_pad_device.h"
#include "devices/panels/key_set_control_ui.h"
#include "devices/panels/macro_control_ui.h"
#include "macros/macro_store.h"
#include "sim/mouse_firmware.h"
#include "sim/sim_setup.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;
using Bytes = std::vector<uint8_t>;

const auto kRows = sim::WithSimulatorIdentities(kSupportedDevices);
constexpr int kForward = 3;
constexpr int kBack = 4;

class MouseKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(UserDeviceFolder("mouse"));
        std::filesystem::remove_all(UserDeviceFolder("MousePad"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        SetUserMessageSink([this](const QString& text) { messages << text; });
    }
    void TearDown() override { SetUserMessageSink({}); }

    CKeySetControlUI* Start(DeviceWindow& w) {
        w.Start();
        EXPECT_TRUE(w.bus.Plug("mouse"));
        w.Pass();
        mouse = dynamic_cast<COrvaneMouseDevice*>(w.controller->Mice().front());
        EXPECT_TRUE(
            WaitUntil([&] { return mouse->ProfileLoaded() && !mouse->ButtonMap().empty(); }));
        w.Settle();
        return CKeySetControlUI::Of(mouse);
    }

    template <class T>
    T* Control(const char* name) {
        return mouse->Page()->findChild<T*>(QString::fromLatin1(name));
    }
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
    void ClickRow(int row) {
        mouse->Manager()->SendNotify(mouse->ButtonList(), QStringLiteral("itemclick"), row);
    }
    QString RowText(int row, const char* part) {
        auto* label = Control<QLabel>(
            QStringLiteral("device_setkeyinfo_%1_%2").arg(part).arg(row).toLatin1().constData());
        return label != nullptr ? label->text() : QStringLiteral("<none>");
    }
    KeyFunction Current(int button) {
        return KeyFunction::Of(mouse->KeyList()[static_cast<size_t>(button)].current);
    }
    Bytes TableAt(DeviceWindow& w, int button) {
        return w.bus.CommandFirmware("mouse")->ReadMemory(
            sim::Region::KeyTable,
            sim::MouseFirmware::PositionOfButton(static_cast<size_t>(button)) * 3, 3);
    }
    static Json::Value Event(int delay, int type, const char* action, int button) {
        Json::Value event(Json::objectValue);
        event["Delay"] = std::to_string(delay);
        event["Type"] = type;
        event["Action"] = action;
        event["Button"] = button;
        return event;
    }
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

    COrvaneMouseDevice* mouse = nullptr;
    QStringList messages;
};

TEST_F(MouseKeys, ListNamesEveryButtonAndPicksTheOneClicked) {
    DeviceWindow w(kRows);
    CKeySetControlUI* panel = Start(w);
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(mouse->ButtonList(), nullptr);
    ASSERT_NE(mouse->MacroPanel(), nullptr) << "the macro editor is on the mouse's page";

    // One row per logical button, each with its name and its function.
    EXPECT_EQ(mouse->ButtonList()->count(), 11);
    EXPECT_EQ(RowText(0, "title"), "Left button");
    EXPECT_EQ(RowText(0, "text"), "Left button");
    EXPECT_EQ(RowText(5, "title"), "DPI up");
    EXPECT_EQ(RowText(kForward, "text"), "Forward");
    EXPECT_FALSE(mouse->ButtonList()->item(kForward)->isHidden());
    const QWidget* forward = mouse->KeyButtons()[kForward];
    EXPECT_EQ(forward->property("tooltiptitle").toString(), "Forward");
    EXPECT_EQ(forward->property("tooltiptext").toString(), "Forward");

    // The only left button cannot be picked: one button always keeps the left click.
    ClickRow(0);
    EXPECT_EQ(panel->SelectedKey(), -1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], ui::ResourceManager::GetInstance().Text("message_text_6"));

    // A row picks its button and takes the page to the keys tab; the panel shows its function.
    ClickRow(kForward);
    EXPECT_EQ(panel->SelectedKey(), kForward);
    EXPECT_EQ(mouse->GetFunctionPage(), 2);
    EXPECT_TRUE(Control<QWidget>("KeySetControlItem")->isVisibleTo(mouse->Page()));
    EXPECT_EQ(Control<QComboBox>("keyset_function_combo")->currentData().toInt(),
              kFunctionMouseButton);
    // A mouse button is offered every function, DPI steps and gun keys too.
    EXPECT_EQ(Control<QComboBox>("keyset_function_combo")->count(), 12);

    // The picture's rubber band on the keys tab picks the first button it touched.
    auto* dpiUp = qobject_cast<controls::CDeviceKeyButtonUI*>(mouse->KeyButtons()[5]);
    auto* dpiDown = qobject_cast<controls::CDeviceKeyButtonUI*>(mouse->KeyButtons()[6]);
    dpiUp->SetSelected(true);
    dpiDown->SetSelected(true);
    mouse->Manager()->SendNotify(mouse->SelectPanel(), QStringLiteral("click_select_end"));
    EXPECT_EQ(panel->SelectedKey(), 5);
    EXPECT_EQ(mouse->ButtonList()->currentRow(), 5);
    // On the lighting tab it picks nothing.
    mouse->SetFunctionPage(1);
    dpiUp->SetSelected(false);
    mouse->Manager()->SendNotify(mouse->SelectPanel(), QStringLiteral("click_select_end"));
    EXPECT_EQ(panel->SelectedKey(), 5);
    EXPECT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
}

TEST_F(MouseKeys, CombinationAndMacroReachTheMousesKeyTableAndMacroMemory) {
    // Two macros in the mouse's folder; the second is the one the button takes.
    {
        MacroStore store(UserDeviceFolder("mouse"));
        Json::Value events(Json::arrayValue);
        events.append(Event(10, 1, "down", 4));
        events.append(Event(20, 1, "up", 4));
        for (int i = 0; i < 2; ++i) {
            const std::optional<MacroInfo> macro = store.AddMacro();
            ASSERT_TRUE(macro);
            ASSERT_TRUE(store.SaveMacro(*macro, events));
        }
    }
    DeviceWindow w(kRows);
    CKeySetControlUI* panel = Start(w);
    ASSERT_EQ(mouse->MacroNames().size(), 2);

    // Forward becomes Ctrl+C from the combination list.
    ClickRow(kForward);
    ChooseFunction(kFunctionCombination);
    Choose("keyset_combokey_combo", 4);
    EXPECT_EQ(Current(kForward), (KeyFunction{0x20, 0x01, 0x06}));
    EXPECT_EQ(RowText(kForward, "text"), "L Ctrl+C");
    EXPECT_EQ(mouse->KeyButtons()[kForward]->property("tooltiptext").toString(), "L Ctrl+C");

    // Back plays the second macro once.
    ClickRow(kBack);
    ChooseFunction(kFunctionMacro);
    Choose("keyset_macro_combo", 1);
    Choose("keyset_macro_over_combo", 0);
    EXPECT_EQ(Current(kBack), (KeyFunction{0x70, 0x01, 0x00}));
    EXPECT_EQ(RowText(kBack, "text"), mouse->MacroNames()[1]);
    // Nothing reaches the mouse before it is written.
    EXPECT_EQ(TableAt(w, kForward), (Bytes{0x10, 0x10, 0x00}));

    EXPECT_EQ(Write(w, panel), std::make_pair(0, true));
    EXPECT_EQ(TableAt(w, kForward), (Bytes{0x20, 0x01, 0x06}));
    // The device numbers the macros it holds from 0: the second macro is its first.
    EXPECT_EQ(TableAt(w, kBack), (Bytes{0x70, 0x00, 0x00}));
    const Bytes image = w.bus.CommandFirmware("mouse")->ReadMemory(sim::Region::Macros, 0, 4);
    EXPECT_EQ(image[0], 0xAA);
    EXPECT_EQ(image[1], 0x55);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // The default comes back on the button and in its row.
    ClickRow(kForward);
    Control<QAbstractButton>("key_butt_keydefalut")->click();
    w.Settle();
    EXPECT_EQ(Current(kForward), (KeyFunction{0x10, 0x10, 0x00}));
    EXPECT_EQ(RowText(kForward, "text"), "Forward");
}

TEST_F(MouseKeys, LightingReachesThePreviewsOfMouseAndPad) {
    DeviceWindow w(kRows);
    Start(w);
    EXPECT_TRUE(w.bus.Plug("pad"));
    w.Pass();
    auto* pad = dynamic_cast<COrvaneMousePadDevice*>(w.controller->MousePads().front());
    ASSERT_TRUE(WaitUntil([&] { return pad->ProfileLoaded() && pad->MirrorRead(); }));
    w.Settle();

    for (COrvaneUSBDevice* device :
         {static_cast<COrvaneUSBDevice*>(mouse), static_cast<COrvaneUSBDevice*>(pad)}) {
        LightInfoRecord record = device->LightRecord();
        record.selectItem = 3;  // static
        record.light = 2;
        record.speed = 1;
        record.red = 200;
        record.green = 10;
        record.blue = 30;
        std::optional<QString> outcome;
        device->ChangeLighting(record, [&outcome](const QString& error) { outcome = error; });
        ASSERT_TRUE(WaitUntil([&] {
            w.Settle();
            return outcome.has_value();
        }));
        EXPECT_TRUE(outcome->isEmpty()) << outcome->toStdString();
        const lighting::LightSettings shown = device->Lighting()->Settings();
        EXPECT_EQ(shown.effectId, 3) << static_cast<int>(device->Kind());
        EXPECT_EQ(shown.brightness, 2);
        EXPECT_EQ(shown.speed, 1);
        EXPECT_EQ(shown.colour.red, 200);
        EXPECT_EQ(shown.colour.blue, 30);
        // The frame shows it: every LED of the static effect in the chosen colour.
        ASSERT_TRUE(WaitUntil([&] {
            device->Lighting()->Pass();
            return device->Frame().leds[0].red == 200;
        })) << static_cast<int>(device->Kind());
    }

    // The pad previews the effect its block holds when it reports another one.
    const uint8_t block[] = {0, 1, 2, 3};  // colour cycle, brightness 2, speed 4 - 3
    w.bus.Pad()->WriteMemory(sim::Region::Config, 0, block);
    pad->Post([pad] { pad->RefreshFromDevice(); });
    w.Settle();
    EXPECT_EQ(pad->Lighting()->Settings().effectId, 1);
    EXPECT_EQ(pad->Lighting()->Settings().speed, 1);
}

}  // namespace
}  // namespace qx::devices
