// A device-window scan over 8 virtual modems at the real clock (no time scale): every device is
// probed, reset and questioned in full, as on a machine with 8 modems plugged in. The figure
// shows what ending reads at the final result code buys over waiting out the 1-second read
// time-out of every exchange.
#include "core/pacing.h"
#include "devices/gsm_device_list.h"
#include "virtual-modem/virtual_modem.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

static void BM_DeviceScan(benchmark::State& state) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    tesk::pacing::ScopedScale realTime(1.0);
    std::vector<std::unique_ptr<tesk::vmodem::VirtualModem>> modems;
    QStringList paths;
    for (int i = 0; i < state.range(0); ++i) {
        tesk::vmodem::Config config;
        config.name = QStringLiteral("VM%1").arg(i);
        config.imei = QStringLiteral("3569380356438%1").arg(i, 2, 10, QLatin1Char('0'));
        modems.push_back(std::make_unique<tesk::vmodem::VirtualModem>(config));
        if (!modems.back()->start()) {
            state.SkipWithError("virtual modem did not start");
            return;
        }
        paths.append(modems.back()->portPath());
    }
    tesk::devices::GSM_Device_List_Wnd window;
    window.Set_Modem_Paths(paths);
    int listed = 0;
    for (auto _ : state) {
        window.Open_Ph_List_Wnd();
        window.Wait_For_Workers();
        listed = window.records().size();
    }
    state.counters["devices"] = listed;
    if (listed != state.range(0)) {
        state.SkipWithError("not every device was listed");
    }
}
BENCHMARK(BM_DeviceScan)
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the scan hands its results to the window thread
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
