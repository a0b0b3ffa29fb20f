// The keyboard end to end against the simulated keyboard: first contact, the system settings of
// its page and by name, failures the user is told about, key names in the chosen language, and
// what survives a restart. Changes are proven by the keyboard's memory, its command log and the
// profile file.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "controls/device_key_button.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/device_profile_ui.h"
#include "devices/base/user_message.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "profiles/profile_manager.h"
#include "sim/keyboard_firmware.h"
#include "sim/sim_control.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int Stage(const std::filesystem::path& profile, const char* key) {
    const Json::Value document = ReadJsonFile(profile);
    return json::ToInt(
        json::Get(json::Get(json::At(json::Get(document, "Device"), 0), "SystemStages"), key));
}

class KeyboardDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        // Each test starts from an empty keyboard folder and the English texts.
        std::filesystem::remove_all(UserDeviceFolder("keyboard"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        SetUserMessageSink([this](const QString& text) { messages << text; });
    }
    void TearDown() override { SetUserMessageSink({}); }

    // The keyboard plugged and its first contact done and shown.
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
    T* Control(COrvaneKeyboardDevice* keyboard, const char* name) {
        return keyboard->Page()->findChild<T*>(QString::fromLatin1(name));
    }

    // Byte k of the keyboard's settings block of profile 0.
    static uint8_t BlockByte(const DeviceWindow& w, size_t k) {
        return w.bus.Keyboard()->ReadMemory(sim::Region::Config, k, 1).at(0);
    }

    QStringList messages;
};

TEST_F(KeyboardDevice, FirstContactReadsTablesProfileAndBlockInOrder) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    // Commands in order, repeats of a chunked transfer counted once.
    std::vector<int> commands;
    for (const sim::LoggedRequest& r : w.bus.Requests("keyboard").requests) {
        if (commands.empty() || commands.back() != r.Command()) commands.push_back(r.Command());
    }
    const std::vector<int> expected = {kCmdBeginConfig,  kCmdReadIdentity, kCmdReadKeyTable,
                                       kCmdReadKeyBytes, kCmdEndConfig,    kCmdReadConfig};
    ASSERT_GE(commands.size(), expected.size());
    EXPECT_EQ(std::vector<int>(commands.begin(), commands.begin() + 6), expected);
    // The profile byte, then profile 0's block.
    std::vector<std::pair<int, int>> reads;
    for (const sim::LoggedRequest& r : w.bus.Requests("keyboard").requests)
        if (r.Command() == kCmdReadConfig) reads.emplace_back(r.Offset(), r.Length());
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads[0], std::make_pair(0, 1));
    EXPECT_EQ(reads[1].first, 0);

    EXPECT_EQ(keyboard->Identity()[5], 170);
    const KeyPositionMaps maps = keyboard->PositionMaps();
    EXPECT_EQ(maps.primary[0], sim::KeyboardPositionOf(0));
    EXPECT_EQ(maps.primary[kFunctionKeyIndex], sim::KeyboardPositionOf(kFunctionKeyIndex));
    // The shipped profile became the user's, with the keyboard's block in it: effect code 1 of
    // the factory block, its red 0, green 255.
    ASSERT_TRUE(std::filesystem::exists(keyboard->ProfilePath()));
    const LightInfoRecord light = keyboard->LightInfo();
    EXPECT_EQ(light.selectItem, 1);
    EXPECT_EQ(light.green, 255);
    EXPECT_EQ(light.speed, 2);

    // The page shows the values: polling 1000 Hz (shipped index 3), delay 500 ms (index 1).
    EXPECT_TRUE(Control<QAbstractButton>(keyboard, "polling_rate_option_3")->isChecked());
    EXPECT_FALSE(Control<QAbstractButton>(keyboard, "polling_rate_option_0")->isChecked());
    EXPECT_TRUE(Control<QAbstractButton>(keyboard, "repeat_delay_check_1")->isChecked());
    EXPECT_EQ(Control<QLabel>(keyboard, "repeat_delay_time_label1")->text(), "Repeat delay: 500ms");
    EXPECT_EQ(Control<QAbstractSlider>(keyboard, "repeat_rate_slider")->value(), 5);
    EXPECT_EQ(Control<QLabel>(keyboard, "repeat_rate_value_label")->text(), "5");
    EXPECT_EQ(Control<QLineEdit>(keyboard, "repeat_input_richedit")->placeholderText(),
              "Hold a key here to try the repeat");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(KeyboardDevice, SystemOptionsReachTheBlockAndTheProfile) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    const std::filesystem::path profile = keyboard->ProfilePath();
    struct Case {
        const char* control;
        size_t byte;
        uint8_t value;
        const char* stage;
    };
    const Case cases[] = {{"winlockflag_option", 21, 1, "WinFlag"},
                          {"wflag_option", 19, 1, "WFlag"},
                          {"6flag_option", 20, 1, "Key6Flag"},
                          {"polling_rate_option_1", 22, 1, "PollingRate"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        Control<QAbstractButton>(keyboard, c.control)->click();
        w.Settle();
        EXPECT_EQ(BlockByte(w, c.byte), c.value);
        EXPECT_EQ(Stage(profile, c.stage), c.value);
    }
    // Switching a flag off again.
    Control<QAbstractButton>(keyboard, "winlockflag_option")->click();
    w.Settle();
    EXPECT_EQ(BlockByte(w, 21), 0);
    EXPECT_EQ(Stage(profile, "WinFlag"), 0);
    EXPECT_EQ(BlockByte(w, 19), 1) << "the other flags stay";
    EXPECT_FALSE(Control<QAbstractButton>(keyboard, "polling_rate_option_3")->isChecked());

    // Repeat rate and delay are the profile's alone: nothing is sent.
    const size_t writes = w.bus.Keyboard()->PacketCount(kCmdWriteConfig);
    Control<QAbstractButton>(keyboard, "repeat_delay_check_2")->click();
    auto* slider = Control<QAbstractSlider>(keyboard, "repeat_rate_slider");
    slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
    w.Settle();
    EXPECT_EQ(w.bus.Keyboard()->PacketCount(kCmdWriteConfig), writes);
    EXPECT_EQ(Stage(profile, "RepeatDelay"), 2);
    EXPECT_EQ(Stage(profile, "Repeat"), 4);
    EXPECT_EQ(Control<QLabel>(keyboard, "repeat_rate_value_label")->text(), "4");
    EXPECT_EQ(Control<QLabel>(keyboard, "repeat_delay_time_label1")->text(), "Repeat delay: 750ms");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(KeyboardDevice, AFailingKeyboardSaysSoAndChangesNoFile) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    const std::string before = FileText(keyboard->ProfilePath());
    for (const char* fault : {"status-ff", "silent"}) {
        SCOPED_TRACE(fault);
        messages.clear();
        ASSERT_TRUE(sim::SetDeviceFault(w.bus, "keyboard", fault, 0).Ok());
        auto* option = Control<QAbstractButton>(keyboard, "winlockflag_option");
        option->click();
        ASSERT_TRUE(WaitUntil([&] { return !messages.isEmpty(); }, 15000));
        w.Settle();
        EXPECT_TRUE(messages.front().startsWith("The keyboard did not take the change"))
            << messages.front().toStdString();
        EXPECT_FALSE(option->isChecked()) << "the option shows what the keyboard has";
        EXPECT_EQ(keyboard->System().winLock, 0);
        EXPECT_EQ(FileText(keyboard->ProfilePath()), before);
        ASSERT_TRUE(sim::SetDeviceFault(w.bus, "keyboard", "none", 0).Ok());
    }
    EXPECT_EQ(BlockByte(w, 21), 0);
    // A refused write still closes the configuration sequence.
    const std::vector<sim::LoggedRequest> log = w.bus.Requests("keyboard").requests;
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().Command(), kCmdEndConfig);

    // Gone from the bus: the same.
    messages.clear();
    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    w.Pass();
    Control<QAbstractButton>(keyboard, "polling_rate_option_0")->click();
    w.Settle();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(Control<QAbstractButton>(keyboard, "polling_rate_option_3")->isChecked());
    EXPECT_EQ(FileText(keyboard->ProfilePath()), before);
}

TEST_F(KeyboardDevice, KeyCapsNameTheirKeysInTheChosenLanguage) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    constexpr int kEnter = 75;
    auto* enter = qobject_cast<controls::CDeviceKeyButtonUI*>(keyboard->KeyButtons()[kEnter]);
    ASSERT_NE(enter, nullptr);
    EXPECT_EQ(enter->text(), "Enter");
    EXPECT_TRUE(enter->KeySetHidden()) << "a key with its own function has no mark";
    EXPECT_TRUE(enter->toolTip().endsWith("Assigned: Enter")) << enter->toolTip().toStdString();

    // The language changes; the main window's message 3089 runs this for every keyboard.
    ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_cn.json"));
    keyboard->RefreshKeyLabels();
    EXPECT_EQ(enter->text(), QStringLiteral("回车"));
    EXPECT_EQ(Control<QLabel>(keyboard, "repeat_delay_time_label1")->text(),
              QStringLiteral("重复延迟：500ms"));
    ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));

    // A key given another function carries the mark and its new name.
    std::vector<KeyAssignRecord> keys = keyboard->KeyList();
    keys[kEnter].current = {static_cast<uint16_t>(kEnter), 0x20, 0x01, 0x04, 0};
    Json::Value document = ReadJsonFile(keyboard->ProfilePath());
    json::Slot(json::SlotAt(json::Slot(json::SlotAt(json::Slot(document, "Device"), 0), "KeyList"),
                            kEnter),
               "Assignment") = keys[kEnter].current.Value();
    ASSERT_TRUE(WriteJsonFile(keyboard->ProfilePath(), document));
    keyboard->Post([keyboard] { keyboard->LoadProfile(); });
    w.Settle();
    keyboard->RefreshPanel();
    EXPECT_EQ(enter->text(), "L Ctrl+A");
    EXPECT_FALSE(enter->KeySetHidden());
}

TEST_F(KeyboardDevice, OptionsByNameReachTheKeyboardAndSurviveARestart) {
    {
        DeviceWindow w;
        COrvaneKeyboardDevice* keyboard = Contact(w);
        OptionCapability* options = keyboard->Options();
        ASSERT_NE(options, nullptr);
        std::vector<std::string> errors;
        auto set = [&](const std::string& name, const std::string& value) {
            errors.push_back("pending");
            options->SetOption(name, value,
                               [&errors](const std::string& error) { errors.back() = error; });
            w.Settle();
            return errors.back();
        };
        EXPECT_EQ(set("polling-rate", "500"), "");
        EXPECT_EQ(BlockByte(w, 22), 2);
        EXPECT_EQ(set("winlock", "on"), "");
        EXPECT_EQ(BlockByte(w, 21), 1);
        EXPECT_TRUE(Control<QAbstractButton>(keyboard, "winlockflag_option")->isChecked());
        EXPECT_EQ(set("repeat-delay", "1000"), "");
        EXPECT_EQ(set("repeat-rate", "2"), "");
        EXPECT_EQ(Stage(keyboard->ProfilePath(), "RepeatDelay"), 3);
        EXPECT_EQ(Stage(keyboard->ProfilePath(), "Repeat"), 2);

        for (const auto& [name, value] :
             std::vector<std::pair<std::string, std::string>>{{"polling-rate", "300"},
                                                              {"winlock", "yes"},
                                                              {"repeat-rate", "9"},
                                                              {"repeat-rate", "2x"},
                                                              {"volume", "1"}}) {
            const std::string error = set(name, value);
            EXPECT_NE(error.find(name == "volume" ? "no option" : value), std::string::npos)
                << name << "=" << value << ": " << error;
        }
        EXPECT_EQ(BlockByte(w, 22), 2) << "a refused value changes nothing";
    }
    // A new window and device object: the profile holds what was set; the keyboard's own
    // block (a fresh simulated keyboard, Windows key unlocked) wins for the flags it keeps.
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    std::map<std::string, std::string> values;
    for (const OptionCapability::Option& option : keyboard->Options()->Options())
        values[option.name] = option.value;
    EXPECT_EQ(values["polling-rate"], "500");
    EXPECT_EQ(values["repeat-delay"], "1000");
    EXPECT_EQ(values["repeat-rate"], "2");
    EXPECT_EQ(values["winlock"], "off");
    EXPECT_TRUE(Control<QAbstractButton>(keyboard, "polling_rate_option_2")->isChecked());
}

TEST_F(KeyboardDevice, ProfileApplyWritesBlockMacrosAndKeyTable) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    // Two macros on file; key 0 (Esc) plays the second, key 1 (F1) a macro that is gone.
    const std::filesystem::path folder = UserDeviceFolder("keyboard");
    Json::Value list;
    for (int i = 0; i < 2; ++i) {
        Json::Value info;
        info["MacroName"] = "m" + std::to_string(i);
        info["Guid"] = "g" + std::to_string(i);
        list["MacroInfo"].append(info);
        Json::Value macro;
        Json::Value event;
        event["Button"] = 4;
        event["Action"] = "down";
        event["Type"] = 10;
        event["Delay"] = "20";
        macro["Events"].append(event);
        ASSERT_TRUE(WriteJsonFile(folder / ("g" + std::to_string(i) + ".mac"), macro));
    }
    ASSERT_TRUE(WriteJsonFile(folder / "macro.config", list));
    Json::Value document = ReadJsonFile(keyboard->ProfilePath());
    Json::Value& keys = json::Slot(json::SlotAt(json::Slot(document, "Device"), 0), "KeyList");
    json::Slot(json::SlotAt(keys, 0), "Assignment") = 0x700100;
    json::Slot(json::SlotAt(keys, 1), "Assignment") = 0x700500;
    ASSERT_TRUE(WriteJsonFile(keyboard->ProfilePath(), document));

    // The profile panel's order.
    ASSERT_EQ(keyboard->LoadProfile(), 1);
    keyboard->DropDanglingMacros();
    keyboard->RefreshPanel();
    EXPECT_EQ(keyboard->KeyList()[1].current, keyboard->KeyList()[1].defaults);
    Result block = kResultFailed, table = kResultFailed;
    int upload = 1;
    keyboard->Post([&] {
        block = keyboard->WriteSystemBlock(0, 0, 1, 0, 0);
        upload = keyboard->UploadMacros(keyboard->CollectMacros());
        table = keyboard->WriteKeyTableFromProfile();
    });
    w.Settle();
    EXPECT_EQ(block, kResultSuccess);
    EXPECT_EQ(upload, 0) << "0: the image is on the keyboard";
    EXPECT_EQ(table, kResultSuccess);
    // Macro 1 is the image's only record, so the key names it 0.
    EXPECT_EQ(w.bus.Keyboard()->KeyAt(sim::KeyboardPositionOf(0)),
              (sim::KeyCode{0x70, 0x00, 0x00}));
    EXPECT_EQ(w.bus.Keyboard()->KeyAt(sim::KeyboardPositionOf(1)), sim::FactoryKeyCode(1));
    const std::vector<uint8_t> image = w.bus.Keyboard()->ReadMemory(sim::Region::Macros, 0, 26);
    // Header (length 26, one record at offset 18), then the record: one event, 20 ms, key-down
    // of usage 4.
    const std::vector<uint8_t> expected = {0xAA, 0x55, 26, 0,  1, 0, 0, 0, 0, 0,    0, 0,    0,
                                           0,    0,    0,  18, 0, 1, 0, 0, 0, 0x14, 0, 0x8A, 4};
    EXPECT_EQ(image, expected);
}

TEST_F(KeyboardDevice, CustomColourSendsTheMaskOnCableInTheCustomEffect) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    // Outside the custom-colour effect nothing happens.
    keyboard->SetCustomColour(0);
    w.Settle();
    EXPECT_EQ(w.bus.Keyboard()->PacketCount(kCmdWriteKeyMask), 0u);

    Json::Value document = ReadJsonFile(keyboard->ProfilePath());
    json::Slot(json::Slot(json::SlotAt(json::Slot(document, "Device"), 0), "LightInfo"),
               "SelectItem") = COrvaneKeyboardDevice::kCustomColourEffect;
    // Group 0 starts with no key lit on its own.
    Json::Value& cells = json::SlotAt(
        json::Slot(json::Slot(json::SlotAt(json::Slot(document, "Device"), 0), "CustomLightMode"),
                   "LightColorInfo"),
        0);
    for (Json::ArrayIndex i = 0; i < cells.size(); ++i) cells[i]["IsBright"] = 0;
    ASSERT_TRUE(WriteJsonFile(keyboard->ProfilePath(), document));
    ASSERT_EQ(keyboard->LoadProfile(), 1);
    constexpr int kEsc = 0;
    keyboard->SetCustomColour(kEsc);
    w.Settle();
    ASSERT_EQ(w.bus.Keyboard()->PacketCount(kCmdWriteKeyMask), 1u);
    const size_t k = sim::KeyboardPositionOf(kEsc);
    const std::vector<uint8_t> mask = w.bus.Keyboard()->ReadMemory(sim::Region::KeyMask, 0, 21);
    for (size_t byte = 0; byte < mask.size(); ++byte) {
        const uint8_t wanted = byte == k % 21 ? static_cast<uint8_t>(1u << (k / 21)) : 0;
        EXPECT_EQ(mask[byte], wanted) << byte;
    }
    // The group in the profile keeps the key's own colour.
    const Json::Value saved = ReadJsonFile(keyboard->ProfilePath());
    const Json::Value& group =
        json::At(json::Get(json::Get(json::At(json::Get(saved, "Device"), 0), "CustomLightMode"),
                           "LightColorInfo"),
                 0);
    EXPECT_EQ(json::ToInt(json::Get(json::At(group, kEsc), "IsBright")), 1);
    EXPECT_EQ(json::ToInt(json::Get(json::At(group, 1), "IsBright")), 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // A keyboard that lost its memory (a replug, the machine's sleep) gets the mask again.
    const std::vector<uint8_t> zeros(mask.size(), 0);
    ASSERT_TRUE(w.bus.Keyboard()->WriteMemory(sim::Region::KeyMask, 0, zeros));
    keyboard->RestoreSettings();
    w.Settle();
    EXPECT_EQ(w.bus.Keyboard()->ReadMemory(sim::Region::KeyMask, 0, 21), mask);
}

}  // namespace
}  // namespace qx::devices

namespace qx::devices {
namespace {

// 0x402: the keyboard asks the host for its profiles again; a profile another program added to
// the folder appears in the list, and the settings block is read again.
TEST(KeyboardRefresh, ProfileRequestReadsTheListAgain) {
    std::filesystem::remove_all(UserDeviceFolder("keyboard"));
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(w.controller->Keyboards().front());
    ASSERT_NE(keyboard, nullptr);
    CDeviceProfileUI* panel = CDeviceProfileUI::Of(keyboard);
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->Names().size(), 1u);

    // Another program adds a profile to the folder.
    ProfileManager other;
    other.SetFolders(UserDeviceFolder("keyboard"), DefaultProfilePath("keyboard"));
    ASSERT_TRUE(other.InitProfileList());
    ASSERT_TRUE(other.NewProfile());

    const size_t readsBefore = w.bus.Keyboard()->PacketCount(kCmdReadConfig);
    ASSERT_TRUE(sim::SendDeviceNotification(w.bus, "keyboard", 0x402).Ok());
    EXPECT_TRUE(WaitUntil([&] {
        w.Settle();
        return panel->Names().size() == 2u;
    })) << "the list was not read again";
    EXPECT_TRUE(WaitUntil([&] {
        w.Settle();
        return w.bus.Keyboard()->PacketCount(kCmdReadConfig) > readsBefore;
    })) << "the settings block was not read again";
}

}  // namespace
}  // namespace qx::devices

namespace qx::devices {
namespace {

// A script may set an option the moment the keyboard is on-line, before its first contact has read
// the profile: the profile is read first and the change lands in it and in the keyboard.
TEST(KeyboardOptionsEarly, AnOptionBeforeFirstContactIsMadeOnTheProfile) {
    std::filesystem::remove_all(UserDeviceFolder("keyboard"));
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();  // on-line; the contact timer has not fired yet
    auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(w.controller->Keyboards().front());
    ASSERT_NE(keyboard, nullptr);
    ASSERT_FALSE(keyboard->ProfileLoaded());
    std::string result = "pending";
    keyboard->Options()->SetOption("winlock", "on",
                                   [&result](const std::string& error) { result = error; });
    EXPECT_TRUE(WaitUntil([&] {
        w.Settle();
        return result != "pending";
    }));
    EXPECT_EQ(result, "");
    EXPECT_TRUE(keyboard->ProfileLoaded());
    EXPECT_EQ(w.bus.Keyboard()->ReadMemory(sim::Region::Config, 21, 1).at(0), 1);
    const Json::Value document = ReadJsonFile(keyboard->ProfilePath());
    EXPECT_EQ(
        json::ToInt(json::Get(json::Get(json::At(json::Get(document, "Device"), 0), "SystemStages"),
                              "WinFlag")),
        1);
}

}  // namespace
}  // namespace qx::devices
