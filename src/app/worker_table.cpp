#include "app/worker_table.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/diagnostics.h"

namespace qx::app {

WorkerTable::~WorkerTable() { StopAll(); }

bool WorkerTable::Start(int index, const std::function<void()>& start, StopFunction stop) {
    if (index < 0 || index >= kSize || stops_[size_t(index)] || !stop) return false;
    if (start) start();
    stops_[size_t(index)] = std::move(stop);
    return true;
}

bool WorkerTable::Started(int index) const {
    return index >= 0 && index < kSize && bool(stops_[size_t(index)]);
}

void WorkerTable::StopAll(const std::function<void()>& pump) {
    for (int index = 0; index < kSize; ++index) {
        StopFunction stop = std::move(stops_[size_t(index)]);
        stops_[size_t(index)] = nullptr;
        if (!stop) continue;
        std::atomic<bool> done{false};
        std::thread stopper([&] {
            stop();
            done = true;
        });
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
        bool reportedTimeout = false;
        while (!done) {
            if (pump) pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (!reportedTimeout && std::chrono::steady_clock::now() > deadline) {
                DebugLine("所有对象处于非激发状态，超时\n");
                DebugLine(std::to_string(index));
                reportedTimeout = true;
            }
        }
        stopper.join();
        if (!reportedTimeout) DebugLine("所有对象处于激发状态\n");
    }
}

}  // namespace qx::app
