// Faults that a test arms on a simulated device: what the firmware does to the next command
// packets instead of answering them normally. Not thread-safe: the firmware uses it under its lock.
#pragma once

#include <cstdint>
#include <deque>

namespace qx::sim {

enum class FaultKind {
    Silence,     // no reply at all; the request is not carried out
    Status,      // reply with the given status byte (0xFF or 0xFE); not carried out
    StrayReply,  // a reply with another command byte first, then the right reply
    Unplug,      // the device disappears; the request is neither answered nor carried out
};

struct Fault {
    FaultKind kind = FaultKind::Silence;
    uint8_t status = 0xFF;  // for Status
    uint8_t command = 0;    // only packets with this command byte are affected; 0: any packet
    int skip = 0;           // packets (of that command) that pass normally before the fault acts
    int count = 1;          // packets affected; 0 or less: every following one (not for Unplug)
};

// What the firmware does with one packet.
struct FaultAction {
    bool silent = false;
    bool unplug = false;
    bool stray = false;
    bool overrideStatus = false;
    uint8_t status = 0;
};

class FaultPlan {
  public:
    void Add(const Fault& fault) { faults_.push_back(fault); }
    void Clear() { faults_.clear(); }
    bool Empty() const { return faults_.empty(); }

    // Consults and advances every armed fault for one packet with this command byte.
    FaultAction Next(uint8_t command);

  private:
    std::deque<Fault> faults_;
};

}  // namespace qx::sim
