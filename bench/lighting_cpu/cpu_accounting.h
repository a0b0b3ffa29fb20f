// Where the CPU time of the lighting benchmark goes: the simulated devices' share (the firmware
// models run inside the writes of the program's threads, so their time is taken apart there),
// and the time of each of the program's threads by name.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/hid_backend.h"

namespace qx::bench {

// A backend in front of another (the simulated bus) that counts the time spent in its writes: with
// the simulator behind it, what the simulated firmware and its delivery of the replies cost, which
// a real device does on its own chip.
class TimedBackend final : public HidBackend {
  public:
    explicit TimedBackend(HidBackend& inner) : inner_(inner) {}

    bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) override;
    bool DescribeNode(const std::string& nodePath, HidNodeInfo& info) override;
    std::unique_ptr<HidNodeConnection> OpenNode(const std::string& nodePath, bool read, bool write,
                                                std::string& error) override;
    bool NodePresent(const std::string& nodePath) override;
    std::unique_ptr<HidChangeWatch> WatchChanges() override;

    // Time spent in the inner backend's writes, in nanoseconds.
    uint64_t WriteNs() const { return writeNs_->load(); }

  private:
    HidBackend& inner_;
    std::shared_ptr<std::atomic<uint64_t>> writeNs_ = std::make_shared<std::atomic<uint64_t>>(0);
};

// Per thread name (threads of one name summed): CPU time in nanoseconds from the scheduler's
// per-thread run time, and the times the threads went to sleep (voluntary context switches).
struct ThreadUse {
    uint64_t cpuNs = 0;
    uint64_t sleeps = 0;
};
std::map<std::string, ThreadUse> ThreadCpu();
// after - before, per name (threads that ended in between count with what they had).
std::map<std::string, ThreadUse> Delta(const std::map<std::string, ThreadUse>& before,
                                       const std::map<std::string, ThreadUse>& after);

}  // namespace qx::bench
