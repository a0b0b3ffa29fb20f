// How long the UI thread waits while a device stays silent. A keyboard behind its receiver whose
// device does not answer runs its first contact and then moves to its cable, while the UI thread
// handles a timer every millisecond; the benchmark reports the largest lateness of that timer.
// With every exchange on the device's worker it stays at a few milliseconds, where an exchange
// on the UI thread would cost one time-out (5 s through the receiver) per packet.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>

#include "devices/base/orvane_usb_device.h"
#include "devices/discovery_thread.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "platform/hid_backend.h"
#include "sim/sim_bus.h"
#include "sim/sim_control.h"

namespace qx {
namespace {

class NullOwner final : public DiscoveryOwner {
  public:
    void OnDeviceArrived(int) override {}
    void OnDeviceRemoved(int) override {}
    void OnFirstPassDone() override {}
};

void BM_UiDelayWhileReceiverSilent(benchmark::State& state) {
    for (auto _ : state) {
        sim::SimBus bus;
        auto rows = kSupportedDevices;
        for (size_t row : {size_t{2}, size_t{3}}) {
            rows[row].vendorId = 0x3A5C;
            rows[row].productId = sim::SimBus::kKeyboardReceiverProductId;
        }
        SlotTable table(rows);
        NullOwner owner;
        DiscoveryThread discovery(table, owner, bus);
        bus.Plug("keyboard-receiver");
        bus.Plug("keyboard");
        discovery.RunPass();
        const DeviceSlot receiver = table.Slot(2);
        const DeviceSlot cable = table.Slot(0);
        if (receiver.path.empty() || cable.path.empty()) {
            state.SkipWithError("the simulated keyboard and its receiver were not found");
            return;
        }
        devices::COrvaneKeyboardDevice keyboard(bus);
        if (!sim::SetDeviceFault(bus, "keyboard-receiver", "silent", 0).Ok()) {
            state.SkipWithError("the silence could not be set");
            return;
        }

        // The UI thread's clock: a 1 ms timer whose lateness is the delay a posted event sees.
        QElapsedTimer clock;
        clock.start();
        qint64 last = clock.elapsed();
        qint64 worst = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            worst = std::max(worst, now - last - 1);
            last = now;
        });
        tick.start(1);

        std::atomic<bool> done{false};
        keyboard.OpenCommand(receiver, cable, [&](bool) {
            keyboard.Post([&keyboard] { keyboard.FirstContact(); });
            keyboard.SwitchConnection(cable.path, [&](bool) { done.store(true); });
        });
        while (!done.load()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        tick.stop();
        state.counters["max_ui_delay_ms"] = static_cast<double>(worst);
        state.counters["exchange_s"] = static_cast<double>(clock.elapsed()) / 1000.0;
        keyboard.Shutdown();
    }
}
BENCHMARK(BM_UiDelayWhileReceiverSilent)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qx

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
