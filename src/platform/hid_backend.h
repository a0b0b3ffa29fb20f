// The operating-system side of HID: listing the HID nodes of the machine and moving raw reports
// through one opened node. A node is what Linux calls a hidraw device: one USB interface, which
// may hold several top-level collections. HidDevice builds the per-collection view on top.
//
// Implementations: the hidraw backend (platform/linux: libudev + /dev/hidrawN) and the simulated
// bus (src/sim).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qx {

// What enumeration knows about one node without opening it.
struct HidNodeInfo {
    std::string nodePath;  // "/dev/hidraw3" on Linux; "sim:…" on the simulated bus
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    int interfaceNumber = 0;                // USB bInterfaceNumber; 0 when the bus has none
    std::vector<uint8_t> reportDescriptor;  // raw HID report descriptor
};

enum class HidIoStatus {
    Ok,
    TimedOut,
    Cancelled,  // Cancel() was called during the wait (or before it, and not yet consumed)
    Failed,     // the node is gone or the call failed
};

// One opened node. Every open of a node sees every input report the node produces (as with
// several opens of one hidraw node), so each reader filters what belongs to it.
class HidNodeConnection {
  public:
    virtual ~HidNodeConnection() = default;

    // Waits up to timeoutMs (-1: no limit) for one input report and copies it into buffer.
    // The first byte of a report is its report id when the node uses report ids.
    // Reports longer than the buffer are cut; bytesRead tells how much was copied.
    virtual HidIoStatus ReadReport(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs) = 0;

    // Writes one output report (first byte: report id, 0 when the node uses none).
    virtual HidIoStatus WriteReport(std::span<const uint8_t> report, int timeoutMs) = 0;

    // Cuts short the read or write that waits now, from any thread. Like an auto-reset event:
    // when nothing waits, the next wait consumes the signal and returns Cancelled at once.
    virtual void Cancel() = 0;
};

// Sleeps until the set of nodes may have changed, so that a watcher of the machine's devices
// wakes for a plug or unplug and not on a timer. A watch sees every change from its creation on:
// a change between two waits ends the next wait at once.
class HidChangeWatch {
  public:
    enum class Wake {
        Changed,      // a node came or went (or may have: a lost notice, a slow rescan is due)
        TimedOut,     // timeoutMs passed without a change
        Interrupted,  // Interrupt() was called
    };

    virtual ~HidChangeWatch() = default;

    // Waits up to timeoutMs (-1: no limit). A backend that can miss changes ends the wait with
    // Changed after its own rescan interval, whatever timeoutMs says.
    virtual Wake Wait(int timeoutMs) = 0;

    // Ends the wait in progress, from any thread. Like an auto-reset event: when nothing waits,
    // the next wait consumes the signal and returns Interrupted at once.
    virtual void Interrupt() = 0;
};

class HidBackend {
  public:
    // How often a backend without change notices is looked at again.
    static constexpr int kDefaultRescanIntervalMs = 2000;

    virtual ~HidBackend() = default;

    // Lists the present nodes. False when the listing itself failed.
    virtual bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) = 0;

    // Describes one node by its path (false when it is not present).
    virtual bool DescribeNode(const std::string& nodePath, HidNodeInfo& info) = 0;

    // Opens a node. On failure returns nullptr and puts a text for the user into error
    // (for a permission problem the text says so and names the udev rule to install).
    virtual std::unique_ptr<HidNodeConnection> OpenNode(const std::string& nodePath, bool read,
                                                        bool write, std::string& error) = 0;

    // Cheap presence check, as used by discovery on every pass for every claimed interface.
    virtual bool NodePresent(const std::string& nodePath) = 0;

    // A watch of this backend's changes. The default suits a backend that reports none: its
    // waits end with Changed every kDefaultRescanIntervalMs.
    virtual std::unique_ptr<HidChangeWatch> WatchChanges();
};

// The hidraw backend of this machine (one object for the process; whoever needs a backend is
// handed one: this, or the simulated bus with --simulate).
HidBackend& HidrawBackend();

}  // namespace qx
