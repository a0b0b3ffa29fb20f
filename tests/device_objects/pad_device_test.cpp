// The mouse pad's lighting block against the simulated pad: read at its profile's offset into
// the mirror, written from the mirror at offset 0 with the pad's own bytes carried.
#include <gtest/gtest.h>

#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/device_profile_ui.h"
#include "devices/pad/orvane_mouse_pad_device.h"
#include "sim/pad_firmware.h"
#include "sim/sim_setup.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::WaitUntil;

const auto kRows = sim::WithSimulatorIdentities(kSupportedDevices);

COrvaneMousePadDevice* Contact(DeviceWindow& w) {
    w.Start();
    EXPECT_TRUE(w.bus.Plug("pad"));
    w.Pass();
    EXPECT_EQ(w.controller->MousePads().size(), 1u);
    auto* pad = dynamic_cast<COrvaneMousePadDevice*>(w.controller->MousePads().front());
    EXPECT_TRUE(WaitUntil([&] { return pad->ProfileLoaded() && pad->MirrorRead(); }));
    w.Settle();
    return pad;
}

std::vector<uint8_t> Config(const DeviceWindow& w, size_t offset, size_t length) {
    return w.bus.Pad()->ReadMemory(sim::Region::Config, offset, length);
}

TEST(PadDevice, BlockIsReadAtItsProfileAndWrittenAtOffsetZero) {
    std::filesystem::remove_all(UserDeviceFolder("MousePad"));
    DeviceWindow w(kRows);
    COrvaneMousePadDevice* pad = Contact(w);
    // The profile's lighting went over the mirror; the pad's own bytes 9-12 were read.
    const LightInfoRecord light = pad->LightInfo();
    PadBlock mirror = pad->Mirror();
    EXPECT_EQ(mirror[1], light.selectItem);
    EXPECT_EQ(mirror[3], light.speed);
    EXPECT_EQ(mirror[9], 9);
    EXPECT_EQ(mirror[12], 12);

    // Profile 2 is read at 50; the mirror before it is kept.
    const PadBlock first = pad->Mirror();
    const uint8_t profile2[] = {2};
    w.bus.Pad()->WriteMemory(sim::Region::Config, 0, profile2);
    const uint8_t block2[] = {0, 0x77, 1, 3, 0, 0, 5, 6, 7, 40, 41};
    w.bus.Pad()->WriteMemory(sim::Region::Config, 50, block2);
    w.bus.ClearRequests("pad");
    pad->Post([pad] { pad->RefreshFromDevice(); });
    w.Settle();
    std::vector<std::pair<int, int>> reads;
    for (const sim::LoggedRequest& r : w.bus.Requests("pad").requests)
        if (r.Command() == kCmdReadConfig) reads.emplace_back(r.Offset(), r.Length());
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[1], std::make_pair(50, 26));
    EXPECT_EQ(pad->MirrorBefore(), first);
    mirror = pad->Mirror();
    EXPECT_EQ(mirror[0], 2);
    EXPECT_EQ(mirror[1], 0x77) << "a code outside the list stays the effect id";
    EXPECT_EQ(mirror[3], 1) << "4 - 3";

    // Effect 9 (and the unknown 0x77) go as effect 0's code, at offset 0, twice the same.
    w.bus.ClearRequests("pad");
    pad->Post([pad] { EXPECT_EQ(pad->WriteSystemBlock(0), kResultSuccess); });
    pad->Post([pad] { EXPECT_EQ(pad->WriteSystemBlock(0), kResultSuccess); });
    w.Settle();
    std::vector<std::vector<uint8_t>> writes;
    for (const sim::LoggedRequest& r : w.bus.Requests("pad").requests) {
        if (r.Command() != kCmdWriteConfig) continue;
        EXPECT_EQ(r.Offset(), 0);
        EXPECT_EQ(r.Length(), kPadBlockSize);
        writes.emplace_back(r.request.begin() + 8, r.request.begin() + 8 + kPadBlockSize);
    }
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0], writes[1]);
    EXPECT_EQ(writes[0][1], 0);
    EXPECT_EQ(writes[0][3], 3);
    EXPECT_EQ(writes[0][9], 40) << "the pad's own bytes carried";
    EXPECT_EQ(pad->Mirror()[1], 0x77) << "the mirror is not changed by the write";
    EXPECT_EQ(Config(w, 0, kPadBlockSize), writes[0]);
}

TEST(PadDevice, WriteWithoutChannelSaysSo) {
    std::filesystem::remove_all(UserDeviceFolder("MousePad"));
    DeviceWindow w(kRows);
    COrvaneMousePadDevice* pad = Contact(w);
    w.bus.Unplug("pad");
    w.Pass();
    Result result = kResultSuccess;
    pad->Post([pad, &result] { result = pad->WriteSystemBlock(0); });
    w.Settle();
    EXPECT_NE(result, kResultSuccess);
}

TEST(PadDevice, ProfileApplyWritesTheBlockAndSaysWhenThePadRefusesIt) {
    std::filesystem::remove_all(UserDeviceFolder("MousePad"));
    ASSERT_TRUE(ui::ResourceManager::GetInstance().LoadLanguage("lan_en.json"));
    std::vector<QString> shown;
    CDeviceProfileUI::SetMessageBox([&shown](QWidget*, const QString& text, int) {
        shown.push_back(text);
        return 0;
    });
    DeviceWindow w(kRows);
    COrvaneMousePadDevice* pad = Contact(w);
    CDeviceProfileUI* panel = CDeviceProfileUI::Of(pad);
    ASSERT_NE(panel, nullptr);
    auto apply = [&] {
        std::optional<CDeviceProfileUI::ApplyOutcome> outcome;
        const auto connection =
            QObject::connect(panel, &CDeviceProfileUI::Applied,
                             [&outcome](CDeviceProfileUI::ApplyOutcome o) { outcome = o; });
        EXPECT_TRUE(panel->SelectAndApply(0));
        EXPECT_TRUE(WaitUntil([&] {
            w.Settle();
            return outcome.has_value();
        }));
        QObject::disconnect(connection);
        return outcome.value_or(CDeviceProfileUI::ApplyOutcome{});
    };

    // The profile's lighting reaches the pad's block at offset 0.
    w.bus.ClearRequests("pad");
    EXPECT_EQ(apply().blockResult, kResultSuccess);
    size_t writes = 0;
    for (const sim::LoggedRequest& r : w.bus.Requests("pad").requests)
        writes += r.Command() == kCmdWriteConfig && r.Offset() == 0 ? 1 : 0;
    EXPECT_EQ(writes, 1u);
    EXPECT_EQ(Config(w, 2, 1)[0], pad->LightInfo().light);
    EXPECT_TRUE(shown.empty());

    // A pad that refuses the write: the user is told.
    sim::Fault refuse;
    refuse.kind = sim::FaultKind::Status;
    refuse.command = kCmdWriteConfig;
    w.bus.Pad()->InjectFault(refuse);
    EXPECT_EQ(apply().blockResult, kResultStatusFF);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].startsWith(
        ui::ResourceManager::GetInstance().Text(QStringLiteral("light_write_failed_text"))))
        << shown[0].toStdString();
    CDeviceProfileUI::SetMessageBox({});
}

}  // namespace
}  // namespace qx::devices
