// The headset end to end against the simulated headset and a simulated audio library: what the
// library receives for each control, what the profile keeps, what is refused, the custom
// equaliser settings, the controls disabled when processing is missing, the lighting block and
// the LED reports.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <filesystem>

#include "audio/audio_property.h"
#include "audio/headset_audio.h"
#include "audio/simulated_audio_lib.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/user_message.h"
#include "devices/headset/orvane_hs6533_device.h"
#include "devices/panels/magic_control_ui.h"
#include "devices/panels/voice6533_control_ui.h"
#include "lighting/headset_led_report.h"
#include "sim/headset_firmware.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using audio::Flow;
using audio::SimulatedAudioLib;
using test::DeviceWindow;
using test::WaitUntil;

class HeadsetDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(UserDeviceFolder("HD"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        SetUserMessageSink([this](const QString& text) { messages << text; });
        library = std::make_shared<SimulatedAudioLib>();
        audio::InstallAudioLibrary(library);
    }
    void TearDown() override {
        SetUserMessageSink({});
        audio::InstallAudioLibrary(nullptr);
    }

    COrvaneHS6533Device* Contact(DeviceWindow& w) {
        w.Start();
        EXPECT_TRUE(w.bus.Plug("headset"));
        w.Pass();
        auto* headset = dynamic_cast<COrvaneHS6533Device*>(w.controller->Headsets().front());
        EXPECT_TRUE(WaitUntil([&] { return headset->ProfileLoaded() && headset->AudioStarted(); }));
        w.Settle();
        library->ClearSets();
        return headset;
    }

    // Runs one audio operation and waits for its answer.
    template <class Call>
    QString Run(DeviceWindow& w, Call call) {
        bool finished = false;
        QString error;
        call([&](const QString& e) {
            error = e;
            finished = true;
        });
        EXPECT_TRUE(WaitUntil([&] { return finished; }));
        w.Settle();
        return error;
    }

    static Json::Value Stages(COrvaneHS6533Device* headset) {
        const Json::Value document = ReadJsonFile(headset->ProfilePath());
        return json::Get(json::At(json::Get(document, "Device"), 0), "SystemSetStages");
    }
    static Json::Value DeviceBlock(COrvaneHS6533Device* headset) {
        return json::At(json::Get(ReadJsonFile(headset->ProfilePath()), "Device"), 0);
    }

    std::shared_ptr<SimulatedAudioLib> library;
    QStringList messages;
};

TEST_F(HeadsetDevice, EachPresetSendsItsTenBandsWithTheEqualiserOnAndIsStored) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    for (int t = 1; t <= 12; ++t) {
        library->ClearSets();
        ASSERT_TRUE(Run(w, [&](auto done) { headset->SelectEqualiser(t, done); }).isEmpty());
        const auto sets = library->Sets();
        ASSERT_EQ(sets.size(), 11u) << "preset " << t;
        EXPECT_EQ(sets[0].name, "Enable_EQ_GFX");
        EXPECT_EQ(sets[0].value, "1");
        EXPECT_EQ(sets[0].flow, Flow::Output);
        const std::vector<int> bands = COrvaneHS6533Device::PresetBands(t);
        for (int b = 0; b < 10; ++b) {
            EXPECT_EQ(sets[b + 1].name, "EQ_Slider" + std::to_string(b + 1));
            EXPECT_EQ(sets[b + 1].value, std::to_string(bands[b])) << "preset " << t;
        }
        EXPECT_EQ(json::ToInt(json::Get(Stages(headset), "EqType")), t);
        EXPECT_EQ(headset->VoicePanel()->SelectedEqOption(), t);
        EXPECT_FALSE(headset->VoicePanel()->CustomAreaEnabled());
        EXPECT_EQ(headset->VoicePanel()->GetBand(1), bands[1]);
    }
    EXPECT_EQ(COrvaneHS6533Device::PresetBands(5), std::vector<int>(10, 0));
    EXPECT_EQ(COrvaneHS6533Device::PresetBands(6),
              (std::vector<int>{7, 14, -13, -6, -1, 8, 13, 7, 2, 6}));
}

TEST_F(HeadsetDevice, MicrophoneAndMonitorGoInTheLibrarysFormsAndChannels) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    EXPECT_TRUE(Run(w, [&](auto done) { headset->SetMicLevel(37, done); }).isEmpty());
    EXPECT_TRUE(Run(w, [&](auto done) { headset->SetMonitorLevel(64, done); }).isEmpty());
    EXPECT_TRUE(Run(w, [&](auto done) { headset->SetMicMuted(true, done); }).isEmpty());
    EXPECT_TRUE(Run(w, [&](auto done) { headset->SetMonitorMuted(false, done); }).isEmpty());
    const auto sets = library->Sets();
    ASSERT_EQ(sets.size(), 4u);
    EXPECT_EQ(sets[0].name, "VolumeScalarControl");
    EXPECT_EQ(sets[0].value, "0.37");  // a float, on the input
    EXPECT_EQ(sets[0].flow, Flow::Input);
    EXPECT_EQ(sets[0].extra, std::vector<int32_t>{-1});
    EXPECT_EQ(sets[1].name, "AAVolumeScalarControl");
    EXPECT_EQ(sets[1].value, "0.64");
    EXPECT_EQ(sets[1].extra, std::vector<int32_t>{0});
    EXPECT_EQ(sets[2].name, "MuteControl");
    EXPECT_EQ(sets[2].value, "1");
    EXPECT_EQ(sets[3].name, "AAMuteControl");
    EXPECT_EQ(sets[3].value, "0");
    const Json::Value stages = Stages(headset);
    EXPECT_EQ(json::ToInt(json::Get(stages, "MicInValue")), 37);
    EXPECT_EQ(json::ToInt(json::Get(stages, "MicMoniterValue")), 64);
    EXPECT_EQ(json::ToInt(json::Get(stages, "MicInSelect")), 0);
    EXPECT_EQ(json::ToInt(json::Get(stages, "MicMoniterSelect")), 1);
}

TEST_F(HeadsetDevice, TheStateReadAtFirstContactTakesTheLibrarysValues) {
    library->Preset(Flow::Input, "VolumeScalarControl", "0.429");
    library->Preset(Flow::Input, "MuteControl", "1");
    library->Preset(Flow::Input, "AAVolumeScalarControl", "0.5");
    library->Preset(Flow::Input, "AAMuteControl", "0");
    library->Preset(Flow::Input, "Enable_MAGICVOICE", "1");
    library->Preset(Flow::Input, "MagicVoice_Selection", "2");
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    const HeadsetSystemRecord system = headset->System();
    EXPECT_EQ(system.micInValue, 42);  // × 100, truncated
    EXPECT_EQ(system.micInSelect, 0);
    EXPECT_EQ(system.micMoniterValue, 50);
    EXPECT_EQ(system.micMoniterSelect, 1);
    EXPECT_EQ(system.magicEnable, 1);
    EXPECT_EQ(system.magicType, 3);
    EXPECT_EQ(headset->VoicePanel()->GetMicLevel(), 42);
    EXPECT_TRUE(headset->MagicPanel()->VoiceChangerOn());
    EXPECT_EQ(headset->MagicPanel()->SelectedType(), 3);
}

TEST_F(HeadsetDevice, ARefusedSetLeavesTheProfileAndThePageAndSaysSo) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetMicLevel(20, done); }).isEmpty());
    library->Refuse("VolumeScalarControl");
    library->Refuse("Enable_EQ_GFX");
    library->Refuse("MuteControl");
    EXPECT_FALSE(Run(w, [&](auto done) { headset->SetMicLevel(90, done); }).isEmpty());
    EXPECT_FALSE(Run(w, [&](auto done) { headset->SelectEqualiser(3, done); }).isEmpty());
    EXPECT_FALSE(Run(w, [&](auto done) { headset->SetMicMuted(true, done); }).isEmpty());
    const Json::Value stages = Stages(headset);
    EXPECT_EQ(json::ToInt(json::Get(stages, "MicInValue")), 20);
    EXPECT_EQ(json::ToInt(json::Get(stages, "EqType")), 5) << "the shipped profile's preset";
    EXPECT_EQ(headset->VoicePanel()->GetMicLevel(), 20);
    EXPECT_EQ(headset->VoicePanel()->SelectedEqOption(), 5);
    EXPECT_EQ(headset->VoicePanel()->MicrophoneOn(), headset->System().micInSelect != 0)
        << "the option shows what the library holds";

    // From the page: the user is told.
    messages.clear();
    headset->VoicePanel()->MicSlider()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_TRUE(WaitUntil([&] { return !messages.isEmpty(); }));
    EXPECT_TRUE(messages.front().contains("did not take"));
}

TEST_F(HeadsetDevice, CustomSettingsSaveRefuseAndDeleteKeepingNamesAndBandsPaired) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    CVoice6533ControlUI* voice = headset->VoicePanel();
    // Moving a band on a preset switches to an unnamed custom setting without saving.
    ASSERT_TRUE(Run(w, [&](auto done) { headset->ChangeCustomBand(2, 9, done); }).isEmpty());
    EXPECT_EQ(voice->SelectedEqOption(), 13);
    EXPECT_TRUE(voice->CustomAreaEnabled());
    EXPECT_EQ(json::ToInt(json::Get(Stages(headset), "EqType")), 5);
    EXPECT_EQ(library->Value(Flow::Output, "EQ_Slider3"), "9");

    EXPECT_EQ(headset->SaveCustomEq(QString()), -1) << "no name and nothing selected";
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(
            Run(w, [&](auto done) { headset->ChangeCustomBand(0, i + 1, done); }).isEmpty());
        EXPECT_EQ(headset->SaveCustomEq(QStringLiteral("Mine %1").arg(i)), 1);
    }
    EXPECT_EQ(headset->SaveCustomEq(QStringLiteral("mINE 1")), 0) << "names ignore case";
    EXPECT_EQ(voice->CustomCount(), 3);
    EXPECT_EQ(headset->SelectedCustom(), 2);

    // Deleting the middle one: the last keeps its own bands.
    ASSERT_TRUE(Run(w, [&](auto done) { headset->ApplyCustomEq(1, done); }).isEmpty());
    headset->DeleteCustomEq();
    w.Settle();
    const Json::Value block = DeviceBlock(headset);
    const Json::Value& names = json::Get(block, "CustomEQNameInfo");
    const Json::Value& rows = json::Get(block, "CustomEQHzValueInfo");
    ASSERT_EQ(json::ArraySize(names), 2u);
    ASSERT_EQ(json::ArraySize(rows), 2u);
    EXPECT_EQ(json::ToString(json::Get(names[1], "Name")), "Mine 2");
    EXPECT_EQ(json::ToInt(json::Get(rows[1][0], "value")), 3);
    EXPECT_EQ(json::ToInt(json::Get(rows[0][0], "value")), 1);
    EXPECT_EQ(voice->CustomName(1), "Mine 2");
    EXPECT_EQ(voice->SelectedCustomIndex(), 0);

    // Deleting the rest falls back to preset 1.
    headset->DeleteCustomEq();
    headset->DeleteCustomEq();
    w.Settle();
    EXPECT_EQ(json::ToInt(json::Get(Stages(headset), "EqType")), 1);
    EXPECT_EQ(voice->SelectedEqOption(), 1);
    EXPECT_FALSE(voice->CustomAreaEnabled());
}

TEST_F(HeadsetDevice, TheTwentyFirstCustomSettingIsRefused) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(headset->SaveCustomEq(QString::number(i)), 1);
    EXPECT_EQ(headset->SaveCustomEq(QStringLiteral("twenty-one")), -1);
    EXPECT_EQ(headset->CustomNames().size(), 20u);
}

TEST_F(HeadsetDevice, VoiceChangerFlagsAndSurround) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetVoiceChanger(true, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SelectVoice(4, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetVoiceChanger(false, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetSurround(true, done); }).isEmpty());
    const auto sets = library->Sets();
    ASSERT_EQ(sets.size(), 5u);
    EXPECT_EQ(sets[0].name, "Enable_MAGICVOICE");
    EXPECT_EQ(sets[0].value, "1");
    EXPECT_EQ(sets[1].name, "Enable_MICECHO") << "turning the changer on turns the echo off";
    EXPECT_EQ(sets[1].value, "0");
    EXPECT_EQ(sets[2].name, "MagicVoice_Selection");
    EXPECT_EQ(sets[2].value, "3");
    EXPECT_EQ(sets[3].name, "Enable_MAGICVOICE");
    EXPECT_EQ(sets[3].value, "0") << "and turning it off leaves the echo alone";
    EXPECT_EQ(sets[4].name, "VirtualSurroundEffectControl");
    EXPECT_EQ(sets[4].extra, (std::vector<int32_t>{4, -1, 0}));
    const Json::Value stages = Stages(headset);
    EXPECT_EQ(json::ToInt(json::Get(stages, "MagicEnable")), 0);
    EXPECT_EQ(json::ToInt(json::Get(stages, "MagicType")), 4);
    EXPECT_EQ(json::ToInt(json::Get(stages, "SurroundEnable")), 1);
    EXPECT_FALSE(headset->MagicPanel()
                     ->Container()
                     ->findChild<QWidget*>("magic_option_layout")
                     ->isEnabled());
}

TEST_F(HeadsetDevice, MissingProcessingDisablesItsControlsAndSaysWhy) {
    library->SetProcessingAvailable(false, "PipeWire is not running");
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    CVoice6533ControlUI* voice = headset->VoicePanel();
    EXPECT_FALSE(voice->EqOption(3)->isEnabled());
    EXPECT_TRUE(voice->EqOption(3)->toolTip().contains("PipeWire is not running"));
    EXPECT_FALSE(voice->BandSlider(0)->isEnabled());
    EXPECT_FALSE(headset->MagicPanel()->EnableOption()->isEnabled());
    auto* surround = headset->Page()->findChild<QAbstractButton*>("virtual_surround_option");
    ASSERT_NE(surround, nullptr);
    EXPECT_FALSE(surround->isEnabled());
    EXPECT_FALSE(surround->toolTip().isEmpty());
    EXPECT_TRUE(voice->MicSlider()->isEnabled()) << "the mixer still works";
}

// The voice changer's controls follow the input's feature word: enabled where the library
// offers it, disabled with the reason (the missing package) where it does not.
TEST_F(HeadsetDevice, TheVoiceChangerFollowsItsFeatureWord) {
    for (const bool available : {true, false}) {
        SCOPED_TRACE(available ? "offered" : "missing");
        library->SetVoiceChangerAvailable(available, "install the rubberband-ladspa package");
        DeviceWindow w;
        COrvaneHS6533Device* headset = Contact(w);
        CMagicControlUI* magic = headset->MagicPanel();
        EXPECT_EQ(magic->EnableOption()->isEnabled(), available);
        EXPECT_EQ(magic->EnableOption()->toolTip().contains("rubberband-ladspa"), !available);
        EXPECT_TRUE(headset->VoicePanel()->EqOption(3)->isEnabled()) << "the rest stays";
        if (available) {
            ASSERT_TRUE(Run(w, [&](auto done) { headset->SetVoiceChanger(true, done); }).isEmpty());
            EXPECT_TRUE(
                magic->Container()->findChild<QWidget*>("magic_option_layout")->isEnabled());
        } else {
            EXPECT_FALSE(
                magic->Container()->findChild<QWidget*>("magic_option_layout")->isEnabled());
        }
    }
}

TEST_F(HeadsetDevice, LightingBlockAtItsOffsetAndTwelveLedReportsPerFrame) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    auto firmware = w.bus.Headset();
    ASSERT_TRUE(firmware);
    bool written = false;
    Result result = kResultFailed;
    ASSERT_TRUE(headset->Post([&] {
        result = headset->WriteLightingBlock();
        written = true;
    }));
    ASSERT_TRUE(WaitUntil([&] { return written; }));
    EXPECT_EQ(result, kResultSuccess);
    const auto mirror = headset->Mirror();
    const auto memory = firmware->ReadMemory(sim::Region::Config, 0, 21);
    EXPECT_EQ(memory[2], mirror[2]);
    EXPECT_EQ(memory[6], mirror[6]);
    EXPECT_EQ(memory[3], 4 - mirror[3]);

    headset->SetLightingControl(true);
    for (int i = 0; i < 13; ++i) headset->SetLed(i, 0xFFFFFF, 255);
    written = false;
    ASSERT_TRUE(headset->Post([&] {
        result = headset->SendLedReports();
        written = true;
    }));
    ASSERT_TRUE(WaitUntil([&] { return written; }));
    EXPECT_EQ(result, kResultSuccess);
    EXPECT_EQ(firmware->LedReports(), 12u);
    EXPECT_EQ(firmware->LedValuesAboveLimit(), 0u);
    EXPECT_EQ(firmware->Leds(0x44)[12][2], 247) << "255 × 255 / 256 is held at the limit";

    // With the channel closed the write says so.
    headset->CloseCommand();
    written = false;
    ASSERT_TRUE(headset->Post([&] {
        result = headset->WriteLightingBlock();
        written = true;
    }));
    ASSERT_TRUE(WaitUntil([&] { return written; }));
    EXPECT_EQ(result, kResultFailed);
}

TEST_F(HeadsetDevice, OptionsByNameRefuseBadValues) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    OptionCapability* options = headset->Options();
    auto set = [&](const std::string& name, const std::string& value) {
        bool finished = false;
        std::string error;
        options->SetOption(name, value, [&](const std::string& e) {
            error = e;
            finished = true;
        });
        EXPECT_TRUE(WaitUntil([&] { return finished; }));
        w.Settle();
        return error;
    };
    EXPECT_EQ(set("mic", "55"), "");
    EXPECT_EQ(set("voice", "2"), "");
    EXPECT_EQ(set("eq-band-10", "-7"), "");
    EXPECT_NE(set("mic", "101"), "");
    EXPECT_NE(set("eq", "0"), "");
    EXPECT_NE(set("eq", "custom"), "") << "no custom setting exists";
    EXPECT_NE(set("eq-band-11", "1"), "");
    EXPECT_NE(set("surround", "maybe"), "");
    EXPECT_EQ(library->Value(Flow::Input, "VolumeScalarControl"), "0.55");
    EXPECT_EQ(library->Value(Flow::Input, "MagicVoice_Selection"), "1");
    EXPECT_EQ(library->Value(Flow::Input, "Enable_MAGICVOICE"), "1");
    EXPECT_EQ(library->Value(Flow::Output, "EQ_Slider10"), "-7");
    bool sawEq = false;
    for (const auto& option : options->Options()) {
        if (option.name == "eq") {
            EXPECT_EQ(option.value, "custom");
            sawEq = true;
        }
    }
    EXPECT_TRUE(sawEq);
}

TEST_F(HeadsetDevice, ASoundCardThatGoesAndComesBackGetsThePagesValuesAndThePageFollows) {
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetMicLevel(37, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetMicMuted(true, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetMonitorLevel(64, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SelectEqualiser(3, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetVoiceChanger(true, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SelectVoice(2, done); }).isEmpty());
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetSurround(true, done); }).isEmpty());
    CVoice6533ControlUI* voice = headset->VoicePanel();
    auto* surround = headset->Page()->findChild<QAbstractButton*>("virtual_surround_option");
    ASSERT_NE(surround, nullptr);

    // Nothing changed: no new start.
    headset->CheckAudioCard();
    w.Settle();
    EXPECT_EQ(headset->AudioRestarts(), 0);

    // Gone: every audio control disabled, saying why; a change is refused and not stored.
    library->SetCardPresent(false);
    headset->CheckAudioCard();
    ASSERT_TRUE(WaitUntil([&] { return headset->AudioRestarts() == 1; }));
    w.Settle();
    for (QWidget* control : std::initializer_list<QWidget*>{
             voice->MicSlider(), voice->MicOption(), voice->MonitorSlider(), voice->EqOption(3),
             voice->BandSlider(0), headset->MagicPanel()->EnableOption(), surround}) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
        EXPECT_TRUE(control->toolTip().contains("sound card"))
            << control->objectName().toStdString();
    }
    EXPECT_FALSE(Run(w, [&](auto done) { headset->SetMicLevel(80, done); }).isEmpty());
    EXPECT_EQ(json::ToInt(json::Get(Stages(headset), "MicInValue")), 37);

    // Back, with its driver's values: it gets what the page shows, and the page is usable.
    library->ClearSets();
    library->SetCardPresent(true);
    headset->CheckAudioCard();
    ASSERT_TRUE(WaitUntil([&] { return headset->AudioRestarts() == 2; }));
    w.Settle();
    EXPECT_EQ(library->Value(Flow::Input, "VolumeScalarControl"), "0.37");
    EXPECT_EQ(library->Value(Flow::Input, "MuteControl"), "1");
    EXPECT_EQ(library->Value(Flow::Input, "AAVolumeScalarControl"), "0.64");
    EXPECT_EQ(library->Value(Flow::Input, "Enable_MAGICVOICE"), "1");
    EXPECT_EQ(library->Value(Flow::Input, "MagicVoice_Selection"), "1");
    EXPECT_EQ(library->Value(Flow::Output, "Enable_EQ_GFX"), "1");
    const std::vector<int> bands = COrvaneHS6533Device::PresetBands(3);
    for (int b = 0; b < 10; ++b)
        EXPECT_EQ(library->Value(Flow::Output, "EQ_Slider" + std::to_string(b + 1)),
                  std::to_string(bands[static_cast<size_t>(b)]));
    EXPECT_EQ(library->Value(Flow::Output, "VirtualSurroundEffectControl"), "1");
    for (QWidget* control :
         std::initializer_list<QWidget*>{voice->MicSlider(), voice->EqOption(3),
                                         headset->MagicPanel()->EnableOption(), surround})
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(voice->GetMicLevel(), 37);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
}

TEST_F(HeadsetDevice, ASoundCardThatComesAfterTheHeadsetIsTakenIntoUse) {
    library->SetCardPresent(false);
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    EXPECT_FALSE(headset->VoicePanel()->MicSlider()->isEnabled());
    EXPECT_FALSE(headset->Availability().microphone);
    const int level = headset->System().micInValue;

    library->SetCardPresent(true);
    headset->CheckAudioCard();
    ASSERT_TRUE(WaitUntil([&] { return headset->AudioRestarts() == 1; }));
    w.Settle();
    EXPECT_TRUE(headset->Availability().microphone);
    EXPECT_TRUE(headset->VoicePanel()->MicSlider()->isEnabled());
    EXPECT_EQ(library->Value(Flow::Input, "VolumeScalarControl"),
              audio::NumberText(static_cast<float>(level) / 100.0f));
    ASSERT_TRUE(Run(w, [&](auto done) { headset->SetMicLevel(12, done); }).isEmpty());
    EXPECT_EQ(library->Value(Flow::Input, "VolumeScalarControl"), "0.12");
}

TEST_F(HeadsetDevice, ACardWithoutAMonitorPathDisablesOnlyTheMonitorControls) {
    library->Refuse("GetAAMaxVol");
    DeviceWindow w;
    COrvaneHS6533Device* headset = Contact(w);
    CVoice6533ControlUI* voice = headset->VoicePanel();
    EXPECT_FALSE(voice->MonitorSlider()->isEnabled());
    EXPECT_FALSE(voice->MonitorOption()->isEnabled());
    EXPECT_TRUE(voice->MonitorSlider()->toolTip().contains("side-tone"));
    EXPECT_TRUE(voice->MicSlider()->isEnabled());
    EXPECT_TRUE(voice->MicSlider()->toolTip().isEmpty());
}

}  // namespace
}  // namespace qx::devices
