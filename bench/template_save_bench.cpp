// Saving the composed message as a template after each of 10,000 messages of a run (Save
// Templates on, every message different, as in a mail-merge campaign). Reports the seconds for
// the whole run and per save.
#include "appstate/data_paths.h"
#include "stores/templates.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr int kMessages = 10'000;

void BM_SaveTemplatesDuringARun(benchmark::State& state) {
    double seconds = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        tesk::Set_Data_Paths(dir.path());
        Check_Path_And_Create_Files();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kMessages; ++i) {
            tesk::stores::Save_Composed_Template(
                QStringLiteral("Dear customer %1, your order is ready.\nReply STOP to opt out.")
                    .arg(i));
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["messages"] = kMessages;
    state.counters["run_seconds"] = seconds;
    state.counters["per_save_us"] = seconds * 1e6 / kMessages;
}
BENCHMARK(BM_SaveTemplatesDuringARun)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
