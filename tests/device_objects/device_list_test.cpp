// The device list against the simulated bus: placeholder entries, arrival, removal, replug,
// several devices, the receiver's presence, and moving the selection.
#include <gtest/gtest.h>

#include <QAbstractButton>

#include "device_window_fixture.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/mp_device_power_ui.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "hid/hid_paths.h"
#include "sim/sim_bus.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;
using SupportedDeviceRowTable = std::array<SupportedDeviceRow, kSupportedDeviceCount>;

CDeviceOptionUI* EntryOf(const std::vector<COrvaneUSBDevice*>& family) {
    return family.empty() ? nullptr : family.front()->DeviceEntry();
}

TEST(DeviceList, PlaceholdersOfMouseAndKeyboardExistHiddenAtStart) {
    DeviceWindow w;
    ASSERT_NE(w.window, nullptr) << w.loader->LastError().toStdString();
    w.Start();
    ASSERT_EQ(w.controller->Mice().size(), 1u);
    ASSERT_EQ(w.controller->Keyboards().size(), 1u);
    EXPECT_TRUE(w.controller->MousePads().empty());
    EXPECT_TRUE(w.controller->Headsets().empty());
    for (CDeviceOptionUI* entry :
         {EntryOf(w.controller->Mice()), EntryOf(w.controller->Keyboards())}) {
        ASSERT_NE(entry, nullptr);
        EXPECT_FALSE(entry->IsShown());
        EXPECT_TRUE(entry->isHidden());
    }
    EXPECT_EQ(w.controller->OnlineCount(), 0);
    EXPECT_EQ(w.controller->CurrentDevice(), nullptr);
    w.controller->RefreshNoDeviceLink();
    EXPECT_TRUE(w.NoDeviceShown());
    // The entries carry their family's icons and names.
    EXPECT_EQ(EntryOf(w.controller->Keyboards())->NormalImage(),
              "common/device_ico/kb_device_normal.png");
    EXPECT_EQ(EntryOf(w.controller->Mice())->SelectedImage(),
              "common/device_ico/ms_device_selected.png");
    EXPECT_EQ(w.controller->Keyboards().front()->Kind(), DeviceKind::KeyboardWired);
    EXPECT_EQ(w.controller->Keyboards().front()->KeyCount(), 170);
    EXPECT_EQ(w.controller->Mice().front()->LedCount(), 15);
    EXPECT_TRUE(w.controller->Mice().front()->HasBattery());
}

TEST(DeviceList, KeyboardArrivalShowsAndSelectsItsEntryAndUnplugShowsNoDevice) {
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    CDeviceOptionUI* entry = keyboard->DeviceEntry();
    EXPECT_TRUE(keyboard->CommandLink().IsOpen());
    EXPECT_FALSE(keyboard->Receiver());
    EXPECT_TRUE(keyboard->NotificationOpen(false));
    EXPECT_TRUE(entry->IsShown());
    EXPECT_TRUE(entry->IsSelected());
    EXPECT_FALSE(w.NoDeviceShown());
    EXPECT_EQ(w.controller->CurrentDevice(), keyboard);
    EXPECT_EQ(w.SelectedPage(), entry->PageIndex());
    EXPECT_EQ(w.SelectedPowerPage(), entry->PowerPageIndex());
    EXPECT_FALSE(EntryOf(w.controller->Mice())->IsShown());

    // Contact runs from the entry's timer: the identity is read.
    ASSERT_TRUE(
        WaitUntil([&] { return keyboard->Identity()[0] != 0 || keyboard->Identity()[5] != 0; }));

    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    w.Pass();
    EXPECT_FALSE(keyboard->CommandLink().IsOpen());
    EXPECT_FALSE(keyboard->NotificationOpen(false));
    EXPECT_FALSE(entry->IsShown());
    EXPECT_FALSE(entry->IsSelected());
    EXPECT_TRUE(w.NoDeviceShown());
    EXPECT_EQ(w.SelectedPage(), 0);
    EXPECT_EQ(w.SelectedPowerPage(), 0);
    EXPECT_EQ(w.controller->CurrentDevice(), nullptr);
}

TEST(DeviceList, ReplugReusesTheDeviceObjectAndItsPage) {
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    const int page = keyboard->DeviceEntry()->PageIndex();
    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    w.Pass();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    ASSERT_EQ(w.controller->Keyboards().size(), 1u);
    EXPECT_EQ(w.controller->Keyboards().front(), keyboard);
    EXPECT_EQ(keyboard->DeviceEntry()->PageIndex(), page);
    EXPECT_TRUE(keyboard->CommandLink().IsOpen());
    EXPECT_TRUE(keyboard->NotificationOpen(false));
    EXPECT_TRUE(keyboard->DeviceEntry()->IsShown());
    EXPECT_EQ(w.SelectedPage(), page);
    EXPECT_FALSE(w.NoDeviceShown());
}

TEST(DeviceList, TwoDevicesOnlineAndOneRemoved) {
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    ASSERT_TRUE(w.bus.Plug("headset"));
    w.Pass();
    ASSERT_EQ(w.controller->Headsets().size(), 1u) << "the headset's entry is made on arrival";
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    COrvaneUSBDevice* headset = w.controller->Headsets().front();
    EXPECT_EQ(headset->Kind(), DeviceKind::Headset);
    EXPECT_EQ(w.controller->OnlineCount(), 2);
    EXPECT_TRUE(keyboard->SeveralOnline());
    EXPECT_TRUE(headset->SeveralOnline());
    keyboard->SetSynchronisedLighting(true);
    headset->SetSynchronisedLighting(true);
    int lostSelected = 0;
    w.controller->SetSelectedEntryLostHandler([&] { ++lostSelected; });
    // Only the first arrival is selected.
    const bool keyboardSelected = keyboard->DeviceEntry()->IsSelected();
    EXPECT_NE(keyboardSelected, headset->DeviceEntry()->IsSelected());

    // Unplugging the selected one selects the other.
    const char* selectedName = keyboardSelected ? "keyboard" : "headset";
    COrvaneUSBDevice* other = keyboardSelected ? headset : keyboard;
    ASSERT_TRUE(w.bus.Unplug(selectedName));
    w.Pass();
    EXPECT_EQ(w.controller->OnlineCount(), 1);
    EXPECT_EQ(lostSelected, 1);
    EXPECT_FALSE(other->SeveralOnline());
    EXPECT_FALSE(keyboard->SynchronisedLighting());
    EXPECT_FALSE(headset->SynchronisedLighting());
    EXPECT_TRUE(other->DeviceEntry()->IsShown());
    EXPECT_TRUE(other->DeviceEntry()->IsSelected());
    EXPECT_EQ(w.controller->CurrentDevice(), other);
    EXPECT_EQ(w.SelectedPage(), other->DeviceEntry()->PageIndex());
    EXPECT_FALSE(w.NoDeviceShown());

    // A second headset arrival reuses its object too.
    ASSERT_TRUE(w.bus.Unplug(keyboardSelected ? "headset" : "keyboard"));
    w.Pass();
    EXPECT_TRUE(w.NoDeviceShown());
    ASSERT_TRUE(w.bus.Plug("headset"));
    w.Pass();
    EXPECT_EQ(w.controller->Headsets().size(), 1u);
    EXPECT_TRUE(headset->DeviceEntry()->IsShown());
}

TEST(DeviceList, PreviousAndNextMoveTheSelectionAmongShownEntries) {
    DeviceWindow w;
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    ASSERT_TRUE(w.bus.Plug("headset"));
    w.Pass();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    COrvaneUSBDevice* headset = w.controller->Headsets().front();
    // List order: mouse (hidden), keyboard, headset.
    ASSERT_EQ(w.controller->CurrentDevice(), keyboard);
    w.controller->SelectPrevious();  // only the hidden mouse is before it
    EXPECT_EQ(w.controller->CurrentDevice(), keyboard);
    w.controller->SelectNext();
    EXPECT_EQ(w.controller->CurrentDevice(), headset);
    EXPECT_FALSE(keyboard->DeviceEntry()->IsSelected());
    EXPECT_EQ(w.SelectedPage(), headset->DeviceEntry()->PageIndex());
    w.controller->SelectNext();  // at the end nothing changes
    EXPECT_EQ(w.controller->CurrentDevice(), headset);
    w.controller->SelectPrevious();
    EXPECT_EQ(w.controller->CurrentDevice(), keyboard);

    // Clicking an entry's option shows its page.
    headset->DeviceEntry()->SetSelected(true);
    w.controller->OnDeviceSelected(headset->DeviceEntry()->SelectOption());
    EXPECT_EQ(w.SelectedPage(), headset->DeviceEntry()->PageIndex());
    EXPECT_EQ(w.SelectedPowerPage(), headset->DeviceEntry()->PowerPageIndex());
}

TEST(DeviceList, ReceiverEntryFollowsThePresenceOfTheKeyboardBehindIt) {
    auto rows = kSupportedDevices;
    for (size_t row : {size_t{2}, size_t{3}}) {
        rows[row].vendorId = 0x3A5C;
        rows[row].productId = sim::SimBus::kKeyboardReceiverProductId;
    }
    DeviceWindow w(rows);
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard-receiver"));
    w.Pass();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    CDeviceOptionUI* entry = keyboard->DeviceEntry();
    ASSERT_TRUE(keyboard->CommandLink().IsOpen());
    EXPECT_TRUE(keyboard->Receiver());
    EXPECT_TRUE(keyboard->NotificationOpen(true));
    EXPECT_EQ(keyboard->Kind(), DeviceKind::KeyboardWired) << "the cable record stays";
    // Behind the receiver the entry waits for the presence answer of the contact timer.
    EXPECT_FALSE(entry->IsShown());
    ASSERT_TRUE(WaitUntil([&] { return entry->IsShown(); }, 3000));
    EXPECT_TRUE(entry->IsSelected());
    EXPECT_FALSE(w.NoDeviceShown());

    ASSERT_TRUE(w.bus.SetReceiverOnline("keyboard-receiver", false));
    ASSERT_TRUE(WaitUntil([&] { return !entry->IsShown(); }, 8000));
    EXPECT_TRUE(w.NoDeviceShown());
    EXPECT_TRUE(keyboard->CommandLink().IsOpen()) << "the receiver stays attached";

    ASSERT_TRUE(w.bus.SetReceiverOnline("keyboard-receiver", true));
    ASSERT_TRUE(WaitUntil([&] { return entry->IsShown(); }, 8000));
    EXPECT_TRUE(entry->IsSelected()) << "the only device is selected again";
    EXPECT_FALSE(w.NoDeviceShown());
    ASSERT_GE(w.target.entryOnline.size(), 3u);
    EXPECT_EQ(w.target.entryOnline.back(), std::make_pair(qintptr{1}, qintptr{1}));
}

TEST(DeviceList, KeyboardMovesBetweenCableAndReceiverInOneObject) {
    const auto rows = test::KeyboardReceiverRows();
    DeviceWindow w(rows);
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    ASSERT_TRUE(w.bus.Plug("keyboard-receiver"));
    w.Pass();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    CDeviceOptionUI* entry = keyboard->DeviceEntry();
    ASSERT_EQ(w.controller->Keyboards().size(), 1u);
    EXPECT_FALSE(keyboard->Receiver()) << "the cable stays in use";
    EXPECT_TRUE(keyboard->NotificationOpen(false));
    EXPECT_TRUE(keyboard->NotificationOpen(true));

    ASSERT_TRUE(w.bus.Unplug("keyboard"));
    w.Pass();
    EXPECT_TRUE(keyboard->Receiver());
    EXPECT_TRUE(keyboard->CommandLink().IsOpen());
    EXPECT_TRUE(keyboard->CommandLink().ReceiverMode());
    EXPECT_TRUE(keyboard->CommandLink().CmdPresenceQuery());
    EXPECT_TRUE(entry->IsShown());
    EXPECT_FALSE(keyboard->NotificationOpen(false));

    ASSERT_TRUE(w.bus.Plug("keyboard"));
    w.Pass();
    EXPECT_FALSE(keyboard->Receiver());
    EXPECT_TRUE(keyboard->CommandLink().IsOpen());
    EXPECT_FALSE(keyboard->CommandLink().ReceiverMode());
    EXPECT_TRUE(entry->IsShown());
    EXPECT_EQ(w.controller->CurrentDevice(), keyboard);

    // The receiver going while the cable is in use leaves the cable connection alone.
    ASSERT_TRUE(w.bus.Unplug("keyboard-receiver"));
    w.Pass();
    EXPECT_FALSE(keyboard->Receiver());
    EXPECT_TRUE(keyboard->CommandLink().IsOpen());
    EXPECT_EQ(keyboard->CommandLink().CmdBeginConfig(), 1);
    EXPECT_EQ(keyboard->CommandLink().CmdEndConfig(), 1);
    EXPECT_TRUE(entry->IsShown());
}

TEST(DeviceList, PowerQueryOfAKeyboardBehindItsReceiverSkipsAHiddenWindow) {
    const auto rows = test::KeyboardReceiverRows();
    DeviceWindow w(rows);
    w.Start();
    ASSERT_TRUE(w.bus.Plug("keyboard-receiver"));
    w.Pass();
    COrvaneUSBDevice* keyboard = w.controller->Keyboards().front();
    auto firmware = w.bus.FirmwareAs<sim::KeyboardFirmware>("keyboard-receiver");
    ASSERT_NE(firmware, nullptr);
    const size_t before = firmware->PacketCount(kCmdReadStatus);
    w.controller->SetMiceAndKeyboardsHidden(true);
    keyboard->PowerQuery();
    EXPECT_EQ(firmware->PacketCount(kCmdReadStatus), before);
    w.controller->SetMiceAndKeyboardsHidden(false);
    keyboard->PowerQuery();
    w.Settle();  // the record is shown on the UI thread
    EXPECT_GT(firmware->PacketCount(kCmdReadStatus), before);
    QWidget* value = keyboard->PowerControl()->findChild<QWidget*>("device_power_value");
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(ui::ControlText(value).endsWith("%"));
}

}  // namespace
}  // namespace qx::devices

namespace qx::devices {
namespace {

// The table's mouse pad rows given the simulated pad's identity.
std::array<SupportedDeviceRow, kSupportedDeviceCount> PadRows() {
    auto rows = kSupportedDevices;
    for (size_t row : {size_t{8}, size_t{9}}) {
        rows[row].vendorId = sim::PadFirmware::kVendorId;
        rows[row].productId = sim::PadFirmware::kProductId;
    }
    return rows;
}

TEST(DeviceList, PadGetsItsEntryAtItsFirstArrivalAndShowsItsPhone) {
    const auto rows = PadRows();
    DeviceWindow w(rows);
    w.Start();
    ASSERT_TRUE(w.bus.Plug("pad"));
    w.Pass();
    ASSERT_EQ(w.controller->MousePads().size(), 1u);
    COrvaneUSBDevice* pad = w.controller->MousePads().front();
    EXPECT_EQ(pad->Kind(), DeviceKind::MousePad);
    EXPECT_EQ(pad->LedCount(), 15);
    EXPECT_TRUE(pad->CommandLink().IsOpen());
    EXPECT_TRUE(pad->NotificationOpen(false));
    EXPECT_TRUE(pad->DeviceEntry()->IsShown());
    EXPECT_EQ(pad->DeviceEntry()->NormalImage(), "common/device_ico/hard_mp_device_normal.png");

    const std::array<uint8_t, 6> record = {64, 2, 0, 0, 0, 2};
    w.bus.Pad()->SetPowerRecord(record);
    pad->PowerQuery();
    w.Settle();  // the record is shown on the UI thread
    QWidget* phone = pad->PowerControl()->findChild<QWidget*>("device_phone_type");
    ASSERT_NE(phone, nullptr);
    EXPECT_EQ(ui::ControlTextKey(phone), "Phone_type_samsung");
    EXPECT_EQ(ui::ControlText(pad->PowerControl()->findChild<QWidget*>("device_power_value")),
              "64%");

    ASSERT_TRUE(w.bus.Unplug("pad"));
    w.Pass();
    ASSERT_TRUE(w.bus.Plug("pad"));
    w.Pass();
    EXPECT_EQ(w.controller->MousePads().size(), 1u) << "one pad object for every arrival";
    EXPECT_TRUE(pad->DeviceEntry()->IsShown());
    EXPECT_TRUE(pad->NotificationOpen(false));
}

TEST(DeviceList, PadWhoseNotificationInterfaceComesFirstStillGetsIt) {
    const auto rows = PadRows();
    DeviceWindow w(rows);
    w.Start();
    ASSERT_TRUE(w.bus.Plug("pad"));
    const std::string node = w.bus.NodePath("pad", 1);
    auto claim = [&](int collection, uint16_t usagePage, uint16_t usage) {
        ProbeRecord probe;
        probe.path = MakeInterfacePath(node, sim::PadFirmware::kVendorId,
                                       sim::PadFirmware::kProductId, 1, collection);
        probe.vendorId = sim::PadFirmware::kVendorId;
        probe.productId = sim::PadFirmware::kProductId;
        probe.interfaceNumber = 1;
        probe.collectionNumber = static_cast<uint16_t>(collection);
        probe.usagePage = usagePage;
        probe.usage = usage;
        int slot = -1;
        EXPECT_TRUE(w.slotTable.Claim(probe, slot));
        return slot;
    };
    const int notification = claim(3, 0x000C, 0x01);
    ASSERT_EQ(notification, 9);
    w.controller->OnDeviceArrived(notification);
    ASSERT_EQ(w.controller->MousePads().size(), 1u);
    COrvaneUSBDevice* pad = w.controller->MousePads().front();
    EXPECT_TRUE(pad->NotificationOpen(false));
    EXPECT_FALSE(pad->DeviceEntry()->IsShown()) << "on-line only with its command interface";
    EXPECT_FALSE(pad->CommandLink().IsOpen());

    const int command = claim(4, 0xFF1C, 0x92);
    ASSERT_EQ(command, 8);
    w.controller->OnDeviceArrived(command);
    w.Settle();  // the interface opens on the device's worker
    EXPECT_EQ(w.controller->MousePads().size(), 1u);
    EXPECT_TRUE(pad->CommandLink().IsOpen());
    EXPECT_TRUE(pad->DeviceEntry()->IsShown());
}

}  // namespace
}  // namespace qx::devices
