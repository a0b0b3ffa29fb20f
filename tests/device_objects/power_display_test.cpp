// The power control of the device list shows a power record.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <array>
#include <memory>

#include "controls/register_controls.h"
#include "devices/base/mp_device_power_ui.h"
#include "devices/base/register_device_controls.h"
#include "devices/base/skin_image.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace qx::devices {
namespace {

class PowerDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterDeviceControls();
        power_.reset(qobject_cast<CMpDevicePowerUI*>(
            loader_.Build("XML/CustomControlXML/MpDevicePower.ui")));
        ASSERT_NE(power_, nullptr) << loader_.LastError().toStdString();
    }
    QWidget* Sub(const char* name) { return power_->findChild<QWidget*>(name); }
    QProgressBar* Progress() { return power_->findChild<QProgressBar*>("device_Power_progress"); }
    void Show(DeviceKind kind, std::array<uint8_t, 6> record) {
        power_->SetKind(kind, 0);
        power_->ShowPowerRecord(record.data(), record.size());
    }

    ui::SkinLoader loader_;
    std::unique_ptr<CMpDevicePowerUI> power_;
};

TEST_F(PowerDisplay, ChargingOnCableShowsLevelProgressAndChargingImage) {
    Show(DeviceKind::KeyboardWired, {37, 1, 0, 0, 0, 0});
    EXPECT_EQ(ui::ControlText(Sub("device_power_value")), "37%");
    ASSERT_NE(Progress(), nullptr);
    EXPECT_EQ(Progress()->value(), 63);
    EXPECT_FALSE(Progress()->isHidden());
    EXPECT_EQ(ControlImage(Sub("device_power_status")), "file='power/powering.png'");
    EXPECT_FALSE(power_->Wireless());
}

TEST_F(PowerDisplay, ChargeStatesAndTheWirelessLink) {
    struct Case {
        DeviceKind kind;
        std::array<uint8_t, 6> record;
        const char* image;
        bool progressShown;
        bool logoShown;
    };
    const Case cases[] = {
        {DeviceKind::MouseWired, {80, 0, 0, 0, 0, 0}, "file='power/powered.png'", true, false},
        {DeviceKind::MouseWired,
         {80, 1, 0, 1, 0, 0},
         "file='power/wuxian_powering.png'",
         false,
         true},
        {DeviceKind::MouseWired, {5, 2, 0, 1, 0, 0}, "file='power/power.png'", true, true},
        // Back on the cable the wireless logo goes and charging shows the cable picture.
        {DeviceKind::MouseWired, {6, 1, 0, 0, 0, 0}, "file='power/powering.png'", true, false},
    };
    for (const Case& c : cases) {
        Show(c.kind, c.record);
        EXPECT_EQ(ControlImage(Sub("device_power_status")), c.image);
        EXPECT_EQ(!Progress()->isHidden(), c.progressShown) << c.image;
        EXPECT_EQ(!Sub("device_wuxian_logo")->isHidden(), c.logoShown) << c.image;
    }
    // An unknown charge state leaves the picture as it was.
    Show(DeviceKind::MouseWired, {50, 7, 0, 0, 0, 0});
    EXPECT_EQ(ControlImage(Sub("device_power_status")), "file='power/powering.png'");
    EXPECT_EQ(Progress()->value(), 50);
}

TEST_F(PowerDisplay, PadPhoneTypes) {
    const std::pair<uint8_t, const char*> cases[] = {{1, "Phone_type_iphone"},
                                                     {2, "Phone_type_samsung"},
                                                     {3, "Phone_type_other"},
                                                     {9, "Phone_type_no_device"},
                                                     {0, "Phone_type_no_device"}};
    for (const auto& [type, key] : cases) {
        Show(DeviceKind::MousePad, {50, 2, 0, 0, 0, type});
        EXPECT_EQ(ui::ControlTextKey(Sub("device_phone_type")), key) << int{type};
        EXPECT_EQ(ControlImage(Sub("device_phone_image")), QString("file='power/%1.png'").arg(key));
    }
}

TEST_F(PowerDisplay, ShortLongAndMissingRecordsAreSafe) {
    const std::array<uint8_t, 2> shortRecord = {20, 0};
    power_->ShowPowerRecord(shortRecord.data(), shortRecord.size());
    EXPECT_EQ(ui::ControlText(Sub("device_power_value")), "20%");
    std::array<uint8_t, 200> longRecord{};
    longRecord[0] = 99;
    power_->ShowPowerRecord(longRecord.data(), longRecord.size());
    EXPECT_EQ(Progress()->value(), 1);
    power_->ShowPowerRecord(nullptr, 6);
    EXPECT_EQ(ui::ControlText(Sub("device_power_value")), "0%");
    // A level above 100 keeps the progress inside its range.
    const std::array<uint8_t, 6> over = {250, 0, 0, 0, 0, 0};
    power_->ShowPowerRecord(over.data(), over.size());
    EXPECT_EQ(Progress()->value(), 0);
}

TEST_F(PowerDisplay, BatteryLayoutFollowsTheFlag) {
    power_->ShowBattery(false);
    EXPECT_TRUE(Sub("device_power_Layout")->isHidden());
    power_->ShowBattery(true);
    EXPECT_FALSE(Sub("device_power_Layout")->isHidden());
}

}  // namespace
}  // namespace qx::devices
