#include "cpu_accounting.h"

#include <time.h>

#include <filesystem>
#include <fstream>
#include <string_view>

namespace qx::bench {
namespace {

// The simulated firmware never waits inside a write, so a write's wall time is what it cost the
// thread. The thread's CPU clock is read by a system call, which on a virtual machine cost more
// than the write it timed and was counted as the program's.
uint64_t WriteClockNow() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000000000u + static_cast<uint64_t>(t.tv_nsec);
}

class TimedConnection final : public HidNodeConnection {
  public:
    TimedConnection(std::unique_ptr<HidNodeConnection> inner,
                    std::shared_ptr<std::atomic<uint64_t>> writeNs)
        : inner_(std::move(inner)), writeNs_(std::move(writeNs)) {}

    HidIoStatus ReadReport(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs) override {
        return inner_->ReadReport(buffer, bytesRead, timeoutMs);
    }
    HidIoStatus WriteReport(std::span<const uint8_t> report, int timeoutMs) override {
        const uint64_t start = WriteClockNow();
        const HidIoStatus status = inner_->WriteReport(report, timeoutMs);
        writeNs_->fetch_add(WriteClockNow() - start);
        return status;
    }
    void Cancel() override { inner_->Cancel(); }

  private:
    std::unique_ptr<HidNodeConnection> inner_;
    std::shared_ptr<std::atomic<uint64_t>> writeNs_;
};

}  // namespace

bool TimedBackend::EnumerateNodes(std::vector<HidNodeInfo>& nodes) {
    return inner_.EnumerateNodes(nodes);
}

bool TimedBackend::DescribeNode(const std::string& nodePath, HidNodeInfo& info) {
    return inner_.DescribeNode(nodePath, info);
}

std::unique_ptr<HidNodeConnection> TimedBackend::OpenNode(const std::string& nodePath, bool read,
                                                          bool write, std::string& error) {
    std::unique_ptr<HidNodeConnection> inner = inner_.OpenNode(nodePath, read, write, error);
    if (!inner) return nullptr;
    return std::make_unique<TimedConnection>(std::move(inner), writeNs_);
}

bool TimedBackend::NodePresent(const std::string& nodePath) { return inner_.NodePresent(nodePath); }

std::unique_ptr<HidChangeWatch> TimedBackend::WatchChanges() { return inner_.WatchChanges(); }

std::map<std::string, ThreadUse> ThreadCpu() {
    std::map<std::string, ThreadUse> byName;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream commFile(task.path() / "comm");
        std::ifstream statFile(task.path() / "schedstat");
        std::ifstream statusFile(task.path() / "status");
        std::string name;
        uint64_t runNs = 0;
        if (!std::getline(commFile, name) || !(statFile >> runNs)) continue;
        uint64_t sleeps = 0;
        for (std::string line; std::getline(statusFile, line);) {
            constexpr std::string_view kKey = "voluntary_ctxt_switches:";
            if (line.rfind(kKey, 0) == 0) sleeps = std::stoull(line.substr(kKey.size()));
        }
        ThreadUse& use = byName[name];
        use.cpuNs += runNs;
        use.sleeps += sleeps;
    }
    return byName;
}

std::map<std::string, ThreadUse> Delta(const std::map<std::string, ThreadUse>& before,
                                       const std::map<std::string, ThreadUse>& after) {
    std::map<std::string, ThreadUse> delta;
    for (const auto& [name, use] : after) {
        const auto earlier = before.find(name);
        const ThreadUse from = earlier != before.end() ? earlier->second : ThreadUse{};
        delta[name] = {use.cpuNs > from.cpuNs ? use.cpuNs - from.cpuNs : 0,
                       use.sleeps > from.sleeps ? use.sleeps - from.sleeps : 0};
    }
    return delta;
}

}  // namespace qx::bench
