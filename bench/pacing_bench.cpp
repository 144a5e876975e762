// Seconds per SMS through the whole sending engine and one virtual modem, at the real clock,
// in both pacings, for a modem that answers every command at once, after 0.3 s and after 1 s.
// Six messages against one, so the start of a run (device check, preparation) cancels out:
// s_per_sms = (time for 6 - time for 1) / 5. The standard pace runs for minutes at 1 s.
#include "appstate/data_paths.h"
#include "modem/mfcsms.h"
#include "sending/sms_sending.h"
#include "virtual-modem/virtual_modem.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace {

double runSeconds(int messages, int latencyMs, tesk::modem::Pacing pacing, int* sent) {
    Fill_Channel_Table();
    tesk::vmodem::Config config;
    config.latencyMs = latencyMs;
    tesk::vmodem::VirtualModem modem(config);
    if (!modem.start()) {
        return -1;
    }
    DeviceRecord record;
    record.path = modem.portPath();
    record.smsMode = SmsMode::Pdu;
    record.smsCapable = QStringLiteral("Yes");
    tesk::sending::SendingRequest request;
    request.devices.append(record);
    request.entries.append(modem.portPath());
    request.selected = modem.portPath();
    request.pacing = pacing;
    for (int i = 0; i < messages; ++i) {
        request.list.append({QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0')),
                             QStringLiteral("Pacing check %1").arg(i)});
    }
    tesk::sending::SMS_Sending run;
    const auto start = std::chrono::steady_clock::now();
    run.Open_SMS_Sending_Dialog(request);
    run.Wait_For_Run();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    *sent += static_cast<int>(modem.received().size());
    close_all_ports();
    return seconds;
}

void BM_SecondsPerSms(benchmark::State& state) {
    const int latencyMs = static_cast<int>(state.range(0));
    const auto pacing =
        state.range(1) == 0 ? tesk::modem::Pacing::Standard : tesk::modem::Pacing::Fast;
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    tesk::Set_Data_Paths(runtime.filePath(QStringLiteral("resources")));
    double perSms = 0;
    int sent = 0;
    for (auto _ : state) {
        sent = 0;
        const double one = runSeconds(1, latencyMs, pacing, &sent);
        const double six = runSeconds(6, latencyMs, pacing, &sent);
        perSms = (six - one) / 5;
        state.SetIterationTime(six);
    }
    state.counters["s_per_sms"] = perSms;
    state.counters["sent_of_7"] = sent;
    state.SetLabel(QStringLiteral("%1 pace, modem latency %2 ms")
                       .arg(pacing == tesk::modem::Pacing::Fast ? "fast" : "standard")
                       .arg(latencyMs)
                       .toStdString());
}
BENCHMARK(BM_SecondsPerSms)
    ->ArgsProduct({{0, 300, 1000}, {1, 0}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("TESK_SMS_LOG_SYSLOG", "0", 1);
    QCoreApplication app(argc, argv);  // the run queues its screen updates to this thread
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
