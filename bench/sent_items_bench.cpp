// Loading a sent-items store of 1,000,000 records (what a busy user collects over months), and
// rewriting it as the window does on close. Reports seconds and the peak resident memory.
#include "stores/sent_items.h"
#include "stores/store_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using tesk::stores::SentItem;

constexpr int kRecords = 1'000'000;

double peakMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
        }
    }
    return 0;
}

QString writeStore(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("SentItem.VORN"));
    QByteArray bytes;
    for (int i = 0; i < kRecords; ++i) {
        const SentItem item{QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0')),
                            QStringLiteral("Dear customer, our spring sale starts on Monday.\n"
                                           "Reply STOP to opt out."),
                            QStringLiteral("07/12/2026"),
                            i % 50 == 0 ? QStringLiteral("+CMS ERROR: 500")
                                        : QStringLiteral("Message sent successfully.")};
        bytes += tesk::stores::Sent_Item_Record(item).toUtf8();
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

void BM_LoadAndRewrite(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeStore(dir);
    double loadSeconds = 0;
    double rewriteSeconds = 0;
    qsizetype loaded = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const QList<SentItem> items = tesk::stores::LoadItems_Sent_Items(path);
        const auto loadedAt = std::chrono::steady_clock::now();
        tesk::stores::Rewrite_Store_File(path,
                                         tesk::stores::Sent_Items_File_Contents(items, false));
        const auto end = std::chrono::steady_clock::now();
        loaded = items.size();
        loadSeconds = std::chrono::duration<double>(loadedAt - start).count();
        rewriteSeconds = std::chrono::duration<double>(end - loadedAt).count();
    }
    state.counters["records"] = static_cast<double>(loaded);
    state.counters["load_seconds"] = loadSeconds;
    state.counters["rewrite_seconds"] = rewriteSeconds;
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_LoadAndRewrite)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
