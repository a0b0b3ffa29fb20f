// The hidraw backend end to end on emulated hidraw nodes: umockdev stands in for sysfs, /dev and
// the uevent socket, so listing goes through libudev and reads and writes through the backend's
// own poll/read/write code. The simulated keyboard and headset firmware answer on the device
// side of each node. Runs under umockdev-wrapper.
//
// What the emulation changes, and how the tests live with it:
// - A node is a pseudo-terminal, a byte stream: reports queued on one node run together into
//   one read. The tests never queue two reports on a node that the host has not read yet; the
//   device side splits the host's writes into reports by the descriptor's output lengths.
// - Every open of a node shares one stream, where a real hidraw node copies each report to every
//   open. The tests read a node through one open at a time.
// - umockdev keeps a node's device side open after the device is removed, and cannot create a
//   node of the same name again: unplugging hangs the stream up (as the kernel does to the open
//   files of a removed hidraw device) and a replugged device gets a new node name.
// - HIDIOCGRDESC is not emulated: descriptors come from sysfs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <umockdev.h>
#include <unistd.h>

#include <cstdlib>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hid/hid_device.h"
#include "hid/hid_paths.h"
#include "hid/report_descriptor.h"
#include "platform/hid_backend.h"
#include "sim/headset_firmware.h"
#include "sim/keyboard_firmware.h"

namespace qx {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

UMockdevTestbed* g_bed = nullptr;

class TestbedEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { g_bed = umockdev_testbed_new(); }
    void TearDown() override {
        g_object_unref(g_bed);
        g_bed = nullptr;
    }
};
[[maybe_unused]] auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new TestbedEnvironment);

// Node and hid instance numbers are never reused within the run (see above).
int g_nextNode = 0;
int g_nextHidInstance = 1;
std::vector<int> g_keptTerminals;

std::string HexString(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 0xF];
    }
    return text;
}

std::string Hex4(unsigned value, bool upper) {
    char text[8];
    std::snprintf(text, sizeof text, upper ? "%04X" : "%04x", value & 0xFFFF);
    return text;
}

// Output report sizes by report id (id byte included), from the descriptor.
std::map<uint8_t, size_t> OutputSizes(const HidReportDescriptor& descriptor) {
    std::map<uint8_t, uint64_t> bits;
    for (const HidCollectionInfo& c : descriptor.collections) {
        for (const HidField& f : c.fields) {
            if (f.type != HidReportType::Output) continue;
            uint64_t& end = bits[f.reportId];
            end = std::max<uint64_t>(end, f.bitOffset + uint64_t{f.reportSize} * f.reportCount);
        }
    }
    std::map<uint8_t, size_t> sizes;
    for (const auto& [id, b] : bits) sizes[id] = static_cast<size_t>((b + 7) / 8 + 1);
    return sizes;
}

// The testbed sends every uevent to every monitor, unfiltered, over a socket that holds only a
// few messages, and gives up when it is full. The backend's monitor is read whenever it lists
// the nodes, so listing after each plug and unplug keeps the queue short.
void DrainUevents() {
    std::vector<HidNodeInfo> nodes;
    HidrawBackend().EnumerateNodes(nodes);
}

// One device plugged into the testbed: its sysfs tree, its nodes and a thread that carries the
// host's output reports to the firmware and the firmware's input reports back to the nodes.
class EmulatedDevice {
  public:
    struct Node {
        int interfaceNumber = 0;
        std::string devnode;    // /dev/hidrawN
        std::string hidrawSys;  // /sys/devices/.../hidraw/hidrawN
        std::string hidSys;     // /sys/devices/.../0003:VVVV:PPPP.NNNN
        std::string intfSys;
        int deviceFd = -1;  // the device side of the node (owned by the testbed)
        bool usesIds = false;
        std::map<uint8_t, size_t> outputSizes;
        std::vector<uint8_t> pending;
    };

    EmulatedDevice(sim::SimDeviceBase& firmware, std::string usbPort, bool withHidId = true)
        : firmware_(firmware), usbPort_(std::move(usbPort)), withHidId_(withHidId) {}
    ~EmulatedDevice() { Unplug(); }

    void Plug() {
        DrainUevents();  // what an unplug from the pump thread left queued
        const std::string usbSys = "/devices/pci0000:00/0000:00:14.0/usb1/" + usbPort_;
        usbSys_ = "/sys" + usbSys;
        const std::string vid = Hex4(firmware_.VendorId(), false);
        const std::string pid = Hex4(firmware_.ProductId(), false);
        std::string tree =
            "P: " + usbSys + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=" + vid +
            "\nA: idProduct=" + pid + "\nA: bcdDevice=" + Hex4(firmware_.Version(), false) + "\n\n";
        nodes_.clear();
        for (const sim::SimNodeSpec& nodeSpec : firmware_.Nodes()) {
            Node node;
            node.interfaceNumber = nodeSpec.interfaceNumber;
            char intfName[64];
            std::snprintf(intfName, sizeof intfName, "%s:1.%d", usbPort_.c_str(),
                          nodeSpec.interfaceNumber);
            char hidName[64];
            std::snprintf(hidName, sizeof hidName, "0003:%s:%s.%04X",
                          Hex4(firmware_.VendorId(), true).c_str(),
                          Hex4(firmware_.ProductId(), true).c_str(), g_nextHidInstance++);
            const int minor = g_nextNode++;
            const std::string name = "hidraw" + std::to_string(minor);
            const std::string intfPath = usbSys + "/" + intfName;
            const std::string hidPath = intfPath + "/" + hidName;
            const std::string hidrawPath = hidPath + "/hidraw/" + name;
            char number[8];
            std::snprintf(number, sizeof number, "%02x", nodeSpec.interfaceNumber);
            tree += "P: " + intfPath +
                    "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nA: bInterfaceNumber=" + number +
                    "\n\n";
            tree += "P: " + hidPath + "\nE: SUBSYSTEM=hid\n";
            if (withHidId_) {
                tree += "E: HID_ID=0003:0000" + Hex4(firmware_.VendorId(), true) + ":0000" +
                        Hex4(firmware_.ProductId(), true) + "\n";
            }
            tree += "H: report_descriptor=" + HexString(nodeSpec.reportDescriptor) + "\n\n";
            tree += "P: " + hidrawPath + "\nN: " + name +
                    "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/" + name +
                    "\nA: dev=241:" + std::to_string(minor) + "\n\n";
            node.devnode = "/dev/" + name;
            node.hidrawSys = "/sys" + hidrawPath;
            node.hidSys = "/sys" + hidPath;
            node.intfSys = "/sys" + intfPath;
            const auto descriptor = ParseReportDescriptor(nodeSpec.reportDescriptor);
            if (descriptor) {
                node.outputSizes = OutputSizes(*descriptor);
                for (const HidCollectionInfo& c : descriptor->collections) {
                    if (!c.reportIds.empty()) node.usesIds = true;
                }
            }
            nodes_.push_back(std::move(node));
        }
        GError* error = nullptr;
        ASSERT_TRUE(umockdev_testbed_add_from_string(g_bed, tree.c_str(), &error))
            << (error != nullptr ? error->message : "");
        DrainUevents();
        for (Node& node : nodes_) {
            node.deviceFd = umockdev_testbed_get_dev_fd(g_bed, node.devnode.c_str());
            ASSERT_GE(node.deviceFd, 0) << node.devnode;
        }
        firmware_.SetReportSink([this](int interfaceNumber, std::span<const uint8_t> report) {
            Deliver(interfaceNumber, report);
        });
        firmware_.SetUnplugHandler([this] { unplugRequested_ = true; });
        unplugRequested_ = false;
        stopFd_ = eventfd(0, EFD_CLOEXEC);
        plugged_ = true;
        pump_ = std::thread([this] { Pump(); });
    }

    // Removes the device as the kernel does: "remove" uevents, the sysfs tree and the nodes go,
    // and files still open on the nodes see a hang-up.
    void Unplug() {
        StopPump();
        RemoveFromTestbed();
        firmware_.SetReportSink(nullptr);
        firmware_.SetUnplugHandler(nullptr);
    }

    // Stops carrying reports; the device stays plugged in but its firmware goes quiet.
    void StopPump() {
        if (!pump_.joinable()) return;
        const uint64_t one = 1;
        [[maybe_unused]] auto n = write(stopFd_, &one, sizeof one);
        pump_.join();
        close(stopFd_);
    }

    const Node& NodeOf(int interfaceNumber) const {
        for (const Node& node : nodes_) {
            if (node.interfaceNumber == interfaceNumber) return node;
        }
        ADD_FAILURE() << "no node for interface " << interfaceNumber;
        return nodes_.front();
    }
    bool Plugged() const { return plugged_; }

  private:
    void Deliver(int interfaceNumber, std::span<const uint8_t> report) {
        std::lock_guard lock(deliverMutex_);
        if (!plugged_) return;
        for (const Node& node : nodes_) {
            if (node.interfaceNumber != interfaceNumber) continue;
            // A node without report ids delivers the data alone, as the kernel does.
            std::span<const uint8_t> bytes = report;
            if (!node.usesIds && !bytes.empty()) bytes = bytes.subspan(1);
            [[maybe_unused]] auto n = write(node.deviceFd, bytes.data(), bytes.size());
        }
    }

    void Pump() {
        for (;;) {
            std::vector<pollfd> fds{{stopFd_, POLLIN, 0}};
            for (const Node& node : nodes_) fds.push_back({node.deviceFd, POLLIN, 0});
            if (poll(fds.data(), fds.size(), -1) < 0) continue;
            if ((fds[0].revents & POLLIN) != 0) return;
            for (size_t i = 0; i < nodes_.size(); ++i) {
                if ((fds[i + 1].revents & POLLIN) == 0) continue;
                Node& node = nodes_[i];
                uint8_t chunk[1024];
                const ssize_t n = read(node.deviceFd, chunk, sizeof chunk);
                if (n <= 0) continue;
                node.pending.insert(node.pending.end(), chunk, chunk + n);
                HandOver(node);
                if (unplugRequested_) {
                    RemoveFromTestbed();
                    return;
                }
            }
        }
    }

    // Splits what the host wrote into reports: the report id names the length.
    void HandOver(Node& node) {
        while (!node.pending.empty()) {
            const uint8_t id = node.usesIds ? node.pending[0] : 0;
            const auto size = node.outputSizes.find(id);
            if (size == node.outputSizes.end()) {
                ++unframed_;
                node.pending.clear();
                return;
            }
            if (node.pending.size() < size->second) return;
            const std::vector<uint8_t> report(
                node.pending.begin(), node.pending.begin() + static_cast<long>(size->second));
            node.pending.erase(node.pending.begin(),
                               node.pending.begin() + static_cast<long>(size->second));
            firmware_.OnOutputReport(node.interfaceNumber, report);
        }
    }

    void RemoveFromTestbed() {
        std::lock_guard lock(deliverMutex_);
        if (!plugged_) return;
        plugged_ = false;
        for (const Node& node : nodes_) {
            umockdev_testbed_uevent(g_bed, node.hidrawSys.c_str(), "remove");
            umockdev_testbed_remove_device(g_bed, node.hidrawSys.c_str());
            umockdev_testbed_remove_device(g_bed, node.hidSys.c_str());
            umockdev_testbed_remove_device(g_bed, node.intfSys.c_str());
            // The testbed keeps the device side open; replacing it closes the stream, so the
            // host's open files see POLLHUP, and the testbed later closes a harmless descriptor.
            // One end of the terminal stays open for the rest of the run, or its number would
            // be handed out again and clash with the testbed's record of it.
            if (const char* terminal = ptsname(node.deviceFd)) {
                g_keptTerminals.push_back(
                    open(terminal, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
            }
            const int nul = open("/dev/null", O_RDWR | O_CLOEXEC);
            dup2(nul, node.deviceFd);
            close(nul);
        }
        umockdev_testbed_remove_device(g_bed, usbSys_.c_str());
        if (std::this_thread::get_id() == ownerThread_) DrainUevents();
    }

    sim::SimDeviceBase& firmware_;
    const std::thread::id ownerThread_ = std::this_thread::get_id();
    const std::string usbPort_;
    const bool withHidId_;
    std::string usbSys_;
    std::vector<Node> nodes_;
    std::thread pump_;
    int stopFd_ = -1;
    std::mutex deliverMutex_;
    bool plugged_ = false;
    std::atomic<bool> unplugRequested_{false};
    size_t unframed_ = 0;
};

// A 64-byte command packet with its checksum (sum of bytes 3..63).
std::vector<uint8_t> CommandPacket(uint8_t command, uint8_t length, uint16_t offset) {
    std::vector<uint8_t> packet(64, 0);
    packet[0] = 0x04;
    packet[3] = command;
    packet[4] = length;
    packet[5] = static_cast<uint8_t>(offset & 0xFF);
    packet[6] = static_cast<uint8_t>(offset >> 8);
    unsigned sum = 0;
    for (size_t i = 3; i < packet.size(); ++i) sum += packet[i];
    packet[1] = static_cast<uint8_t>(sum & 0xFF);
    packet[2] = static_cast<uint8_t>((sum >> 8) & 0xFF);
    return packet;
}

const HidNodeInfo* FindNode(const std::vector<HidNodeInfo>& nodes, const std::string& path) {
    for (const HidNodeInfo& node : nodes) {
        if (node.nodePath == path) return &node;
    }
    return nullptr;
}

class HidrawUmockdev : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run this test under umockdev-wrapper";
        keyboard_.Plug();
        headset_.Plug();
    }

    HidBackend& backend_ = HidrawBackend();
    sim::KeyboardFirmware keyboardFirmware_;
    sim::HeadsetFirmware headsetFirmware_;
    EmulatedDevice keyboard_{keyboardFirmware_, "1-2"};
    EmulatedDevice headset_{headsetFirmware_, "1-3", /*withHidId=*/false};
};

TEST_F(HidrawUmockdev, ListsBothDevicesWithIdentityInterfaceAndDescriptor) {
    std::vector<HidNodeInfo> nodes;
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    ASSERT_EQ(nodes.size(), 3u);
    struct Expected {
        const EmulatedDevice::Node& node;
        uint16_t vendor;
        uint16_t product;
        uint16_t version;
        int interfaceNumber;
        std::vector<uint8_t> descriptor;
    };
    const uint16_t keyboardVersion = keyboardFirmware_.Version();
    const Expected expected[] = {
        {keyboard_.NodeOf(0), 0x3A5C, 0x7031, keyboardVersion, 0,
         keyboardFirmware_.Nodes()[0].reportDescriptor},
        {keyboard_.NodeOf(1), 0x3A5C, 0x7031, keyboardVersion, 1,
         keyboardFirmware_.Nodes()[1].reportDescriptor},
        // The headset's hid device has no HID_ID property: its name gives the identity.
        {headset_.NodeOf(3), 0x0C76, 0x1630, headsetFirmware_.Version(), 3,
         headsetFirmware_.Nodes()[0].reportDescriptor},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.node.devnode);
        const HidNodeInfo* info = FindNode(nodes, e.node.devnode);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->vendorId, e.vendor);
        EXPECT_EQ(info->productId, e.product);
        EXPECT_EQ(info->version, e.version);
        EXPECT_EQ(info->interfaceNumber, e.interfaceNumber);
        EXPECT_EQ(info->reportDescriptor, e.descriptor);
        EXPECT_TRUE(backend_.NodePresent(e.node.devnode));
        HidNodeInfo described;
        ASSERT_TRUE(backend_.DescribeNode(e.node.devnode, described));
        EXPECT_EQ(described.interfaceNumber, e.interfaceNumber);
    }
    HidNodeInfo none;
    EXPECT_FALSE(backend_.DescribeNode("/dev/hidraw999", none));
    EXPECT_FALSE(backend_.NodePresent("/dev/hidraw999"));
}

TEST_F(HidrawUmockdev, EveryCollectionIsAnInterfaceOfItsOwn) {
    HidDevice list(HidrawBackend());
    ASSERT_EQ(list.Enumerate(), 1);
    std::vector<std::string> paths;
    while (const std::string* path = list.NextPath()) paths.push_back(*path);
    const std::string vendorNode = keyboard_.NodeOf(1).devnode;
    const std::string headsetNode = headset_.NodeOf(3).devnode;
    const std::vector<std::string> expected{
        keyboard_.NodeOf(0).devnode + "#vid_3a5c&pid_7031&mi_00",
        vendorNode + "#vid_3a5c&pid_7031&mi_01&col01",
        vendorNode + "#vid_3a5c&pid_7031&mi_01&col02",
        vendorNode + "#vid_3a5c&pid_7031&mi_01&col03",
        vendorNode + "#vid_3a5c&pid_7031&mi_01&col04",
        headsetNode + "#vid_0c76&pid_1630&mi_03",
    };
    for (const std::string& path : expected) {
        EXPECT_NE(std::find(paths.begin(), paths.end(), path), paths.end()) << path;
    }
    EXPECT_EQ(paths.size(), expected.size());

    struct Collection {
        std::string path;
        uint16_t usagePage;
        uint16_t usage;
        uint16_t collection;
    };
    const Collection collections[] = {
        {vendorNode + "#vid_3a5c&pid_7031&mi_01&col04", 0xFF1C, 0x92, 4},
        {vendorNode + "#vid_3a5c&pid_7031&mi_01&col03", 0x000C, 0x01, 3},
        {headsetNode + "#vid_0c76&pid_1630&mi_03", 0x000C, 0x01, 0},
    };
    for (const Collection& c : collections) {
        SCOPED_TRACE(c.path);
        HidDevice device(HidrawBackend());
        ASSERT_EQ(device.Open(c.path, false, false, true, false), 1) << device.LastError();
        EXPECT_EQ(device.UsagePage(), c.usagePage);
        EXPECT_EQ(device.Usage(), c.usage);
        EXPECT_EQ(device.CollectionNumber(), c.collection);
        EXPECT_EQ(device.VendorId(), PathVendorId(c.path));
    }
}

TEST_F(HidrawUmockdev, CommandPacketIsAnsweredByTheFirmware) {
    std::string error;
    auto connection = backend_.OpenNode(keyboard_.NodeOf(1).devnode, true, true, error);
    ASSERT_NE(connection, nullptr) << error;
    const std::vector<uint8_t> request = CommandPacket(0x03, 34, 0);
    ASSERT_EQ(connection->WriteReport(request, 1000), HidIoStatus::Ok);
    std::vector<uint8_t> reply(64);
    size_t got = 0;
    ASSERT_EQ(connection->ReadReport(reply, got, 1000), HidIoStatus::Ok);
    ASSERT_EQ(got, 64u);
    EXPECT_EQ(reply[0], 0x04);
    EXPECT_EQ(reply[3], 0x03);
    EXPECT_EQ(reply[4], 34);
    EXPECT_EQ(reply[7], 0x00);
    const std::vector<uint8_t> identity = keyboardFirmware_.Identity();
    EXPECT_TRUE(std::equal(identity.begin(), identity.end(), reply.begin() + 8));

    // A packet with a wrong checksum reaches the firmware unchanged: it answers status 0xFF.
    std::vector<uint8_t> corrupt = CommandPacket(0x01, 0, 0);
    corrupt[1] ^= 0x5A;
    ASSERT_EQ(connection->WriteReport(corrupt, 1000), HidIoStatus::Ok);
    ASSERT_EQ(connection->ReadReport(reply, got, 1000), HidIoStatus::Ok);
    EXPECT_EQ(reply[3], 0x01);
    EXPECT_EQ(reply[7], 0xFF);
}

TEST_F(HidrawUmockdev, ReadOnASilentNodeTimesOut) {
    std::string error;
    auto connection = backend_.OpenNode(headset_.NodeOf(3).devnode, true, true, error);
    ASSERT_NE(connection, nullptr) << error;
    std::vector<uint8_t> buffer(64);
    size_t got = 7;
    const auto start = Clock::now();
    EXPECT_EQ(connection->ReadReport(buffer, got, 300), HidIoStatus::TimedOut);
    EXPECT_GE(Clock::now() - start, 300ms);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(connection->ReadReport(buffer, got, 0), HidIoStatus::TimedOut);
}

TEST_F(HidrawUmockdev, CancelCutsAWaitingReadShortAndResetsItself) {
    std::string error;
    auto connection = backend_.OpenNode(keyboard_.NodeOf(1).devnode, true, true, error);
    ASSERT_NE(connection, nullptr) << error;
    std::atomic<HidIoStatus> status{HidIoStatus::Ok};
    std::atomic<bool> done{false};
    std::thread reader([&] {
        std::vector<uint8_t> buffer(64);
        size_t got = 0;
        status = connection->ReadReport(buffer, got, -1);
        done = true;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(done);
    connection->Cancel();
    reader.join();
    EXPECT_EQ(status.load(), HidIoStatus::Cancelled);

    // A signal given while nothing waits ends the next wait at once, and only that one.
    connection->Cancel();
    std::vector<uint8_t> buffer(64);
    size_t got = 0;
    EXPECT_EQ(connection->ReadReport(buffer, got, -1), HidIoStatus::Cancelled);
    EXPECT_EQ(connection->ReadReport(buffer, got, 50), HidIoStatus::TimedOut);
    // The node still works after a cancelled wait.
    ASSERT_EQ(connection->WriteReport(CommandPacket(0x01, 0, 0), 1000), HidIoStatus::Ok);
    ASSERT_EQ(connection->ReadReport(buffer, got, 1000), HidIoStatus::Ok);
    EXPECT_EQ(buffer[3], 0x01);
}

TEST_F(HidrawUmockdev, UnplugFailsTransfersAndReplugComesBackOnANewNode) {
    const std::string oldNode = keyboard_.NodeOf(1).devnode;
    std::string error;
    auto connection = backend_.OpenNode(oldNode, true, true, error);
    ASSERT_NE(connection, nullptr) << error;
    std::vector<HidNodeInfo> nodes;
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    ASSERT_NE(FindNode(nodes, oldNode), nullptr);

    std::atomic<HidIoStatus> status{HidIoStatus::Ok};
    std::thread reader([&] {
        std::vector<uint8_t> buffer(64);
        size_t got = 0;
        status = connection->ReadReport(buffer, got, -1);
    });
    std::this_thread::sleep_for(50ms);
    keyboard_.Unplug();
    reader.join();
    EXPECT_EQ(status.load(), HidIoStatus::Failed);
    EXPECT_EQ(connection->WriteReport(CommandPacket(0x01, 0, 0), 1000), HidIoStatus::Failed);
    EXPECT_FALSE(backend_.NodePresent(oldNode));
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    EXPECT_EQ(FindNode(nodes, oldNode), nullptr);
    EXPECT_NE(FindNode(nodes, headset_.NodeOf(3).devnode), nullptr);
    std::string openError;
    EXPECT_EQ(backend_.OpenNode(oldNode, true, true, openError), nullptr);
    EXPECT_FALSE(openError.empty());

    keyboard_.Plug();
    const std::string newNode = keyboard_.NodeOf(1).devnode;
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    const HidNodeInfo* info = FindNode(nodes, newNode);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->interfaceNumber, 1);
    EXPECT_TRUE(backend_.NodePresent(newNode));
    EXPECT_FALSE(backend_.NodePresent(oldNode));
    auto fresh = backend_.OpenNode(newNode, true, true, error);
    ASSERT_NE(fresh, nullptr) << error;
    ASSERT_EQ(fresh->WriteReport(CommandPacket(0x01, 0, 0), 1000), HidIoStatus::Ok);
    std::vector<uint8_t> reply(64);
    size_t got = 0;
    ASSERT_EQ(fresh->ReadReport(reply, got, 1000), HidIoStatus::Ok);
    EXPECT_EQ(reply[3], 0x01);
}

TEST_F(HidrawUmockdev, FirmwareThatUnplugsMidTransferFailsTheWaitingRead) {
    std::string error;
    auto connection = backend_.OpenNode(keyboard_.NodeOf(1).devnode, true, true, error);
    ASSERT_NE(connection, nullptr) << error;
    keyboardFirmware_.UnplugAfter(0);
    ASSERT_EQ(connection->WriteReport(CommandPacket(0x03, 34, 0), 1000), HidIoStatus::Ok);
    std::vector<uint8_t> reply(64);
    size_t got = 0;
    EXPECT_EQ(connection->ReadReport(reply, got, 2000), HidIoStatus::Failed);
    EXPECT_FALSE(backend_.NodePresent(keyboard_.NodeOf(1).devnode));
}

// A node that is not on USB (a Bluetooth device through uhid) and whose sysfs lacks the
// descriptor: listed with interface 0 and an empty descriptor (the ioctl fallback cannot reach
// an emulated node), and HidDevice explains why it cannot open it.
TEST_F(HidrawUmockdev, NodeWithoutUsbParentOrDescriptorIsListedAndExplained) {
    const int minor = g_nextNode++;
    const std::string name = "hidraw" + std::to_string(minor);
    char hidName[32];
    std::snprintf(hidName, sizeof hidName, "0005:3A5C:7031.%04X", g_nextHidInstance++);
    const std::string hidPath = std::string("/devices/virtual/misc/uhid/") + hidName;
    const std::string hidrawPath = hidPath + "/hidraw/" + name;
    const std::string tree =
        "P: " + hidPath + "\nE: SUBSYSTEM=hid\nE: HID_ID=0005:00003A5C:00007031\n\n" +
        "P: " + hidrawPath + "\nN: " + name + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/" + name +
        "\nA: dev=241:" + std::to_string(minor) + "\n";
    ASSERT_TRUE(umockdev_testbed_add_from_string(g_bed, tree.c_str(), nullptr));
    const std::string devnode = "/dev/" + name;
    std::vector<HidNodeInfo> nodes;
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    const HidNodeInfo* info = FindNode(nodes, devnode);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->vendorId, 0x3A5C);
    EXPECT_EQ(info->productId, 0x7031);
    EXPECT_EQ(info->interfaceNumber, 0);
    EXPECT_EQ(info->version, 0);
    EXPECT_TRUE(info->reportDescriptor.empty());

    HidDevice device(HidrawBackend());
    EXPECT_EQ(device.Open(devnode + "#vid_3a5c&pid_7031", true, true, true, false), 0);
    EXPECT_NE(device.LastError().find("report descriptor"), std::string::npos)
        << device.LastError();

    umockdev_testbed_uevent(g_bed, ("/sys" + hidrawPath).c_str(), "remove");
    umockdev_testbed_remove_device(g_bed, ("/sys" + hidrawPath).c_str());
    umockdev_testbed_remove_device(g_bed, ("/sys" + hidPath).c_str());
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    EXPECT_EQ(FindNode(nodes, devnode), nullptr);
}

// An idle listing is answered from the last scan: a sysfs change without a uevent stays unseen
// until the monitor reports the device.
TEST_F(HidrawUmockdev, IdleListingIsReusedUntilAUeventArrives) {
    const EmulatedDevice::Node& node = headset_.NodeOf(3);
    std::vector<HidNodeInfo> nodes;
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    const std::vector<uint8_t> before = FindNode(nodes, node.devnode)->reportDescriptor;

    std::vector<uint8_t> changed{0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0xC0};
    umockdev_testbed_set_attribute_binary(g_bed, node.hidSys.c_str(), "report_descriptor",
                                          changed.data(), static_cast<gint>(changed.size()));
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    EXPECT_EQ(FindNode(nodes, node.devnode)->reportDescriptor, before);

    umockdev_testbed_uevent(g_bed, node.hidrawSys.c_str(), "change");
    ASSERT_TRUE(backend_.EnumerateNodes(nodes));
    EXPECT_EQ(FindNode(nodes, node.devnode)->reportDescriptor, changed);
}

// Discovery's change watch sleeps on a monitor of its own: a uevent ends the wait at once (well
// before the slow rescan of a machine without a udev daemon), Interrupt too, and nothing else.
TEST_F(HidrawUmockdev, ChangeWatchWakesOnAUeventAndOnInterrupt) {
    using Wake = HidChangeWatch::Wake;
    auto watch = backend_.WatchChanges();
    EXPECT_EQ(watch->Wait(50), Wake::TimedOut);

    const auto start = Clock::now();
    umockdev_testbed_uevent(g_bed, headset_.NodeOf(3).hidrawSys.c_str(), "change");
    EXPECT_EQ(watch->Wait(HidBackend::kDefaultRescanIntervalMs * 3), Wake::Changed);
    EXPECT_LT(Clock::now() - start,
              std::chrono::milliseconds(HidBackend::kDefaultRescanIntervalMs / 2));
    DrainUevents();

    std::thread interrupter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        watch->Interrupt();
    });
    EXPECT_EQ(watch->Wait(-1), Wake::Interrupted);
    interrupter.join();
}

// Opening a node without the right to do so names the udev rule. Run as root, the check drops
// to an unprivileged user in a child process; the testbed's folder is then out of reach, which
// the kernel reports as EACCES as it would for the node itself.
TEST_F(HidrawUmockdev, PermissionFailureNamesTheUdevRule) {
    const std::string devnode = keyboard_.NodeOf(1).devnode;
    // No other thread of this process may hold a lock when it forks.
    keyboard_.StopPump();
    headset_.StopPump();
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        std::string error;
        const bool opened = HidrawBackend().OpenNode(devnode, true, true, error) != nullptr;
        const std::string message = (opened ? "opened" : error);
        [[maybe_unused]] auto n = write(pipeFds[1], message.data(), message.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string message;
    char chunk[512];
    ssize_t n = 0;
    while ((n = read(pipeFds[0], chunk, sizeof chunk)) > 0)
        message.append(chunk, static_cast<size_t>(n));
    close(pipeFds[0]);
    int wstatus = 0;
    waitpid(child, &wstatus, 0);
    if (geteuid() != 0 && message == "opened") GTEST_SKIP() << "this user may open the node";
    EXPECT_NE(message.find("no permission to open " + devnode), std::string::npos) << message;
    EXPECT_NE(message.find("data/udev/70-qx580.rules"), std::string::npos) << message;
    EXPECT_NE(message.find("/etc/udev/rules.d/"), std::string::npos) << message;
    EXPECT_NE(message.find("udevadm control --reload"), std::string::npos) << message;
    EXPECT_NE(message.find("udevadm trigger"), std::string::npos) << message;
    EXPECT_NE(message.find("replug"), std::string::npos) << message;
}

// The same traffic through HidDevice: per-collection paths, reports filtered by report id.
TEST_F(HidrawUmockdev, HidDeviceCollectionsFilterTheirReports) {
    const std::string node = keyboard_.NodeOf(1).devnode;
    const std::string commandPath = node + "#vid_3a5c&pid_7031&mi_01&col04";
    const std::string notificationPath = node + "#vid_3a5c&pid_7031&mi_01&col03";

    HidDevice command(HidrawBackend());
    ASSERT_EQ(command.Open(commandPath, true, true, true, false), 1) << command.LastError();
    EXPECT_EQ(command.InputReportByteLength(), 64);
    EXPECT_EQ(command.InterfaceNumber(), 1);
    const std::vector<uint8_t> request = CommandPacket(0x03, 34, 0);
    size_t written = 0;
    ASSERT_EQ(command.Write(request.data(), request.size(), &written, 1000), 1);
    EXPECT_EQ(written, 64u);
    std::vector<uint8_t> reply(64);
    size_t got = 0;
    ASSERT_EQ(command.Read(reply.data(), reply.size(), &got, 1000), 1);
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(reply[3], 0x03);

    // A notification belongs to collection 3: the command collection's read skips it.
    keyboardFirmware_.SendSyncRequest();
    EXPECT_EQ(command.Read(reply.data(), reply.size(), &got, 300), 0);
    command.Close();

    HidDevice notification(HidrawBackend());
    ASSERT_EQ(notification.Open(notificationPath, true, false, true, true), 1)
        << notification.LastError();
    EXPECT_EQ(notification.InputReportByteLength(), 3);
    keyboardFirmware_.PressKey(0x2A);
    std::vector<uint8_t>& buffer = notification.InputReportBuffer();
    ASSERT_EQ(notification.Read(buffer.data(), buffer.size(), &got, 1000), 1);
    EXPECT_EQ(buffer, (std::vector<uint8_t>{0x03, 0x2A, 0x05}));
    EXPECT_EQ(notification.UnpackInputReport(buffer.data(), buffer.size()), 1);
    ASSERT_FALSE(notification.InputItems().empty());
    ASSERT_FALSE(notification.InputItems()[0].usageList.empty());
    EXPECT_EQ(notification.InputItems()[0].usageList[0], 0x052A);

    // Close from another thread ends a read that waits without a time-out.
    std::atomic<int> result{-1};
    std::thread reader([&] {
        std::vector<uint8_t> local(3);
        result = notification.Read(local.data(), local.size(), nullptr, HidDevice::kInfinite);
    });
    std::this_thread::sleep_for(100ms);
    notification.Close();
    reader.join();
    EXPECT_EQ(result.load(), 0);
}

TEST_F(HidrawUmockdev, HeadsetTakesLedReportsAndCommandsOnItsOneCollection) {
    const std::string path = headset_.NodeOf(3).devnode + "#vid_0c76&pid_1630&mi_03";
    HidDevice headset(HidrawBackend());
    ASSERT_EQ(headset.Open(path, true, true, true, false), 1) << headset.LastError();
    EXPECT_EQ(headset.CollectionNumber(), 0);
    std::vector<uint8_t> led(17, 0);
    led[0] = 0xFF;
    led[1] = 0x22;
    led[2] = 0xAA;  // red of LEDs 0-6
    for (int i = 0; i < 7; ++i) led[3 + i] = static_cast<uint8_t>(10 * (i + 1));
    ASSERT_EQ(headset.Write(led.data(), led.size(), nullptr, 1000), 1);
    const std::vector<uint8_t> request = CommandPacket(0x01, 0, 0);
    ASSERT_EQ(headset.Write(request.data(), request.size(), nullptr, 1000), 1);
    std::vector<uint8_t> reply(64);
    ASSERT_EQ(headset.Read(reply.data(), reply.size(), nullptr, 1000), 1);
    EXPECT_EQ(reply[0], 0x04);
    EXPECT_EQ(reply[3], 0x01);
    // Both reports reached the firmware whole, though they share one stream.
    EXPECT_EQ(headsetFirmware_.LedReports(), 1u);
    EXPECT_EQ(headsetFirmware_.Leds(0x22)[6][0], 70);
}

}  // namespace
}  // namespace qx
