// Messages per second the codec encodes: a full 7-bit single message, a full UCS2 single
// message, and a 1600-character 7-bit message with all its concatenated parts.
#include "pdu/pdu.h"

#include <benchmark/benchmark.h>

namespace {

const QString kNumber = QStringLiteral("+447700900123");
const QString kSmsc = QStringLiteral("+447785016005");

QString sample(const QString& alphabet, int length) {
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i) {
        text.append(alphabet.at((i * 7) % alphabet.size()));
    }
    return text;
}

void BM_Single7Bit160(benchmark::State& state) {
    const QString message = sample(QStringLiteral("Hello world, see you at 10:30 {ok}? "), 158);
    for (auto _ : state) {
        PDU pdu;
        benchmark::DoNotOptimize(pdu.EncodePDU(message, kNumber, kSmsc, true, false, false));
    }
    state.counters["messages"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Single7Bit160);

void BM_SingleUcs2_70(benchmark::State& state) {
    const QString message = sample(QString::fromUtf8("Привет, мир! 你好世界 Καλημέρα "), 70);
    for (auto _ : state) {
        PDU pdu;
        benchmark::DoNotOptimize(pdu.EncodePDU(message, kNumber, kSmsc, true, false, true));
    }
    state.counters["messages"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SingleUcs2_70);

void BM_Long7Bit1600AllParts(benchmark::State& state) {
    const QString message =
        sample(QStringLiteral("The quick brown fox [jumps] over 13 dogs. "), 1600);
    const int total = PDU::Part_Count(message, false);
    for (auto _ : state) {
        PDU pdu;
        for (int part = 1; part <= total; ++part) {
            benchmark::DoNotOptimize(
                pdu.Encode_UDH_PDU(message, kNumber, kSmsc, true, false, total, part, false));
        }
    }
    state.counters["messages"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["parts"] = total;
}
BENCHMARK(BM_Long7Bit1600AllParts);

}  // namespace

BENCHMARK_MAIN();
