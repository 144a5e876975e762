// Importing a bulk list from a file, as a user does it: a 1,000,000-line text file and a
// 1,000,000-record CSV file (name, number, message; CR LF) through the composer's import with
// Skip Duplicate Numbers and Exclusion List on, 100,000 exclusion numbers (half of them in the
// file) and one number in ten a repeat of an earlier one. Reports the seconds of the import,
// the numbers accepted, the resident memory before it and the peak while it ran (the peak is
// reset just before, so each case is measured on its own). The import runs on a worker thread
// with window tasks posted, as the composer runs it, so the count label is not redrawn per number.
#include "composer/composer_controller.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <thread>

namespace {

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;

// TESK_IMPORT_BENCH_RECORDS makes the files smaller, e.g. for a run under a profiler; the
// exclusion list stays a tenth of the record count.
const int kRecords = [] {
    const int wanted = qEnvironmentVariableIntValue("TESK_IMPORT_BENCH_RECORDS");
    return wanted > 0 ? wanted : 1'000'000;
}();
const int kExclusions = kRecords / 10;

double statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble();
        }
    }
    return 0;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Makes the peak resident size start again from the current size (Linux 4.0 and later).
void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) {
        refs.write("5");
    }
}

QString number(int n) {
    return QStringLiteral("+44 77%1").arg(n, 8, 10, QLatin1Char('0'));
}

// The file's numbers in order: one in ten repeats an earlier one.
QStringList fileNumbers() {
    QRandomGenerator random(7);
    QStringList numbers;
    numbers.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        const bool repeat = i > 0 && random.bounded(10) == 0;
        numbers.append(repeat ? numbers.at(random.bounded(i)) : number(i));
    }
    return numbers;
}

QStringList exclusionNumbers() {
    QStringList excluded;
    excluded.reserve(kExclusions);
    for (int i = 0; i < kExclusions; ++i) {
        excluded.append(QString(number(i % 2 == 0 ? i * 9 : 90'000'000 + i)).remove(u' '));
    }
    return excluded;
}

QString writeFile(const QTemporaryDir& dir, bool csv) {
    const QString path =
        dir.filePath(csv ? QStringLiteral("list.csv") : QStringLiteral("list.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QString();
    }
    QByteArray bytes;
    bytes.reserve(csv ? 70 * kRecords : 17 * kRecords);
    int row = 0;
    for (const QString& n : fileNumbers()) {
        if (csv) {
            bytes += "Customer " + QByteArray::number(row++) + ',' + n.toUtf8() +
                     ",See you on Monday\r\n";
        } else {
            bytes += n.toUtf8() + "\r\n";
        }
    }
    file.write(bytes);
    return path;
}

void Import(benchmark::State& state, bool csv) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, csv);
    const QStringList excluded = exclusionNumbers();
    double seconds = 0;
    double cpuSeconds = 0;  // the worker's CPU time, without the time it waited for a core
    int accepted = 0;
    double before = 0;
    double peak = 0;
    for (auto _ : state) {
        ComposerController composer(ComposerKind::Gsm);
        // No window to run them: posted tasks are dropped.
        composer.setGuiPoster([](const std::function<void()>&) {});
        composer.Skip_Duplicate_Chk(true);
        composer.Exclusion_Chk(true);
        composer.Fill_Exclusion_Num_List(excluded);
        composer.textDidChange(QStringLiteral("Our shop opens at 9 tomorrow. See you there!"));
        before = statusKiB("VmRSS:");
        resetPeak();
        const auto start = std::chrono::steady_clock::now();
        std::thread worker([&] {
            accepted = composer.Load_Num_Func(path);
            cpuSeconds = threadCpuSeconds();
        });
        worker.join();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        peak = statusKiB("VmHWM:");
        benchmark::DoNotOptimize(accepted);
    }
    state.counters["seconds"] = seconds;
    state.counters["cpu_seconds"] = cpuSeconds;
    state.counters["accepted"] = accepted;
    state.counters["rss_before_MiB"] = before / 1024;
    state.counters["peak_MiB"] = peak / 1024;
    state.counters["import_MiB"] = (peak - before) / 1024;
}

void BM_ImportText(benchmark::State& state) {
    Import(state, false);
}
void BM_ImportCsv(benchmark::State& state) {
    Import(state, true);
}
BENCHMARK(BM_ImportText)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ImportCsv)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
