// The mouse's pointer options reach the desktop's settings where it has them (an in-memory
// GNOME store) and stay in the profile, with the controls saying so, where it has not.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLabel>

#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/user_message.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "devices/panels/mouse_option_panel.h"
#include "platform/pointer_settings.h"
#include "sim/sim_setup.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using platform::MemorySettingsStore;
using platform::PointerSettings;
using test::DeviceWindow;
using test::WaitUntil;

const auto kRows = sim::WithSimulatorIdentities(kSupportedDevices);
constexpr const char* kSchema = "org.gnome.desktop.peripherals.mouse";

class MousePointer : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(UserDeviceFolder("mouse"));
        ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
        SetUserMessageSink([this](const QString& text) { messages << text; });
    }
    void TearDown() override {
        CMouseOptionPanel::SetSettingsFactory({});
        SetUserMessageSink({});
    }

    COrvaneMouseDevice* Contact(DeviceWindow& w) {
        w.Start();
        EXPECT_TRUE(w.bus.Plug("mouse"));
        w.Pass();
        auto* mouse = dynamic_cast<COrvaneMouseDevice*>(w.controller->Mice().front());
        EXPECT_TRUE(WaitUntil([&] { return mouse->ProfileLoaded(); }));
        w.Settle();
        return mouse;
    }

    template <class T>
    static T* Control(COrvaneMouseDevice* mouse, const char* name) {
        return mouse->Page()->findChild<T*>(QString::fromLatin1(name));
    }

    QStringList messages;
};

TEST_F(MousePointer, GnomeTakesSpeedPrecisionAndDoubleClickButNotWheelLines) {
    MemorySettingsStore* store = nullptr;
    CMouseOptionPanel::SetSettingsFactory([&store] {
        auto memory =
            std::make_unique<MemorySettingsStore>(std::map<MemorySettingsStore::Key, std::string>{
                {{kSchema, "speed"}, "0.0"},
                {{kSchema, "accel-profile"}, "'default'"},
                {{kSchema, "double-click"}, "400"}});
        store = memory.get();
        return std::make_unique<PointerSettings>(PointerSettings::Desktop::Gnome,
                                                 std::move(memory));
    });
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    ASSERT_NE(store, nullptr);
    ui::PaintManager* manager = mouse->Manager();

    auto* speed = Control<QAbstractSlider>(mouse, "pointer_speed_slider");
    manager->SendNotify(speed, "valuechanged", 9);  // 9 × 2 + 2 = 20, the fastest
    manager->SendNotify(Control<QAbstractButton>(mouse, "pointer_precision_check"), "selectchanged",
                        0);
    auto* doubleClick = Control<QAbstractSlider>(mouse, "double_click_slider");
    manager->SendNotify(doubleClick, "valuechanged", 8);  // (10 - 8 + 1) × 100
    manager->SendNotify(Control<QAbstractSlider>(mouse, "scroll_speed_slider"), "valuechanged", 4);
    w.Settle();
    EXPECT_EQ(store->Get(kSchema, "speed"), "1.00");
    EXPECT_EQ(store->Get(kSchema, "accel-profile"), "'flat'");
    EXPECT_EQ(store->Get(kSchema, "double-click"), "300");
    // The profile keeps the slider positions.
    const MouseSystemRecord system = mouse->Settings().system;
    EXPECT_EQ(system.High(0), 9);
    EXPECT_EQ(system.Low(0), 8);
    EXPECT_EQ(system.Low(1), 0);
    EXPECT_EQ(system.Low(2), 4);
    // Wheel lines: not on GNOME, and the control and the note say so.
    auto* note = Control<QLabel>(mouse, "pointer_desktop_note");
    EXPECT_FALSE(note->isHidden());
    EXPECT_FALSE(Control<QAbstractSlider>(mouse, "scroll_speed_slider")->toolTip().isEmpty());
    EXPECT_TRUE(speed->toolTip().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(MousePointer, DesktopWithoutSettingsKeepsThemInTheProfile) {
    CMouseOptionPanel::SetSettingsFactory(
        [] { return std::make_unique<PointerSettings>(PointerSettings::Desktop::None, nullptr); });
    DeviceWindow w(kRows);
    COrvaneMouseDevice* mouse = Contact(w);
    auto* speed = Control<QAbstractSlider>(mouse, "pointer_speed_slider");
    mouse->Manager()->SendNotify(speed, "valuechanged", 3);
    w.Settle();
    EXPECT_EQ(mouse->Settings().system.High(0), 3);
    EXPECT_FALSE(speed->toolTip().isEmpty());
    EXPECT_FALSE(Control<QLabel>(mouse, "pointer_desktop_note")->isHidden());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST(PointerConversions, SlidersToSystemValues) {
    EXPECT_EQ(CMouseOptionPanel::SystemSpeed(0), 2);
    EXPECT_EQ(CMouseOptionPanel::SystemSpeed(10), 20);
    EXPECT_EQ(CMouseOptionPanel::SystemWheelLines(2, false), 3);
    EXPECT_EQ(CMouseOptionPanel::SystemWheelLines(2, true), 255);
    EXPECT_EQ(CMouseOptionPanel::SystemDoubleClickMs(10, 10), 100);
}

TEST(PointerReload, KdeIsToldToTakeUpWhatWasWritten) {
    auto owned =
        std::make_unique<MemorySettingsStore>(std::map<MemorySettingsStore::Key, std::string>{
            {{"kcminputrc", "Mouse/XLbInptPointerAcceleration"}, "0"},
            {{"kdeglobals", "KDE/DoubleClickInterval"}, "400"}});
    MemorySettingsStore* store = owned.get();
    PointerSettings kde(PointerSettings::Desktop::Kde, std::move(owned));
    std::string error;
    EXPECT_TRUE(kde.ApplySpeed(15, &error)) << error;
    EXPECT_TRUE(kde.ApplyDoubleClick(500, &error)) << error;
    // A setting the files lack is not written, and nothing is reloaded for it.
    EXPECT_FALSE(kde.ApplyWheel(3, false, &error));
    EXPECT_EQ(store->Reloads(), (std::vector<std::string>{"kcminputrc", "kdeglobals"}));
    EXPECT_EQ(store->Get("kdeglobals", "KDE/DoubleClickInterval"), "500");
}

}  // namespace
}  // namespace qx::devices
