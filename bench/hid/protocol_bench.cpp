// Costs of the command channel and of discovery, against the simulated devices.
#include <benchmark/benchmark.h>

#include <vector>

#include "devices/discovery_thread.h"
#include "hid/device_link.h"
#include "sim/sim_bus.h"

namespace qx {
namespace {

class NullOwner final : public DiscoveryOwner {
  public:
    void OnDeviceArrived(int) override {}
    void OnDeviceRemoved(int) override {}
    void OnFirstPassDone() override {}
};

void BM_PacketBuildAndChecksum(benchmark::State& state) {
    CommandPacket packet{};
    uint8_t value = 0;
    for (auto _ : state) {
        packet.fill(0);
        packet[0] = kCommandReportId;
        packet[3] = kCmdWriteConfig;
        packet[4] = 56;
        for (size_t i = 8; i < packet.size(); ++i) packet[i] = value++;
        SealPacket(packet.data());
        benchmark::DoNotOptimize(packet);
    }
}
BENCHMARK(BM_PacketBuildAndChecksum);

// A chunked macro write of `range(0)` bytes to the simulated keyboard on its cable.
void BM_ChunkedWriteThroughput(benchmark::State& state) {
    sim::SimBus bus;
    bus.Plug("keyboard");
    SlotTable slots;
    NullOwner owner;
    DiscoveryThread discovery(slots, owner, bus);
    discovery.RunPass();
    DeviceLink link(bus);
    if (!link.OpenCommandInterface(LinkSide::Cable, slots.Slot(0).path)) {
        state.SkipWithError("the simulated keyboard did not open");
        return;
    }
    std::vector<uint8_t> data(static_cast<size_t>(state.range(0)), 0x5A);
    for (auto _ : state) {
        if (link.CmdWriteMacros(data.data(), data.size()) != 1) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    link.CloseCommandInterfaces();
}
BENCHMARK(BM_ChunkedWriteThroughput)->Arg(510)->Arg(4096);

// One discovery pass with the keyboard and the headset claimed: what runs every 100 ms.
void BM_IdleDiscoveryPass(benchmark::State& state) {
    sim::SimBus bus;
    bus.Plug("keyboard");
    bus.Plug("headset");
    SlotTable slots;
    NullOwner owner;
    DiscoveryThread discovery(slots, owner, bus);
    discovery.RunPass();
    for (auto _ : state) discovery.RunPass();
}
BENCHMARK(BM_IdleDiscoveryPass);

}  // namespace
}  // namespace qx

BENCHMARK_MAIN();
