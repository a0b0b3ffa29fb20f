// The audio section of the lighting panel on the simulated keyboard: shown for the sound effects,
// each control's change stored in the keyboard's profile (style, the edited colour chosen with
// the two checks, the colourful flag, swatches, edits, palette window, no background), the
// colour layouts off for the rings; missing controls give their error texts. The style window:
// its presets, names and sliders, OK saving the presets file (other members kept), cancel not.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <filesystem>
#include <vector>

#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/user_message.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/panels/light_control_ui.h"
#include "devices/panels/music_wnd.h"
#include "devices/panels/sound_styles.h"
#include "platform/user_folders.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;

class AudioSection : public ::testing::Test {
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
    static void Pick(DeviceWindow& w, QComboBox* combo, int index) {
        combo->setCurrentIndex(index);
        w.paintManager->SendNotify(combo, QStringLiteral("itemselect"), index);
        w.Settle();
    }
    // The profile file's "AudioLightInfo".
    static Json::Value Saved(const COrvaneKeyboardDevice* keyboard) {
        const Json::Value profile = ReadJsonFile(keyboard->ProfilePath());
        return json::Get(json::At(json::Get(profile, "Device"), 0), "AudioLightInfo");
    }

    QStringList messages;
};

TEST_F(AudioSection, ShownForTheSoundEffectsOnly) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    auto* effects = Control<QComboBox>(keyboard, "light_combo_modeSelect");
    auto* styles = Control<QWidget>(keyboard, "light_combo_AudiomodeSelectLayout");
    auto* capture = Control<QWidget>(keyboard, "light_audio_capture_layout");
    auto* tabs = Control<QStackedWidget>(keyboard, "light_color_tablayout");
    ASSERT_TRUE(styles && capture && tabs);
    struct Case {
        int effect;
        bool styles, capture;
        int page;
        bool colours;
    };
    for (const Case& c : {Case{29, true, true, 1, true}, Case{30, false, true, 0, false},
                          Case{5, false, false, 0, true}}) {
        SCOPED_TRACE(c.effect);
        Pick(w, effects, c.effect);
        EXPECT_EQ(!styles->isHidden(), c.styles);
        EXPECT_EQ(!capture->isHidden(), c.capture);
        EXPECT_EQ(tabs->currentIndex(), c.page);
        EXPECT_EQ(Control<QWidget>(keyboard, "light_color_layout")->isEnabled(), c.colours);
    }
}

TEST_F(AudioSection, EachChangeIsStoredInTheProfileAndShown) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    Pick(w, Control<QComboBox>(keyboard, "light_combo_modeSelect"), 29);
    CLightControlUI* panel = keyboard->LightPanel();
    ASSERT_NE(panel, nullptr);

    Pick(w, Control<QComboBox>(keyboard, "light_combo_audiomodeSelect"), 5);
    EXPECT_EQ(keyboard->GetAudioLightSettings().audioMode, 5);
    EXPECT_EQ(json::ToInt(json::Get(Saved(keyboard), "AudioMode")), 5);

    // The background is edited: the edits show it; 300 is 255, an empty edit 0.
    Control<QAbstractButton>(keyboard, "audio_BkColor_check")->click();
    w.Settle();
    EXPECT_EQ(keyboard->GetAudioLightSettings().colorTypeFlags, 0);
    EXPECT_FALSE(Control<QAbstractButton>(keyboard, "deng_7audiocolor_check")->isEnabled());
    struct EditCase {
        const char* edit;
        const char* typed;
        const char* shown;
        const char* key;
        int value;
    };
    for (const EditCase& c : {EditCase{"deng_audioedit_G", "300", "255", "BkColorG", 255},
                              EditCase{"deng_audioedit_R", "", "0", "BkColorR", 0},
                              EditCase{"deng_audioedit_B", "40", "40", "BkColorB", 40}}) {
        SCOPED_TRACE(c.edit);
        auto* edit = Control<QLineEdit>(keyboard, c.edit);
        edit->setText(QString::fromLatin1(c.typed));
        w.paintManager->SendNotify(edit, QStringLiteral("killfocus"));
        w.Settle();
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(json::ToInt(json::Get(Saved(keyboard), c.key)), c.value);
    }
    EXPECT_EQ(panel->GetAudioPaletteColour(), 0xFF00FF28u);

    // The foreground: colourful on, then a swatch gives its colour and turns colourful off.
    Control<QAbstractButton>(keyboard, "audio_FgColor_check")->click();
    w.Settle();
    auto* colourful = Control<QAbstractButton>(keyboard, "deng_7audiocolor_check");
    EXPECT_TRUE(colourful->isEnabled());
    if (!colourful->isChecked()) colourful->click();
    w.Settle();
    EXPECT_EQ(keyboard->GetAudioLightSettings().sevenColorFlags, 1);
    Control<QAbstractButton>(keyboard, "audiocolor_option_1")->click();  // #FF8000
    w.Settle();
    AudioLightRecord r = keyboard->GetAudioLightSettings();
    EXPECT_EQ(r.sevenColorFlags, 0);
    EXPECT_FALSE(colourful->isChecked());
    EXPECT_EQ(r.fgColorR, 0xFF);
    EXPECT_EQ(r.fgColorG, 0x80);
    EXPECT_EQ(r.fgColorB, 0x00);
    EXPECT_EQ(r.bkColorG, 255) << "the background stays";
    EXPECT_EQ(Control<QLineEdit>(keyboard, "deng_audioedit_G")->text(), "128");

    // The colour button's palette window acts on the edited colour; a close changes nothing.
    CLightControlUI::SetColourDialog([](QWidget*, uint32_t, uint32_t* chosen) {
        *chosen = 0xFF102030u;
        return 1;
    });
    Control<QAbstractButton>(keyboard, "deng_audiocolordp_btn")->click();
    w.Settle();
    EXPECT_EQ(keyboard->GetAudioLightSettings().fgColorB, 0x30);
    CLightControlUI::SetColourDialog([](QWidget*, uint32_t, uint32_t* chosen) {
        *chosen = 0xFFFFFFFFu;
        return 0;
    });
    Control<QAbstractButton>(keyboard, "deng_audiocolordp_btn")->click();
    w.Settle();
    EXPECT_EQ(keyboard->GetAudioLightSettings().fgColorB, 0x30);

    // No background: black, the foreground kept.
    Control<QAbstractButton>(keyboard, "Close_bkColor_btn")->click();
    w.Settle();
    r = keyboard->GetAudioLightSettings();
    EXPECT_EQ(r.bkColorG, 0);
    EXPECT_EQ(r.bkColorB, 0);
    EXPECT_EQ(r.fgColorR, 0x10);
    const Json::Value saved = Saved(keyboard);
    EXPECT_EQ(json::ToInt(json::Get(saved, "FgColorG")), 0x20);
    EXPECT_EQ(json::ToInt(json::Get(saved, "ColorTypeFlags")), 1);

    // The rings draw in the wheel's colours: the colour layouts are off, and on again after.
    Pick(w, Control<QComboBox>(keyboard, "light_combo_audiomodeSelect"), 3);
    EXPECT_FALSE(Control<QWidget>(keyboard, "light_audiocolor_layout")->isEnabled());
    EXPECT_FALSE(Control<QWidget>(keyboard, "audiocolorpallet_layout")->isEnabled());
    Pick(w, Control<QComboBox>(keyboard, "light_combo_audiomodeSelect"), 0);
    EXPECT_TRUE(Control<QWidget>(keyboard, "light_audiocolor_layout")->isEnabled());

    // What the profile holds is what a new start shows.
    keyboard->LoadProfile();
    keyboard->RefreshPanel();
    w.Settle();
    EXPECT_EQ(panel->AudioRecord(), keyboard->GetAudioLightSettings());
    EXPECT_EQ(Control<QComboBox>(keyboard, "light_combo_audiomodeSelect")->currentIndex(), 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(AudioSection, MissingControlsStoreNothingAndSayWhich) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    const AudioLightRecord before = keyboard->GetAudioLightSettings();
    // A panel whose skin has only the style combo and one edit.
    QWidget container;
    auto* combo = new QComboBox(&container);
    combo->setObjectName(QStringLiteral("light_combo_audiomodeSelect"));
    combo->addItems({"a", "b"});
    auto* edit = new QLineEdit(&container);
    edit->setObjectName(QStringLiteral("deng_audioedit_R"));
    CLightControlUI partial(*keyboard, &container, w.paintManager.get());
    EXPECT_FALSE(partial.GetAudioLightInfo(true).has_value());
    EXPECT_EQ(partial.AudioError(), "GetAudioLightInfo control is NULL");
    edit->setText(QStringLiteral("9"));
    w.paintManager->SendNotify(edit, QStringLiteral("killfocus"));
    w.Settle();
    EXPECT_EQ(partial.AudioError(), "GetLightAudioColor control is NULL");
    EXPECT_EQ(keyboard->GetAudioLightSettings(), before);
    EXPECT_EQ(partial.GetAudioSwatchColour(0), 0u);

    QWidget empty;
    CLightControlUI bare(*keyboard, &empty, nullptr);
    EXPECT_FALSE(bare.SetAudioLightInfo(before));
    EXPECT_EQ(bare.AudioError(), "SetAudioLightInfo control is NULL");
    EXPECT_EQ(bare.GetAudioPaletteColour(), 0xFF000000u);
}

class StyleWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        std::filesystem::create_directories(platform::UserFolder());
        // The shipped presets with members of the user's own.
        Json::Value file = ReadJsonFile(DefaultDataFolder() / "AudioFile.json");
        file["Other"] = "kept";
        file["Device"]["Keep"] = 7;
        ASSERT_TRUE(WriteJsonFile(File(), file));
        ASSERT_TRUE(SoundStyles::Instance().Open());
    }
    static std::filesystem::path File() { return platform::UserFolder() / "AudioFile.json"; }
    static QWidget* Find(MusicWnd& w, const char* name) {
        return w.PaintManager().FindControl(QString::fromLatin1(name));
    }
    static void Slide(MusicWnd& w, const char* name, int value) {
        auto* slider = qobject_cast<QAbstractSlider*>(Find(w, name));
        ASSERT_NE(slider, nullptr);
        slider->setValue(value);  // what a user's drag raises
        w.PaintManager().SendNotify(slider, QStringLiteral("valuechanged"), value);
    }
    static void Type(MusicWnd& w, const char* name, const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(Find(w, name));
        ASSERT_NE(edit, nullptr);
        edit->setText(text);
        w.PaintManager().SendNotify(edit, QStringLiteral("killfocus"));
    }
};

TEST_F(StyleWindow, OkSavesThePresetsKeepingTheFilesOtherMembersAndSendsTheColour) {
    std::vector<AudioStyleSet> sent;
    QObject receiver;
    QObject::connect(&SoundStyles::Instance(), &SoundStyles::StyleColourChanged, &receiver,
                     [&sent](const AudioStyleSet& styles) { sent.push_back(styles); });
    MusicWnd::QueueAnswer([](MusicWnd& w) {
        // On start: the selected preset's option and colour (preset 0: 9, 0, 0), the names.
        EXPECT_TRUE(qobject_cast<QAbstractButton*>(Find(w, "audio_select_tab1"))->isChecked());
        EXPECT_EQ(qobject_cast<QAbstractSlider*>(Find(w, "audio_r_slider"))->value(), 9);
        EXPECT_EQ(qobject_cast<QAbstractSlider*>(Find(w, "audio_r_slider"))->maximum(), 9);
        EXPECT_EQ(qobject_cast<QLineEdit*>(Find(w, "audio_edit_name2"))->text(),
                  QString::fromUtf8("第二组"));
        qobject_cast<QAbstractButton*>(Find(w, "audio_select_tab2"))->click();
        EXPECT_EQ(qobject_cast<QAbstractSlider*>(Find(w, "audio_g_slider"))->value(), 9);
        Slide(w, "audio_g_slider", 0);
        Slide(w, "audio_b_slider", 4);
        Type(w, "audio_edit_name1", QStringLiteral("Rock"));
        Type(w, "audio_edit_name3", QString());
        EXPECT_EQ(qobject_cast<QLineEdit*>(Find(w, "audio_edit_name3"))->text(),
                  QString::fromUtf8("第三组"));
        qobject_cast<QAbstractButton*>(Find(w, "okbtn"))->click();
    });
    EXPECT_EQ(SoundStyles::Instance().OpenStyleWindow(nullptr), 1);
    const Json::Value file = ReadJsonFile(File());
    EXPECT_EQ(file["Other"], "kept");
    EXPECT_EQ(file["Device"]["Keep"], 7);
    const Json::Value& info = file["Device"]["AudioLightInfo"];
    EXPECT_EQ(info["nAudioStyle"], 1);
    EXPECT_EQ(info["nStyleG1"], 0);
    EXPECT_EQ(info["nStyleB1"], 4);
    EXPECT_EQ(info["nStyleR1"], 0);
    EXPECT_EQ(info["nStyleName1"], "Rock");
    EXPECT_EQ(info["nStyleName3"], "第三组");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent.front().selected, 1);

    // Cancel and the window's own close leave file and capture program alone.
    for (const char* button : {"cancelbtn", "closebtn"}) {
        MusicWnd::QueueAnswer([button](MusicWnd& w) {
            Slide(w, "audio_r_slider", 2);
            qobject_cast<QAbstractButton*>(Find(w, button))->click();
        });
        EXPECT_EQ(SoundStyles::Instance().OpenStyleWindow(nullptr), 0);
    }
    EXPECT_EQ(ReadJsonFile(File()), file);
    EXPECT_EQ(sent.size(), 1u);

    // The reset of a profile brings the shipped presets back and sends them.
    EXPECT_TRUE(SoundStyles::Instance().Reset());
    EXPECT_EQ(SoundStyles::Instance().Current().names[0], "第一组");
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(StyleWindow, OutOfRangeStylesAreShownInRange) {
    AudioStyleSet styles;
    styles.selected = 7;
    styles.colours[3] = {200, 9, 10};
    MusicWnd window;
    ASSERT_TRUE(window.Create());
    window.SetStyles(styles);
    EXPECT_EQ(window.Styles().selected, 3);
    EXPECT_EQ(window.Styles().colours[3][0], 9);
    EXPECT_EQ(qobject_cast<QAbstractSlider*>(Find(window, "audio_b_slider"))->value(), 9);
}

}  // namespace
}  // namespace qx::devices
