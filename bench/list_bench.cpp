// Building a large recipient list through the acceptance rules: 1,000,000 candidate numbers
// through Num_Able_To_insert and Create_Num_Msg_List with Skip Duplicate Numbers and Exclusion
// List on, 100,000 exclusion numbers and one candidate in ten a repeat. Reports the seconds the
// whole run took and the peak resident memory of the process (VmHWM).
#include "composer/composer_controller.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;

constexpr int kCandidates = 1'000'000;
constexpr int kExclusions = 100'000;

// Peak resident set of this process in KiB, from /proc/self/status.
double peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
        }
    }
    return 0;
}

QString number(quint64 n) {
    return QStringLiteral("+44 77%1").arg(n, 8, 10, QLatin1Char('0'));
}

void BM_BuildList(benchmark::State& state) {
    QRandomGenerator random(7);
    QStringList candidates;
    candidates.reserve(kCandidates);
    for (int i = 0; i < kCandidates; ++i) {
        // One in ten repeats an earlier candidate.
        const bool repeat = i > 0 && random.bounded(10) == 0;
        candidates.append(repeat ? candidates.at(random.bounded(i)) : number(i));
    }
    QStringList excluded;
    excluded.reserve(kExclusions);
    for (int i = 0; i < kExclusions; ++i) {
        // Half of them hit candidates, half are numbers the file never holds.
        excluded.append(QString(number(i % 2 == 0 ? quint64(i) * 9 : 90'000'000ull + i))
                            .remove(QLatin1Char(' ')));
    }
    const QString message = QStringLiteral("Our shop opens at 9 tomorrow. See you there!");
    int accepted = 0;
    double seconds = 0;
    for (auto _ : state) {
        ComposerController composer(ComposerKind::Gsm);
        composer.Skip_Duplicate_Chk(true);
        composer.Exclusion_Chk(true);
        composer.Fill_Exclusion_Num_List(excluded);
        const auto start = std::chrono::steady_clock::now();
        for (const QString& candidate : candidates) {
            const QString acceptedNumber = composer.Num_Able_To_insert(candidate);
            if (!acceptedNumber.isEmpty()) {
                composer.Create_Num_Msg_List(acceptedNumber, message);
            }
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        accepted = composer.list().count();
        benchmark::DoNotOptimize(accepted);
    }
    state.counters["seconds"] = seconds;
    state.counters["accepted"] = accepted;
    state.counters["peak_KiB"] = peakKiB();
}
BENCHMARK(BM_BuildList)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
