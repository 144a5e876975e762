// What the GSM sending engine itself costs at campaign size:
//  - BM_SendingRun: a whole run of 100,000 recipients over the full 32-channel table of virtual
//    modems with every fixed wait scaled close to zero, so the figure is the engine's and the
//    modem exchange's own throughput (messages per second), not the pacing the real devices need;
//  - BM_LoadTable: loading 1,000,000 recipients into the sending table (duplicate and exclusion
//    indexes included), the wait the user sees behind "Populating...".
// The pacing scale shrinks read time-outs together with the fixed waits; the time-out only
// bounds an exchange that ends at its final result code, but a scale so small that time-outs
// fall below the modems' answer time turns into failed devices, so the run reports what was
// sent and what failed next to the rate.
#include "appstate/data_paths.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "sending/sending_table.h"
#include "sending/sms_sending.h"
#include "virtual-modem/virtual_modem.h"

#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using tesk::sending::SendingItem;

QList<tesk::composer::ListItem> recipients(int count, int duplicateEvery) {
    QList<tesk::composer::ListItem> list;
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int n = duplicateEvery > 0 && i % duplicateEvery == duplicateEvery - 1 ? i / 2 : i;
        list.append({QStringLiteral("+4477%1").arg(n, 8, 10, QLatin1Char('0')),
                     QStringLiteral("Campaign message %1").arg(i)});
    }
    return list;
}

void BM_SendingRun(benchmark::State& state) {
    constexpr int kRecipients = 100000;
    const double scale = static_cast<double>(state.range(0)) * 1e-6;
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    tesk::Set_Data_Paths(runtime.filePath(QStringLiteral("resources")));
    tesk::pacing::ScopedScale fast(scale);
    const QList<tesk::composer::ListItem> list = recipients(kRecipients, 0);
    int sent = 0;
    int failed = 0;
    double seconds = 0;
    for (auto _ : state) {
        Fill_Channel_Table();
        std::vector<std::unique_ptr<tesk::vmodem::VirtualModem>> modems;
        tesk::sending::SendingRequest request;
        for (int i = 0; i < kChannelCount; ++i) {
            tesk::vmodem::Config config;
            config.name = QStringLiteral("VM%1").arg(i);
            modems.push_back(std::make_unique<tesk::vmodem::VirtualModem>(config));
            if (!modems.back()->start()) {
                state.SkipWithError("virtual modem did not start");
                return;
            }
            DeviceRecord record;
            record.path = modems.back()->portPath();
            record.smsMode = SmsMode::Pdu;
            record.smsCapable = QStringLiteral("Yes");
            request.devices.append(record);
            request.entries.append(modems.back()->portPath());
        }
        request.entries.append(QStringLiteral("All Device"));
        request.selected = QStringLiteral("All Device");
        request.list = list;

        tesk::sending::SMS_Sending run;
        const auto start = std::chrono::steady_clock::now();
        run.Open_SMS_Sending_Dialog(request);
        run.Wait_For_Run();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        sent = failed = 0;
        for (const SendingItem& item : run.table().items()) {
            if (item.Status == QLatin1String("Message sent successfully.")) {
                ++sent;
            } else {
                ++failed;
            }
        }
        close_all_ports();
    }
    // Each message waits 4 scaled seconds (after the submission and before the next claim);
    // spread over the channels that is the part of the run the pacing accounts for.
    const double pacedSeconds = 4.0 * scale * kRecipients / kChannelCount;
    state.counters["sent"] = sent;
    state.counters["not_sent"] = failed;
    state.counters["msgs_per_s"] = seconds > 0 ? sent / seconds : 0;
    state.counters["paced_s"] = pacedSeconds;
    // What is left once the pacing is taken out: the engine, the exchanges and the modems.
    state.counters["unpaced_s"] = seconds - pacedSeconds;
    state.SetLabel(
        QStringLiteral("scale %1, 100000 recipients, 32 modems").arg(scale).toStdString());
}
// Scales in millionths: 1e-3 (read time-outs 5 ms) and 2e-4 (1 ms, below what a loaded
// two-core machine needs for some answers: expect a few items not sent).
BENCHMARK(BM_SendingRun)
    ->Arg(1000)
    ->Arg(200)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void BM_LoadTable(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    // One in ten a repeat, one in twenty excluded: both indexes are exercised.
    const QList<tesk::composer::ListItem> list = recipients(count, 10);
    QSet<QString> excluded;
    for (int i = 0; i < count; i += 20) {
        excluded.insert(list.at(i).Number);
    }
    tesk::sending::SendingRules rules;
    rules.skipDuplicates = true;
    rules.useExclusions = true;
    rules.isExcluded = [&excluded](const QString& n) { return excluded.contains(n); };
    int finished = 0;
    for (auto _ : state) {
        tesk::sending::SendingTable table;
        table.Load(list, rules);
        finished = table.finishedCount();
        benchmark::DoNotOptimize(finished);
    }
    state.counters["items"] = count;
    state.counters["finished_at_load"] = finished;
    state.counters["items_per_s"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadTable)->Arg(1000000)->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    // A run logs every modem line; the journal is no place for a benchmark's.
    setenv("TESK_SMS_LOG_SYSLOG", "0", 1);
    QCoreApplication app(argc, argv);  // the run queues its screen updates to this thread
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
