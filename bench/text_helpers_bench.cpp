// Figures for the helpers that run once per recipient on long lists.
#include "core/text_helpers.h"

#include <benchmark/benchmark.h>

static void BM_ValidNumberCleanup(benchmark::State& state) {
    const QString raw = QStringLiteral("  +44 77-85 016-005  ");
    for (auto _ : state) {
        benchmark::DoNotOptimize(Replace_Char_For_Valid_Number(raw));
    }
}
BENCHMARK(BM_ValidNumberCleanup);

static void BM_MarkerRoundTrip(benchmark::State& state) {
    QString text;
    for (int i = 0; i < state.range(0); ++i) {
        text += QStringLiteral("line of a long message\r\n");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(Replace_Sent_Item_and_Template_Seprator_With_New_Line(
            Replace_Sent_Item_and_Template_New_Line_with_Seprator(text)));
    }
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_MarkerRoundTrip)->Arg(8)->Arg(64);

BENCHMARK_MAIN();
