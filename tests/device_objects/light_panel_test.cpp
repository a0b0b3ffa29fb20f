// The lighting panel against the simulated keyboard and headset: each effect chosen in the combo
// reaches the keyboard's settings block and the profile with its name shown; the sections follow
// the kind's table; colours from swatches, edits and the palette window; custom colours picked
// with the rubber band and the custom-colour groups.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <filesystem>

#include "controls/device_key_button.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/user_message.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/panels/light_control_ui.h"
#include "sim/keyboard_firmware.h"
#include "sim/sim_control.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;

class LightPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(UserDeviceFolder("keyboard"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        SetUserMessageSink([this](const QString& text) { messages << text; });
    }
    void TearDown() override {
        SetUserMessageSink({});
        CLightControlUI::SetColourDialog({});
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

    template <class T>
    static T* Control(COrvaneUSBDevice* device, const char* name) {
        return device->Page()->findChild<T*>(QString::fromLatin1(name));
    }
    static uint8_t BlockByte(const DeviceWindow& w, size_t k) {
        return w.bus.Keyboard()->ReadMemory(sim::Region::Config, k, 1).at(0);
    }
    // The user's pick in the combo, as the toolkit reports it.
    static void Pick(DeviceWindow& w, QComboBox* combo, int index) {
        combo->setCurrentIndex(index);
        w.paintManager->SendNotify(combo, QStringLiteral("itemselect"), index);
        w.Settle();
    }
    static int SavedEffect(const COrvaneKeyboardDevice* keyboard) {
        const Json::Value profile = ReadJsonFile(keyboard->ProfilePath());
        return json::ToInt(json::Get(
            json::Get(json::At(json::Get(profile, "Device"), 0), "LightInfo"), "SelectItem"));
    }

    QStringList messages;
};

TEST_F(LightPanel, EveryEffectReachesTheBlockAndTheProfileWithItsName) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    auto* combo = Control<QComboBox>(keyboard, "light_combo_modeSelect");
    ASSERT_NE(combo, nullptr);
    const LightModeList list = ReadLightModeList(keyboard->GetModelIndex());
    ASSERT_EQ(combo->count(), list.names.size());
    auto* view = qobject_cast<QListView*>(combo->view());
    for (int id = 0; id < combo->count(); ++id) {
        SCOPED_TRACE(id);
        // The name in the user's language; an effect not offered keeps its place, hidden.
        EXPECT_EQ(combo->itemText(id), ui::ResourceManager::GetInstance().Text(list.names[id]));
        EXPECT_NE(combo->itemText(id), list.names[id]) << "a text for every effect name";
        EXPECT_EQ(view->isRowHidden(id), !list.visible[size_t(id)]);
        if (!list.visible[size_t(id)]) continue;
        Pick(w, combo, id);
        const int code = list.codes[size_t(id)];
        EXPECT_EQ(BlockByte(w, 1), code == 29 || code == 30 ? 254 : code);
        EXPECT_EQ(keyboard->LightInfo().selectItem, id);
        EXPECT_EQ(SavedEffect(keyboard), id);
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(LightPanel, SlidersDirectionSwatchAndEditsAreStoredAndWritten) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    Pick(w, Control<QComboBox>(keyboard, "light_combo_modeSelect"), 1);
    auto* speed = Control<QAbstractSlider>(keyboard, "deng_speed_slider");
    auto* brightness = Control<QAbstractSlider>(keyboard, "deng_light_slider");
    ASSERT_EQ(speed->maximum(), 4);
    w.paintManager->SendNotify(speed, QStringLiteral("valuechanged"), 4);
    w.paintManager->SendNotify(brightness, QStringLiteral("valuechanged"), 2);
    w.Settle();
    EXPECT_EQ(BlockByte(w, 3), 0) << "speed 4 is written as 0";
    EXPECT_EQ(BlockByte(w, 2), 2);
    w.paintManager->SendNotify(speed, QStringLiteral("valuechanged"), 0);
    w.Settle();
    EXPECT_EQ(BlockByte(w, 3), 4) << "speed 0 is written as 4";

    // The direction already chosen, clicked again, is stored and written all the same.
    auto* first = Control<QAbstractButton>(keyboard, "deng_FXL_check");
    auto* second = Control<QAbstractButton>(keyboard, "deng_FXR_check");
    second->click();
    w.Settle();
    EXPECT_EQ(BlockByte(w, 4), 0);
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(w.bus.ClearRequests("keyboard"));
    second->click();
    w.Settle();
    EXPECT_FALSE(w.bus.Requests("keyboard").requests.empty());
    first->click();
    w.Settle();
    EXPECT_EQ(BlockByte(w, 4), 1);

    // Colourful on, then a swatch: its colour, colourful off on the page and on the device.
    auto* colourful = Control<QAbstractButton>(keyboard, "deng_7color_check");
    const bool was = colourful->isChecked();
    colourful->click();
    w.Settle();
    EXPECT_EQ(BlockByte(w, 5), was ? 0 : 1);
    if (!colourful->isChecked()) {
        colourful->click();
        w.Settle();
    }
    EXPECT_EQ(BlockByte(w, 5), 1);
    Control<QAbstractButton>(keyboard, "color_option_1")->click();  // #FF8000
    w.Settle();
    EXPECT_FALSE(colourful->isChecked());
    EXPECT_EQ(BlockByte(w, 5), 0);
    EXPECT_EQ(BlockByte(w, 6), 0xFF);
    EXPECT_EQ(BlockByte(w, 7), 0x80);
    EXPECT_EQ(BlockByte(w, 8), 0x00);
    EXPECT_EQ(Control<QLineEdit>(keyboard, "deng_edit_G")->text(), "128");
    EXPECT_EQ(keyboard->LightPanel()->GetPaletteColour(), 0xFFFF8000u);

    // Edits: above 255 is 255 and shown so; empty is 0.
    struct EditCase {
        const char* edit;
        const char* typed;
        const char* shown;
        size_t byte;
        uint8_t value;
    };
    for (const EditCase& c :
         {EditCase{"deng_edit_R", "300", "255", 6, 255}, EditCase{"deng_edit_G", "", "0", 7, 0},
          EditCase{"deng_edit_B", "77", "77", 8, 77}}) {
        SCOPED_TRACE(c.edit);
        auto* edit = Control<QLineEdit>(keyboard, c.edit);
        edit->setText(QString::fromLatin1(c.typed));
        w.paintManager->SendNotify(edit, QStringLiteral("killfocus"));
        w.Settle();
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(BlockByte(w, c.byte), c.value);
    }
    EXPECT_EQ(BlockByte(w, 6), 255) << "the other components stay";
    EXPECT_EQ(keyboard->LightPanel()->GetPaletteColour(), 0xFFFF004Du);

    // The colour button's palette window: a colour taken (1) is applied, a close (0) is not.
    CLightControlUI::SetColourDialog([](QWidget*, uint32_t, uint32_t* chosen) {
        *chosen = 0xFF102030u;
        return 1;
    });
    Control<QAbstractButton>(keyboard, "deng_colordp_btn")->click();
    w.Settle();
    EXPECT_EQ(BlockByte(w, 6), 0x10);
    EXPECT_EQ(BlockByte(w, 8), 0x30);
    CLightControlUI::SetColourDialog([](QWidget*, uint32_t, uint32_t* chosen) {
        *chosen = 0xFFFFFFFFu;
        return 0;
    });
    Control<QAbstractButton>(keyboard, "deng_colordp_btn")->click();
    w.Settle();
    EXPECT_EQ(BlockByte(w, 6), 0x10);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(LightPanel, AChangeTheKeyboardDoesNotTakeIsToldAndTheWindowGoesOn) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    ASSERT_TRUE(sim::SetDeviceFault(w.bus, "keyboard", "status-ff", 0).Ok());
    Pick(w, Control<QComboBox>(keyboard, "light_combo_modeSelect"), 5);
    ASSERT_TRUE(WaitUntil([&] { return !messages.isEmpty(); }));
    EXPECT_TRUE(messages.front().contains("refused")) << messages.front().toStdString();
    ASSERT_TRUE(sim::SetDeviceFault(w.bus, "keyboard", "none", 0).Ok());
}

TEST(LightSections, EachKindShowsTheSectionsOfItsTable) {
    using S = SectionState;
    struct Case {
        DeviceKind kind;
        int effect;
        bool sameMode;
        S colourful, colour, brightness, speed, direction;
        bool sameShown;
    };
    const Case cases[] = {
        {DeviceKind::KeyboardWired, 1, true, S::Enabled, S::Enabled, S::Enabled, S::Enabled,
         S::Enabled, false},
        {DeviceKind::KeyboardWired, 5, false, S::Disabled, S::Enabled, S::Enabled, S::Hidden,
         S::Hidden, false},
        {DeviceKind::KeyboardWired, 24, false, S::Enabled, S::Enabled, S::Enabled, S::Enabled,
         S::Hidden, false},
        {DeviceKind::KeyboardWired, 28, false, S::Disabled, S::Disabled, S::Disabled, S::Disabled,
         S::Hidden, false},
        {DeviceKind::KeyboardWireless, 99, true, S::Disabled, S::Disabled, S::Disabled, S::Disabled,
         S::Hidden, false},
        {DeviceKind::MouseWired, 0, false, S::Enabled, S::Enabled, S::Enabled, S::Enabled,
         S::Enabled, false},
        {DeviceKind::MouseWired, 3, true, S::Disabled, S::Enabled, S::Enabled, S::Disabled,
         S::Disabled, true},
        {DeviceKind::MouseWired, 9, false, S::Disabled, S::Disabled, S::Disabled, S::Disabled,
         S::Disabled, true},
        {DeviceKind::Headset, 2, false, S::Enabled, S::Enabled, S::Enabled, S::Enabled, S::Disabled,
         false},
        {DeviceKind::MousePad, 1, false, S::Disabled, S::Disabled, S::Enabled, S::Enabled,
         S::Enabled, false},
        {DeviceKind::MousePad, 8, false, S::Disabled, S::Disabled, S::Disabled, S::Disabled,
         S::Disabled, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.kind) << " effect " << c.effect);
        const LightSections s = SectionsFor(c.kind, c.effect, c.sameMode);
        EXPECT_EQ(s.colourful, c.colourful);
        EXPECT_EQ(s.colour, c.colour);
        EXPECT_EQ(s.brightness, c.brightness);
        EXPECT_EQ(s.speed, c.speed);
        EXPECT_EQ(s.direction, c.direction);
        EXPECT_EQ(s.sameModeShown, c.sameShown);
    }
    // The extra choices and labels of a few keyboard effects.
    EXPECT_TRUE(SectionsFor(DeviceKind::KeyboardWired, 21, false).customShown);
    EXPECT_TRUE(SectionsFor(DeviceKind::KeyboardWired, 45, false).presetShown);
    EXPECT_FALSE(SectionsFor(DeviceKind::KeyboardWired, 45, false).colourLayoutEnabled);
    EXPECT_EQ(SectionsFor(DeviceKind::KeyboardWired, 29, false).colourTabPage, 1);
    EXPECT_STREQ(SectionsFor(DeviceKind::KeyboardWired, 3, false).firstDirectionKey,
                 "light_set_outside_to_inside_text");
    EXPECT_STREQ(SectionsFor(DeviceKind::KeyboardWired, 19, false).secondDirectionKey,
                 "light_set_up_to_down_text");
}

TEST_F(LightPanel, ThePageFollowsTheEffectsSections) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    auto* combo = Control<QComboBox>(keyboard, "light_combo_modeSelect");
    auto* fx = Control<QWidget>(keyboard, "deng_fx_layout");
    auto* speed = Control<QWidget>(keyboard, "deng_speed_layout");
    auto* custom = Control<QWidget>(keyboard, "lightcustom_layout");
    auto* direction = Control<QAbstractButton>(keyboard, "deng_FXL_check");
    Pick(w, combo, 3);
    EXPECT_FALSE(fx->isHidden());
    EXPECT_TRUE(fx->isEnabled());
    EXPECT_EQ(direction->text(), "Outside in");
    EXPECT_FALSE(Control<QWidget>(keyboard, "light_color_layout")->isEnabled());
    Pick(w, combo, 21);
    EXPECT_TRUE(fx->isHidden());
    EXPECT_TRUE(speed->isHidden());
    EXPECT_FALSE(custom->isHidden());
    EXPECT_EQ(direction->text(), "Right to left");
    Pick(w, combo, 6);
    EXPECT_TRUE(custom->isHidden());
    EXPECT_FALSE(speed->isHidden());
    EXPECT_TRUE(Control<QWidget>(keyboard, "deng_same_mode")->isHidden());
}

TEST_F(LightPanel, RubberBandInCustomColoursSetsTheKeysAndTheirMaskBits) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    Pick(w, Control<QComboBox>(keyboard, "light_combo_modeSelect"), 21);
    // The panel's colour for the picked keys.
    auto* red = Control<QLineEdit>(keyboard, "deng_edit_R");
    red->setText("200");
    w.paintManager->SendNotify(red, QStringLiteral("killfocus"));
    w.Settle();
    const uint8_t r = keyboard->Light().colour.red;
    ASSERT_EQ(r, 200);
    for (QWidget* b : keyboard->KeyButtons()) {
        if (auto* key = qobject_cast<controls::CDeviceKeyButtonUI*>(b)) key->SetSelected(false);
    }
    const std::vector<int> picked = {1, 22, 43};
    for (int key : picked)
        qobject_cast<controls::CDeviceKeyButtonUI*>(keyboard->KeyButtons()[size_t(key)])
            ->SetSelected(true);
    EXPECT_TRUE(w.bus.ClearRequests("keyboard"));
    w.paintManager->SendNotify(keyboard->SelectPanel(), QStringLiteral("click_select_end"));
    w.Settle();
    int maskWrites = 0;
    for (const sim::LoggedRequest& request : w.bus.Requests("keyboard").requests)
        maskWrites += request.Command() == kCmdWriteKeyMask ? 1 : 0;
    EXPECT_EQ(maskWrites, 1) << "one mask for the whole selection";
    const std::vector<uint8_t> mask = w.bus.Keyboard()->ReadMemory(sim::Region::KeyMask, 0, 21);
    ASSERT_EQ(mask.size(), 21u);
    const KeyPositionMaps maps = keyboard->PositionMaps();
    for (int key : picked) {
        SCOPED_TRACE(key);
        EXPECT_EQ(keyboard->GetLed(key).first & 0xFF, 200u);
        const int k = maps.colour[size_t(key)];
        ASSERT_LT(k, 168);
        EXPECT_TRUE(mask[size_t(k % 21)] & (1 << (k / 21)));
    }
    EXPECT_NE(keyboard->GetLed(2).first & 0xFF, 200u) << "a key outside the band keeps its colour";
    // Saved in the profile's group.
    const Json::Value profile = ReadJsonFile(keyboard->ProfilePath());
    const Json::Value& cell = json::At(
        json::At(json::Get(json::Get(json::At(json::Get(profile, "Device"), 0), "CustomLightMode"),
                           "LightColorInfo"),
                 keyboard->LightInfo().customGroup),
        22);
    EXPECT_EQ(json::ToInt(json::Get(cell, "Red")), 200);
    EXPECT_EQ(json::ToInt(json::Get(cell, "IsBright")), 1);

    // Another group: its (still white) colours, the block's byte 25.
    Pick(w, Control<QComboBox>(keyboard, "light_combo_custommodeSelect"), 2);
    EXPECT_EQ(BlockByte(w, 25), 2);
    EXPECT_EQ(keyboard->LightInfo().customGroup, 2);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

}  // namespace
}  // namespace qx::devices
