// Device objects on their own: the frame, the picture binding, tab pages, host lighting control,
// notification threads and the hand-over of a sync request to the UI thread.
#include <gtest/gtest.h>

#include <QStackedWidget>
#include <QThread>
#include <atomic>
#include <chrono>
#include <future>
#include <vector>

#include "controls/device_key_button.h"
#include "device_window_fixture.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/notification_thread.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "hid/hid_device.h"
#include "lighting/lighting_tables.h"
#include "ui/control_factory.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::RunEventsFor;
using test::WaitUntil;

// The bus that device objects made on their own reach their interfaces through.
sim::SimBus& NoBus() {
    static sim::SimBus bus;
    return bus;
}

// A family row like the keyboard's with other counts (no page: the device logic alone).
DeviceFamilyRow Counts(int leds, int keys) {
    DeviceFamilyRow row = FamilyRow(DeviceFamily::Keyboard);
    row.ledCount = leds;
    row.keyCount = keys;
    return row;
}

std::array<uint8_t, 23>& RingOf(COrvaneUSBDevice& device) {
    return device.Lighting()->State().ring;
}

TEST(DeviceObject, LedsOutsideTheFrameChangeNothingAndReadAsZero) {
    COrvaneKeyboardDevice device(NoBus());
    const DeviceFamilyRow fifteen = Counts(15, 0);
    device.Setup(fifteen, nullptr);
    device.SetLed(3, 0x123456, 200);
    EXPECT_EQ(device.GetLed(3), std::make_pair(uint32_t{0x123456}, uint32_t{200}));
    const lighting::LightFrame before = device.Frame();
    for (int index : {-1, 15, 169, 170, 100000}) {
        device.SetLed(index, 0xFFFFFF, 255);
        EXPECT_EQ(device.GetLed(index), std::make_pair(uint32_t{0}, uint32_t{0})) << index;
    }
    EXPECT_EQ(device.Frame(), before);
    // A new count empties the frame.
    const DeviceFamilyRow four = Counts(4, 0);
    device.Setup(four, nullptr);
    EXPECT_EQ(device.GetLed(3), std::make_pair(uint32_t{0}, uint32_t{0}));
    EXPECT_EQ(device.Frame().size, 4);
}

TEST(DeviceObject, RingAndFadeCounters) {
    COrvaneKeyboardDevice device(NoBus());
    RingOf(device)[0] = 1;
    RingOf(device)[10] = 1;
    device.StartDecayGroup();
    EXPECT_EQ(device.FadeCounters()[0], 255);
    EXPECT_EQ(device.FadeCounters()[10], 0) << "only entries 0 to 8";
    device.RotateRing(1);
    EXPECT_EQ(RingOf(device)[1], 1);
    EXPECT_EQ(RingOf(device)[11], 1);
    device.RotateRing(0);
    device.RotateRing(0);
    EXPECT_EQ(RingOf(device)[22], 1) << "wraps round";
    device.ClearDecay();
    EXPECT_EQ(RingOf(device)[22], 0);
    EXPECT_EQ(device.FadeCounters()[0], 0);
}

TEST(DeviceObject, PanelBindsTheKeyAndLedButtonsOfThePicture) {
    DeviceWindow w;
    w.Start();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    ASSERT_NE(keyboard->SelectPanel(), nullptr);
    EXPECT_EQ(keyboard->SelectPanel()->objectName(), "device_key_light");
    for (int n : {0, 110, 169}) {
        ASSERT_NE(keyboard->KeyButtons()[static_cast<size_t>(n)], nullptr) << n;
        EXPECT_EQ(keyboard->KeyButtons()[static_cast<size_t>(n)]->objectName(),
                  QString("key_%1").arg(n));
        auto* led = qobject_cast<controls::CDeviceKeyButtonUI*>(
            keyboard->LedButtons()[static_cast<size_t>(n)].data());
        ASSERT_NE(led, nullptr) << n;
        EXPECT_EQ(led->LightColour(), 0xFFFFFFu);
        EXPECT_EQ(led->LightLevel(), 255);
    }
    // The frame reaches the picture once an effect has written it; the buttons take their
    // colour with blue and green swapped in the word.
    auto* led0 = qobject_cast<controls::CDeviceKeyButtonUI*>(keyboard->LedButtons()[0].data());
    keyboard->PushFrame();
    EXPECT_EQ(led0->LightColour(), 0xFFFFFFu) << "nothing written yet";
    keyboard->SetLed(0, 0x00FF10, 128);  // red 0x10, green 0xFF
    keyboard->PushFrame();
    EXPECT_EQ(led0->LightColour(), 0xFF0010u);
    EXPECT_EQ(led0->LightLevel(), 128);

    // The pad's picture has LEDs only.
    COrvaneUSBDevice* mouse = w.controller->Mice().front();
    EXPECT_EQ(mouse->SelectPanel()->objectName(), "mouse_device_key_light");
    EXPECT_NE(mouse->LedButtons()[14], nullptr);

    // A device without a page shows no picture.
    COrvaneKeyboardDevice bare(NoBus());
    const DeviceFamilyRow full = Counts(170, 170);
    bare.Setup(full, nullptr);
    bare.AttachPanel();
    EXPECT_EQ(bare.KeyCount(), 0);
    EXPECT_EQ(bare.LedCount(), 0);
    bare.PushFrame();
}

TEST(DeviceObject, FunctionPagesSelectTheTabsAndTheFunctionKey) {
    DeviceWindow w;
    w.Start();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    auto* function = keyboard->Page()->findChild<QStackedWidget*>("device_function_switch");
    auto* keyFunction = keyboard->Page()->findChild<QStackedWidget*>("device_key_function_switch");
    ASSERT_NE(function, nullptr);
    ASSERT_NE(keyFunction, nullptr);
    ASSERT_GE(keyFunction->count(), 2);
    keyboard->SetFunctionPage(2);
    EXPECT_EQ(keyboard->GetFunctionPage(), 2);
    EXPECT_EQ(function->currentIndex(), 0);
    EXPECT_EQ(keyFunction->currentIndex(), 1);
    EXPECT_FALSE(keyboard->KeyButtons()[110]->isEnabled());
    keyboard->SetFunctionPage(1);
    EXPECT_EQ(keyFunction->currentIndex(), 0);
    EXPECT_TRUE(keyboard->KeyButtons()[110]->isEnabled());
}

TEST(DeviceObject, LightingControlResumesOnlyAWiredKeyboard) {
    auto rows = kSupportedDevices;
    for (size_t row : {size_t{2}, size_t{3}}) {
        rows[row].vendorId = 0x3A5C;
        rows[row].productId = sim::SimBus::kKeyboardReceiverProductId;
    }
    {
        DeviceWindow w;
        w.Start();
        ASSERT_TRUE(w.bus.Plug("keyboard"));
        ASSERT_TRUE(w.bus.Plug("headset"));
        w.Pass();
        auto keyboard = w.bus.Keyboard();
        auto headset = w.bus.Headset();
        w.controller->SetLightingControl(false);
        EXPECT_EQ(keyboard->PacketCount(kCmdLightingResume), 0u);
        w.controller->SetLightingControl(true);
        w.Settle();
        EXPECT_EQ(keyboard->PacketCount(kCmdLightingResume), 1u);
        EXPECT_EQ(headset->PacketCount(kCmdLightingResume), 0u);
        EXPECT_TRUE(w.controller->Headsets().front()->LightingControl());
    }
    {
        DeviceWindow w(rows);
        w.Start();
        ASSERT_TRUE(w.bus.Plug("keyboard-receiver"));
        w.Pass();
        ASSERT_TRUE(w.controller->Keyboards().front()->CommandLink().IsOpen());
        w.controller->SetLightingControl(true);
        w.Settle();
        auto keyboard = w.bus.FirmwareAs<sim::KeyboardFirmware>("keyboard-receiver");
        ASSERT_NE(keyboard, nullptr);
        EXPECT_EQ(keyboard->PacketCount(kCmdLightingResume), 0u);
    }
}

TEST(DeviceObject, StoppingANotificationThreadBlockedInItsReadEndsIt) {
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    ASSERT_TRUE(keyboard->NotificationOpen(false));
    // The thread sits in its unbounded read: nothing arrives on the interface.
    auto stopped =
        std::async(std::launch::async, [keyboard] { keyboard->CloseNotificationInterface(false); });
    ASSERT_EQ(stopped.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "the stop did not cut the read short";
    EXPECT_FALSE(keyboard->NotificationOpen(false));
    EXPECT_FALSE(keyboard->NotificationLink().CableInterface().IsOpen());
    // Reopening starts a new thread that reads again.
    ASSERT_TRUE(
        keyboard->OpenNotificationInterface(w.slotTable.Slot(1).path, DeviceKind::KeyboardWired));
    w.bus.Keyboard()->SendSyncRequest();
    auto* typed = static_cast<COrvaneKeyboardDevice*>(keyboard);
    EXPECT_TRUE(WaitUntil([&] { return typed->LastNotificationCode() == 0x401; }));
}

// Parking cuts the thread's read short with a cancel, and whoever parks it looks at once: that
// look must not take the cancel meant for the read, or the thread stays in it, woken by every
// reply of the command channel. However the two meet, the thread comes to rest.
TEST(DeviceObject, AParkedNotificationThreadRestsWhenItsParkerLooksAtOnce) {
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    HidDevice node(w.bus);
    ASSERT_NE(node.Open(w.slotTable.Slot(1).path, true, true, true, false), 0);
    std::atomic<int> codes{0};
    NotificationThread thread;
    thread.Start(
        node, [&codes](uint16_t) { codes.fetch_add(1); }, "test notify ended");
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        thread.SetParked(false);
        ASSERT_TRUE(WaitUntil([&] { return !thread.Resting(); }));
        QThread::usleep(static_cast<unsigned long>(200 * (round % 8)));  // into its read, or not
        thread.SetParked(true);
        thread.Look();
        ASSERT_TRUE(WaitUntil([&] { return thread.Resting(); }, 2000));
    }
    // At rest, a notification is taken by the next look.
    w.bus.Keyboard()->SendSyncRequest();
    EXPECT_TRUE(WaitUntil([&] {
        thread.Look();
        return codes.load() == 1;
    }));
    thread.Stop();
}

// A keyboard that counts what the entry's timers run on it, and on which thread.
class CountingKeyboard : public COrvaneKeyboardDevice {
  public:
    using COrvaneKeyboardDevice::COrvaneKeyboardDevice;
    ~CountingKeyboard() override { Shutdown(); }
    void FirstContact() override {
        COrvaneKeyboardDevice::FirstContact();
        onWorker = onWorker && Worker().OnWorkerThread();
        ++contacts;
    }
    void RefreshFromDevice() override {
        onWorker = onWorker && Worker().OnWorkerThread();
        ++refreshes;
    }
    void HandleNotify(ui::TNotifyUI& msg) override { notified.push_back(msg.type); }
    std::vector<QString> notified;
    std::atomic<int> contacts{0};
    std::atomic<int> refreshes{0};
    std::atomic<bool> onWorker{true};
};

std::vector<DeviceFamilyRow> CountingFamilies() {
    std::vector<DeviceFamilyRow> rows(DeviceFamilies().begin(), DeviceFamilies().end());
    rows[static_cast<size_t>(DeviceFamily::Keyboard)].create =
        [](HidBackend& backend) -> std::unique_ptr<COrvaneUSBDevice> {
        return std::make_unique<CountingKeyboard>(backend);
    };
    return rows;
}

TEST(DeviceObject, SyncRequestRunsRefreshFromDeviceOnTheDevicesWorker) {
    const std::vector<DeviceFamilyRow> families = CountingFamilies();
    DeviceWindow w(kSupportedDevices, families);
    w.Start();
    auto* keyboard = dynamic_cast<CountingKeyboard*>(w.controller->Keyboards().front());
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->contacts.load() == 1; }));
    EXPECT_EQ(keyboard->refreshes.load(), 0);

    w.bus.Keyboard()->SendSyncRequest();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->refreshes.load() == 1; }));
    EXPECT_TRUE(keyboard->onWorker) << "first contact and refresh run on the device's worker";
    EXPECT_EQ(keyboard->LastNotificationCode(), 0x401);
    // Notifications reach the device only from its own controls.
    QWidget* own = keyboard->Page()->findChild<QWidget*>("default_btn");
    QWidget* mouseButton = w.controller->Mice().front()->Page()->findChild<QWidget*>("default_btn");
    ASSERT_NE(own, nullptr);
    ASSERT_NE(mouseButton, nullptr);
    w.paintManager->SendNotify(mouseButton, "click");
    EXPECT_TRUE(keyboard->notified.empty());
    w.paintManager->SendNotify(own, "click");
    EXPECT_EQ(keyboard->notified, std::vector<QString>{"click"});

    // A key press is no sync request.
    w.bus.Keyboard()->PressKey(0x2A);
    RunEventsFor(200);
    EXPECT_EQ(keyboard->refreshes.load(), 1);
}

}  // namespace
}  // namespace qx::devices

namespace qx::devices {
namespace {

// The whole-device steps, fades and ring are the lighting engine's, over the device's frame.
TEST(DeviceObject, StepsRunTheKindsLightingEngine) {
    COrvaneMouseDevice mouse(NoBus());
    const DeviceFamilyRow fifteen = Counts(15, 0);
    mouse.Setup(fifteen, nullptr);
    const auto step = [&](void (lighting::LightingEngine::*which)()) {
        mouse.RunLightingStep([which](lighting::LightingEngine& e) { (e.*which)(); });
    };
    mouse.Light().colour = {10, 20, 30};
    mouse.Light().brightness = 4;
    step(&lighting::LightingEngine::StepStatic);
    for (int led : {0, 14}) {
        EXPECT_EQ(mouse.GetLed(led), std::make_pair(uint32_t{10 | 20 << 8 | 30 << 16},
                                                    uint32_t{lighting::kBrightnessTable[4]}));
    }
    mouse.Light().brightness = 0;
    step(&lighting::LightingEngine::StepStatic);
    EXPECT_EQ(mouse.GetLed(3).second, uint32_t{lighting::kBrightnessTable[0]});
    step(&lighting::LightingEngine::StepOff);
    EXPECT_EQ(mouse.GetLed(7), std::make_pair(uint32_t{0}, uint32_t{0}));
}

// A key pressed on the keyboard reaches its reactive effect through the notification thread.
TEST(DeviceObject, KeyEventsReachTheKeyboardsLighting) {
    test::DeviceWindow w;
    w.Start();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    ASSERT_TRUE(test::WaitUntil([&] { return keyboard->NotificationOpen(false); }));
    keyboard->Light().effectId = 10;  // a pressed key lights up
    keyboard->Light().colour = {255, 0, 0};
    keyboard->Light().brightness = 4;
    keyboard->Lighting()->ApplySettings(keyboard->Light());
    const auto litLeds = [&] {
        const lighting::LightFrame frame = keyboard->Frame();
        int lit = 0;
        for (int i = 0; i < frame.size; ++i) lit += frame.leds[static_cast<size_t>(i)].level > 0;
        return lit;
    };
    ASSERT_EQ(litLeds(), 0);
    w.bus.Keyboard()->PressKey(0x10);
    // The light thread's part: step the effect until the key's flash is drawn.
    EXPECT_TRUE(test::WaitUntil([&] {
        keyboard->Lighting()->Step();
        return litLeds() > 0;
    }));
}

}  // namespace
}  // namespace qx::devices
