// Lighting changes against first contact: a change made while the keyboard was opened but not
// yet read waits for the end of first contact and wins over what it read, without writing the
// keyboard's options before they are known; settings read back from the keyboard end its part
// in the synchronised lighting.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <filesystem>
#include <future>

#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/panels/light_control_ui.h"
#include "sim/keyboard_firmware.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;

constexpr size_t kEffectByte = 1;  // of profile 0's block in configuration memory
constexpr size_t kWinLockByte = 21;

class LightContact : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(UserDeviceFolder("keyboard"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
    }
    // The keyboard plugged and through first contact, its light thread running; null if not.
    static COrvaneKeyboardDevice* Contacted(DeviceWindow& w) {
        w.Start();
        if (!w.bus.Plug("keyboard")) return nullptr;
        w.Pass();
        auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(w.controller->Keyboards().front());
        if (keyboard == nullptr ||
            !WaitUntil([&] { return keyboard->LightThreadRunning(); }, 10000))
            return nullptr;
        w.Settle();
        return keyboard;
    }
    // Another brightness asked for; each answer counted and its error kept.
    static void ChangeBrightness(COrvaneKeyboardDevice* keyboard, int& answers, QString& error) {
        LightInfoRecord record = keyboard->LightRecord();
        record.light = static_cast<uint8_t>(record.light == 1 ? 2 : 1);
        keyboard->ChangeLighting(record, [&answers, &error](const QString& e) {
            ++answers;
            error = e;
        });
    }
    static uint8_t ConfigByte(const DeviceWindow& w, size_t offset) {
        return w.bus.Keyboard()->ReadMemory(sim::Region::Config, offset, 1).at(0);
    }
};

TEST_F(LightContact, AChangeBeforeFirstContactWinsAndKeepsTheKeyboardsOptions) {
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    // The keyboard holds its Windows-key lock on: nothing the host has read yet.
    const uint8_t on = 1;
    ASSERT_TRUE(w.bus.Keyboard()->WriteMemory(sim::Region::Config, kWinLockByte, {&on, 1}));
    w.Pass();
    auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(w.controller->Keyboards().front());
    ASSERT_NE(keyboard, nullptr);
    // On-line, and first contact (half a second after the open) has not run.
    ASSERT_TRUE(WaitUntil([&] { return keyboard->Online(); }));
    ASSERT_FALSE(keyboard->LightThreadRunning());

    const LightModeList list = ReadLightModeList(keyboard->GetModelIndex());
    const uint8_t before = ConfigByte(w, kEffectByte);
    int wanted = -1;
    for (size_t id = 0; id < list.codes.size() && wanted < 0; ++id) {
        const int code = list.codes[id];
        if (list.visible[id] && code != 29 && code != 30 && code != before) wanted = int(id);
    }
    ASSERT_GE(wanted, 0);
    LightInfoRecord record = keyboard->LightRecord();
    record.selectItem = static_cast<uint8_t>(wanted);
    record.red = 12;
    record.green = 34;
    record.blue = 56;
    record.multiColor = 0;
    bool answered = false;
    QString error;
    keyboard->ChangeLighting(record, [&](const QString& e) {
        answered = true;
        error = e;
    });
    ASSERT_TRUE(WaitUntil([&] { return answered; }, 10000));
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(keyboard->LightThreadRunning()) << "answered only once first contact was over";
    w.Settle();
    // The change, not what first contact read, in the keyboard, the model and the panel.
    EXPECT_EQ(ConfigByte(w, kEffectByte), list.codes[size_t(wanted)]);
    EXPECT_EQ(keyboard->LightInfo().selectItem, wanted);
    EXPECT_EQ(keyboard->LightInfo().red, 12);
    EXPECT_EQ(keyboard->GetLightSettings()[0] & 0xFF, uint32_t(wanted));
    CLightControlUI* panel = keyboard->LightPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetEffectIndex(), wanted);
    // The block was written with the options the keyboard had.
    EXPECT_EQ(ConfigByte(w, kWinLockByte), 1) << "the keyboard's option was written over";
    EXPECT_EQ(keyboard->System().winLock, 1);
}

TEST_F(LightContact, AChangeStillWaitingWhenTheKeyboardGoesAwayIsAnsweredWithAFailure) {
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(w.controller->Keyboards().front());
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return keyboard->Online(); }));
    ASSERT_FALSE(keyboard->LightThreadRunning());
    int answers = 0;
    QString error;
    ChangeBrightness(keyboard, answers, error);
    // Held for first contact (or still queued): the device goes before either ends.
    keyboard->Shutdown();
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(error.isEmpty());
    w.Pass();
    EXPECT_EQ(answers, 1) << "answered once";
}

// Unplugged, the keyboard's object stays for its return: a change dropped with its worker's
// queue is answered then, not when the program ends (a caller on the bus would give up first).
TEST_F(LightContact, AChangeDroppedWhenTheKeyboardIsUnpluggedIsAnsweredAtOnce) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contacted(w);
    ASSERT_NE(keyboard, nullptr);
    // The worker is busy: the change waits behind.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> busy{false};
    ASSERT_TRUE(keyboard->Post([released, &busy] {
        busy.store(true);
        released.wait();
    }));
    ASSERT_TRUE(WaitUntil([&] { return busy.load(); }));
    int answers = 0;
    QString error;
    ChangeBrightness(keyboard, answers, error);
    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    // The removal is taken while the worker is still busy (a whole pass would wait for it).
    w.discovery->RunPass();
    QCoreApplication::processEvents();
    release.set_value();
    EXPECT_TRUE(WaitUntil([&] { return answers > 0; })) << "not answered while the program runs";
    EXPECT_FALSE(error.isEmpty()) << "a change that never reached the keyboard was reported done";
    EXPECT_FALSE(keyboard->Online());
    ASSERT_EQ(w.controller->Keyboards().size(), 1u);
    EXPECT_EQ(w.controller->Keyboards().front(), keyboard) << "the object stays for a return";
    keyboard->Shutdown();
    EXPECT_EQ(answers, 1) << "answered once";
}

TEST_F(LightContact, SettingsReadBackFromTheKeyboardEndItsSynchronisedLighting) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contacted(w);
    ASSERT_NE(keyboard, nullptr);
    keyboard->SetSynchronisedLighting(true);
    // The keyboard asks for its settings to be read again.
    w.bus.Keyboard()->SendSyncRequest();
    EXPECT_TRUE(WaitUntil([&] { return !keyboard->SynchronisedLighting(); }, 10000));
}

}  // namespace
}  // namespace qx::devices
