// The mouse against the simulated mouse, on its cable and behind its receiver: first contact,
// the DPI scale a sensor reports, stage edits in the mouse's memory and the profile, the
// receiver's gate, notifications, and recoil data saved and uploaded.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLineEdit>
#include <filesystem>
#include <fstream>

#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/user_message.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "devices/panels/dpi_panel.h"
#include "devices/panels/shoot_control_ui.h"
#include "macros/macro_upload.h"
#include "sim/mouse_firmware.h"
#include "sim/sim_setup.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;

const auto kRows = sim::WithSimulatorIdentities(kSupportedDevices);

// Commands in order, the packets of one chunked transfer counted once.
std::vector<int> Commands(const sim::RequestLog& log) {
    std::vector<int> commands;
    for (const sim::LoggedRequest& r : log.requests)
        if (commands.empty() || commands.back() != r.Command()) commands.push_back(r.Command());
    return commands;
}

size_t CountOf(const sim::RequestLog& log, int command) {
    size_t n = 0;
    for (const sim::LoggedRequest& r : log.requests) n += r.Command() == command ? 1 : 0;
    return n;
}

class MouseDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(UserDeviceFolder("mouse"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        SetUserMessageSink([this](const QString& text) { messages << text; });
    }
    void TearDown() override { SetUserMessageSink({}); }

    // The mouse (by bus name) plugged and its first contact done and shown.
    COrvaneMouseDevice* Contact(DeviceWindow& w, const char* name = "mouse") {
        w.Start();
        EXPECT_TRUE(w.bus.Plug(name));
        w.Pass();
        auto* mouse = dynamic_cast<COrvaneMouseDevice*>(w.controller->Mice().front());
        EXPECT_TRUE(
            WaitUntil([&] { return mouse->ProfileLoaded() && mouse->Scale().maxSteps > 0; }));
        w.Settle();
        return mouse;
    }

    static void Notify(COrvaneMouseDevice* mouse, QWidget* control, const char* type,
                       qintptr wParam = 0) {
        mouse->Manager()->SendNotify(control, QString::fromLatin1(type), wParam);
    }

    static std::vector<uint8_t> Config(const DeviceWindow& w, size_t offset, size_t length,
                                       const char* device = "mouse") {
        return w.bus.CommandFirmware(device)->ReadMemory(sim::Region::Config, offset, length);
    }

    QStringList messages;
};

TEST_F(MouseDevice, FirstContactReadsIdentityAndKeyTableThenShowsTheProfile) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    const std::vector<int> commands = Commands(w.bus.Requests("mouse"));
    const std::vector<int> expected = {kCmdBeginConfig, kCmdReadIdentity, kCmdReadKeyTable,
                                       kCmdEndConfig};
    ASSERT_GE(commands.size(), expected.size());
    EXPECT_EQ(std::vector<int>(commands.begin(), commands.begin() + 4), expected);

    // Each logical button at the position the mouse keeps it; the positions it lacks unmapped.
    const std::vector<uint8_t> map = mouse->ButtonMap();
    ASSERT_EQ(map.size(), sim::MouseFirmware::kKeyCount);
    for (size_t j = 0; j < 11; ++j) EXPECT_EQ(map[j], sim::MouseFirmware::PositionOfButton(j));
    EXPECT_EQ(map[11], kNoButton);

    // The default sensor: step 100, 260 steps, 100 DPI at step 0; the shipped stage 0 is 8
    // steps, stage 1 the active one.
    CDpiPanel* panel = mouse->DpiPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Slider(0)->maximum(), 260);
    EXPECT_EQ(panel->Slider(0)->value(), 8);
    EXPECT_EQ(panel->Edit(0)->text(), "900");
    EXPECT_EQ(panel->Edit(4)->text(), "6500");
    EXPECT_TRUE(panel->SelectCheck(1)->isChecked());
    EXPECT_FALSE(panel->EnableCheck(1)->isEnabled()) << "the active stage stays on";
    EXPECT_TRUE(panel->PollingOption(3)->isChecked());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(MouseDevice, CoarseSensorShowsItsScale) {
    DeviceWindow w(kRows);
    w.bus.Plug("mouse", std::make_shared<sim::MouseFirmware>(sim::MouseFirmware::CoarseSensor()));
    w.bus.Unplug("mouse");
    COrvaneMouseDevice* mouse = Contact(w);
    CDpiPanel* panel = mouse->DpiPanel();
    EXPECT_EQ(panel->Slider(0)->maximum(), 60);
    // Shipped stages 48 and 64 steps: 100 × 48 + 200 and 200 DPI a step beyond 48.
    EXPECT_EQ(panel->Edit(3)->text(), "5000");
    EXPECT_EQ(panel->Slider(4)->value(), 60) << "64 steps shown at the slider's end";
    // Typing 5400 is 50 steps.
    panel->Edit(2)->setText("5400");
    Notify(mouse, panel->Edit(2), "killfocus");
    w.Settle();
    EXPECT_EQ(mouse->Settings().stages[2].dpiX, 50);
    EXPECT_EQ(Config(w, 14 + 9 * 2 + 2, 2), (std::vector<uint8_t>{50, 0}));
}

TEST_F(MouseDevice, StageEditsReachTheMouseAndTheProfile) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    CDpiPanel* panel = mouse->DpiPanel();
    w.bus.ClearRequests("mouse");

    Notify(mouse, panel->Slider(1), "valuechanged", 20);
    w.Settle();
    EXPECT_EQ(panel->Edit(1)->text(), "2100");
    // Stage 1's record at bytes 23-31: on, XY flag, 20 steps, the Y value carried, colour.
    EXPECT_EQ(Config(w, 14 + 9, 9), (std::vector<uint8_t>{1, 0, 20, 0, 16, 0, 0, 255, 0}));
    EXPECT_EQ(Commands(w.bus.Requests("mouse")),
              (std::vector<int>{kCmdBeginConfig, kCmdWriteConfig, kCmdEndConfig}));
    const Json::Value profile = ReadJsonFile(mouse->ProfilePath());
    const Json::Value& stage1 = json::At(
        json::Get(json::Get(json::At(json::Get(profile, "Device"), 0), "DPIStages"), "StageDPIs"),
        1);
    EXPECT_EQ(json::ToInt(json::Get(stage1, "StageDPIX")), 20);

    // A typed value below the minimum is the minimum; text without digits is 0.
    panel->Edit(0)->setText("abc");
    Notify(mouse, panel->Edit(0), "killfocus");
    w.Settle();
    EXPECT_EQ(panel->Edit(0)->text(), "100");
    EXPECT_EQ(Config(w, 14 + 2, 1).at(0), 0);

    // Choosing stage 3 as the active one; polling rate 500 Hz (index 2).
    panel->SelectCheck(3)->click();
    panel->PollingOption(2)->click();
    w.Settle();
    EXPECT_EQ(Config(w, 12, 1).at(0), 3);
    EXPECT_EQ(Config(w, 11, 1).at(0), 2);
    EXPECT_FALSE(panel->EnableCheck(3)->isEnabled());
    EXPECT_TRUE(panel->EnableCheck(1)->isEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(MouseDevice, LastEnabledStageCannotBeSwitchedOff) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    CDpiPanel* panel = mouse->DpiPanel();
    for (int i : {0, 2, 3, 4}) panel->EnableCheck(i)->click();
    w.Settle();
    EXPECT_TRUE(panel->EnableCheck(1)->isChecked());
    EXPECT_FALSE(panel->EnableCheck(1)->isEnabled());
    for (int i : {0, 2, 3, 4}) EXPECT_EQ(Config(w, 14 + 9 * static_cast<size_t>(i), 1).at(0), 0);
}

TEST_F(MouseDevice, ColourComesFromThePickerAndCancelChangesNothing) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    CDpiPanel* panel = mouse->DpiPanel();
    EXPECT_TRUE(panel->ColourButton(0)->isEnabled()) << "the palette window picks by default";
    std::function<void(QColor)> answer;
    int asked = 0;
    mouse->SetColourPicker([&](QColor, std::function<void(QColor)> chosen) {
        ++asked;
        answer = std::move(chosen);
    });
    ASSERT_TRUE(panel->ColourButton(0)->isEnabled());
    Notify(mouse, panel->ColourButton(0), "click");
    Notify(mouse, panel->ColourButton(0), "click");
    EXPECT_EQ(asked, 1) << "a second click while the picker is open does nothing";
    answer(QColor());  // cancelled
    w.Settle();
    EXPECT_EQ(Config(w, 14 + 6, 3), (std::vector<uint8_t>{0, 0, 0})) << "nothing written";
    Notify(mouse, panel->ColourButton(0), "click");
    answer(QColor(1, 2, 3));
    w.Settle();
    EXPECT_EQ(Config(w, 14 + 6, 3), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(MouseDevice, ReceiverGateSendsNothingWhileTheMouseIsOff) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w, "mouse-receiver");
    ASSERT_TRUE(mouse->Receiver());
    CDpiPanel* panel = mouse->DpiPanel();
    // On: the write goes through the receiver in 24-byte packets.
    w.bus.ClearRequests("mouse-receiver");
    Notify(mouse, panel->Slider(0), "valuechanged", 30);
    w.Settle();
    EXPECT_EQ(Config(w, 14 + 2, 1, "mouse-receiver").at(0), 30);
    for (const sim::LoggedRequest& r : w.bus.Requests("mouse-receiver").requests)
        EXPECT_LE(r.Length(), 24);

    ASSERT_TRUE(w.bus.SetReceiverOnline("mouse-receiver", false));
    w.bus.ClearRequests("mouse-receiver");
    Notify(mouse, panel->Slider(0), "valuechanged", 40);
    w.Settle();
    const sim::RequestLog log = w.bus.Requests("mouse-receiver");
    EXPECT_EQ(CountOf(log, kCmdPresenceQuery), log.requests.size()) << "only the presence query";
    EXPECT_EQ(Config(w, 14 + 2, 1, "mouse-receiver").at(0), 30);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("out of its receiver's range")) << messages[0].toStdString();
    EXPECT_EQ(mouse->Settings().stages[0].dpiX, 40) << "the profile keeps the change";
    EXPECT_EQ(mouse->WriteKeyTableFromProfile(), kResultUnreachable);
    EXPECT_EQ(mouse->UploadMacros({}), -1);
}

TEST_F(MouseDevice, NotificationsFollowTheMousesButtons) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    w.bus.Mouse()->SendNotification(0x1123);
    ASSERT_TRUE(WaitUntil([&] { return mouse->CurrentProfile() == 3; }));
    w.Settle();
    ASSERT_TRUE(WaitUntil([&] { return mouse->Settings().activeStage == 2; }));
    w.Settle();
    EXPECT_EQ(mouse->Mirror()[12], 2);
    EXPECT_TRUE(mouse->DpiPanel()->SelectCheck(2)->isChecked());
}

TEST_F(MouseDevice, RefreshReadsTheBlockOfTheMousesProfile) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    const uint8_t profile[] = {2};
    w.bus.Mouse()->WriteMemory(sim::Region::Config, 0, profile);
    w.bus.ClearRequests("mouse");
    mouse->Post([mouse] { mouse->RefreshFromDevice(); });
    w.Settle();
    std::vector<std::pair<int, int>> reads;
    for (const sim::LoggedRequest& r : w.bus.Requests("mouse").requests)
        if (r.Command() == kCmdReadConfig) reads.emplace_back(r.Offset(), r.Length());
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads[0], std::make_pair(0, 1));
    EXPECT_EQ(reads[1].first, 256);
    // The firmware's profile 2: mode code 2, brightness 3, 4 - speed = 2, colour FF 40 80,
    // active stage 2.
    const LightInfoRecord light = mouse->LightInfo();
    EXPECT_EQ(light.selectItem, 2);
    EXPECT_EQ(light.speed, 2);
    EXPECT_EQ(light.green, 0x40);
    EXPECT_EQ(mouse->Settings().activeStage, 2);
    EXPECT_EQ(mouse->Mirror()[0], 2);
}

// --- recoil

TEST_F(MouseDevice, RecoilSaveRewritesOnlyTheChangedBullet) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    CShootControlUI* shoot = mouse->ShootPanel();
    ASSERT_NE(shoot, nullptr);
    ASSERT_TRUE(shoot->Usable());
    const std::filesystem::path gun2 = shoot->Store().GunFilePath(2);
    const Json::Value before = ReadJsonFile(gun2);
    ASSERT_GE(json::ArraySize(json::Get(before, "Events")), 30u * 6);

    shoot->SelectGun(2);
    shoot->SelectBullet(3);
    auto* x = mouse->Page()->findChild<QLineEdit*>("bullet_x_eidt");
    auto* xCheck = mouse->Page()->findChild<QAbstractButton*>("bullet_x_check");
    auto* delay = mouse->Page()->findChild<QLineEdit*>("bullet_delay_eidt");
    x->setText("7");
    delay->setText("33");
    xCheck->setChecked(false);
    Notify(mouse, delay, "killfocus");

    const Json::Value after = ReadJsonFile(gun2);
    const Json::Value& events = json::Get(after, "Events");
    for (Json::ArrayIndex i = 0; i < json::ArraySize(events); ++i) {
        if (i >= 18 && i <= 23) continue;
        EXPECT_EQ(events[i], json::Get(before, "Events")[i]) << "entry " << i;
    }
    EXPECT_EQ(json::ToString(json::Get(events[20], "Action")), "up");
    EXPECT_EQ(json::ToInt(json::Get(events[20], "Button")), 7);
    EXPECT_EQ(json::ToString(json::Get(events[22], "Action")), "up");
    EXPECT_TRUE(json::Get(events[21], "Delay").isInt()) << "the delay is an integer";
    EXPECT_EQ(json::ToInt(json::Get(events[21], "Delay")), 33);
}

TEST_F(MouseDevice, RecoilUploadTravelsIn56BytePacketsOnCableAndReceiver) {
    for (const char* device : {"mouse", "mouse-receiver"}) {
        SCOPED_TRACE(device);
        DeviceWindow w(kRows);
        COrvaneMouseDevice* mouse = Contact(w, device);
        w.bus.ClearRequests(device);
        const std::vector<uint8_t> image = BuildRecoilImage(mouse->UserDeviceFolder());
        ASSERT_FALSE(image.empty());
        mouse->ShootPanel()->Upload();
        w.Settle();
        size_t offset = 0;
        for (const sim::LoggedRequest& r : w.bus.Requests(device).requests) {
            if (r.Command() != kCmdWriteRecoil) continue;
            EXPECT_EQ(r.Offset(), offset);
            EXPECT_EQ(r.Length(), std::min<size_t>(56, image.size() - offset));
            offset += r.Length();
        }
        EXPECT_EQ(offset, image.size());
        EXPECT_EQ(w.bus.CommandFirmware(device)->ReadMemory(sim::Region::Recoil, 0, image.size()),
                  image);
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    }
}

TEST_F(MouseDevice, RecoilImageLargerThanTheMemoryIsRefused) {
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    // Gun 0 with 1100 events: 4 × 1100 bytes alone exceed the 4096-byte memory.
    Json::Value document(Json::objectValue);
    Json::Value& events = document["Events"];
    for (int i = 0; i < 1100; ++i) {
        Json::Value event(Json::objectValue);
        event["Action"] = "down";
        event["Button"] = 1;
        event["Delay"] = 1;
        event["Type"] = 4;
        events.append(event);
    }
    ASSERT_TRUE(WriteJsonFile(mouse->UserDeviceFolder() / "ShootData_0.Shoot", document));
    w.bus.ClearRequests("mouse");
    mouse->ShootPanel()->Upload();
    w.Settle();
    EXPECT_EQ(CountOf(w.bus.Requests("mouse"), kCmdWriteRecoil), 0u);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("larger than the mouse's recoil memory"));
}

}  // namespace
}  // namespace qx::devices
