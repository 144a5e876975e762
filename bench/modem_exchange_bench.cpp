// How long one AT exchange takes against the virtual modem now that a read ends at the final
// result code instead of waiting out its time-out (1 s while questioning a device).
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "virtual-modem/virtual_modem.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

static void BM_AtExchange(benchmark::State& state) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    tesk::vmodem::VirtualModem modem;
    if (!modem.start()) {
        state.SkipWithError("virtual modem did not start");
        return;
    }
    const QByteArray path = modem.portPath().toUtf8();
    MFCSMS channel;
    int fd = -1;
    channel.initPort_with_decp(path.constData(), &fd);
    channel.Set_Read_Timeout(1.0);
    const char* command = state.range(0) == 0 ? "AT\r\n" : "AT+CGSN\r\n";
    for (auto _ : state) {
        channel.Write_Command(fd, command);
        if (!channel.Read_Command(fd, "\r\nOK\r\n")) {
            state.SkipWithError("no OK");
            break;
        }
    }
    state.SetLabel(command[2] == '\r' ? "AT" : "AT+CGSN");
}
BENCHMARK(BM_AtExchange)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
