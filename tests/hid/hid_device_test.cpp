#include "hid/hid_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "scripted_backend.h"

namespace qx {
namespace {

class HidDeviceTest : public ::testing::Test {
  protected:
    test::ScriptedBackend bus_;
};

TEST_F(HidDeviceTest, EnumerationListsEveryCollectionOfANode) {
    HidDevice enumerator(bus_);
    ASSERT_EQ(enumerator.Enumerate(), 1);
    ASSERT_EQ(enumerator.PathCount(), 2);
    EXPECT_EQ(*enumerator.NextPath(), test::ScriptedBackend::ConsumerPath());
    EXPECT_EQ(*enumerator.NextPath(), test::ScriptedBackend::CommandPath());
    EXPECT_EQ(enumerator.NextPath(), nullptr);
}

TEST_F(HidDeviceTest, OpenGivesTheCollectionsIdentityAndCapabilities) {
    HidDevice command(bus_);
    ASSERT_EQ(command.Open(test::ScriptedBackend::CommandPath(), true, true, true, false), 1);
    EXPECT_EQ(command.VendorId(), 0x3A5C);
    EXPECT_EQ(command.ProductId(), 0x7031);
    EXPECT_EQ(command.UsagePage(), 0xFF1C);
    EXPECT_EQ(command.Usage(), 0x92);
    EXPECT_EQ(command.InputReportByteLength(), 64);
    EXPECT_EQ(command.InterfaceNumber(), 1);
    EXPECT_EQ(command.CollectionNumber(), 2);

    HidDevice missing(bus_);
    EXPECT_EQ(missing.Open("test:0#vid_3a5c&pid_7031&mi_01&col09", true, false, true, false), 0);
    EXPECT_FALSE(missing.LastError().empty());
    EXPECT_EQ(missing.Open("test:0#vid_3a5c&pid_7031&mi_01", true, false, true, false), 0)
        << "a node of two collections needs the collection in its path";
}

TEST_F(HidDeviceTest, ReadSkipsReportsOfTheNodesOtherCollections) {
    HidDevice consumer(bus_);
    ASSERT_EQ(consumer.Open(test::ScriptedBackend::ConsumerPath(), true, true, true, false), 1);
    std::vector<uint8_t> command(64, 0);
    command[0] = 0x04;
    bus_.Inject(command);
    bus_.Inject({0x03, 0x02, 0x05});
    uint8_t report[16] = {};
    size_t got = 0;
    ASSERT_NE(consumer.Read(report, sizeof report, &got, 1000), 0);
    EXPECT_EQ(got, consumer.InputReportByteLength());
    EXPECT_EQ(report[0], 0x03);

    // The notification code is the first usage of the first input item.
    consumer.UnpackInputReport(report, got);
    ASSERT_FALSE(consumer.InputItems().empty());
    const HidInputItem& item = consumer.InputItems().front();
    EXPECT_TRUE(item.isButton);
    EXPECT_TRUE(item.dataSet);
    EXPECT_EQ(item.usageList.front(), 0x0502);
}

TEST_F(HidDeviceTest, ReadTimesOutOnASilentInterface) {
    HidDevice command(bus_);
    ASSERT_EQ(command.Open(test::ScriptedBackend::CommandPath(), true, true, true, false), 1);
    uint8_t report[64];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(command.Read(report, sizeof report, nullptr, 100), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST_F(HidDeviceTest, CloseFromAnotherThreadEndsAnEndlessRead) {
    HidDevice consumer(bus_);
    ASSERT_EQ(consumer.Open(test::ScriptedBackend::ConsumerPath(), true, true, true, false), 1);
    int result = -1;
    std::thread reader([&] {
        uint8_t report[8];
        result = consumer.Read(report, sizeof report, nullptr, HidDevice::kInfinite);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    consumer.Close();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(consumer.IsOpen());
}

TEST_F(HidDeviceTest, ReadFailsWhenTheNodeGoes) {
    HidDevice command(bus_);
    ASSERT_EQ(command.Open(test::ScriptedBackend::CommandPath(), true, true, true, false), 1);
    bus_.SetPresent(false);
    uint8_t report[64];
    EXPECT_EQ(command.Read(report, sizeof report, nullptr, HidDevice::kInfinite), 0);
}

}  // namespace
}  // namespace qx
