// An instrument's history at its largest: a year at 5-minute intervals (105,120 samples in
// twelve monthly recordings) made into the record browser's table and its figures, and four
// such instruments compared and exported.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/records/comparison.h"
#include "core/records/comparison_export.h"
#include "core/records/history_fixtures.h"  // tests/records
#include "core/records/instrument_history.h"
#include "core/records/sample_table.h"

namespace {

constexpr int kDays = 365;
constexpr int kInterval = 300;
constexpr int kSamplesPerDay = 86400 / kInterval;

// Type 1 loggers: a daily swing around 20 °C that crosses the 0..40 °C limits now and then,
// the recordings a month (30 or 35 days) long and an hour apart.
qx::InstrumentHistory YearOfSamples(int instrument) {
    qx::InstrumentHistory history;
    int64_t t = qx::test::LocalTime(2024, 1, 1) + instrument * 17;
    int k = 0;
    for (int month = 0; k < kDays * kSamplesPerDay; ++month) {
        const int n = std::min((month % 2 ? 35 : 30) * kSamplesPerDay, kDays * kSamplesPerDay - k);
        std::vector<float> temperatures;
        for (int i = 0; i < n; ++i, ++k) {
            temperatures.push_back(static_cast<float>(20 +
                                                      15 * std::sin(k * 2 * M_PI / kSamplesPerDay) +
                                                      8 * std::sin(k * 0.001) + instrument));
        }
        history.push_back(qx::test::MakeRecording(
            1, kInterval, qx::test::EveryInterval(t, kInterval, n), temperatures));
        t += int64_t{n} * kInterval + 3600;
    }
    return history;
}

void BM_HistoryTable(benchmark::State& state) {
    const qx::InstrumentHistory history = YearOfSamples(0);
    qx::SampleTable table;
    for (auto _ : state) {
        table.Build(history, {});
        benchmark::DoNotOptimize(table.Cell(0, 0));
    }
    state.SetLabel(std::to_string(table.SampleCount()) + " samples, " +
                   std::to_string(table.RowCount() - table.SampleCount()) + " gaps, " +
                   std::to_string(history.size()) + " recordings");
    state.SetItemsProcessed(state.iterations() * table.RowCount());
}
BENCHMARK(BM_HistoryTable)->Unit(benchmark::kMillisecond);

void BM_HistoryStatistics(benchmark::State& state) {
    const qx::InstrumentHistory history = YearOfSamples(0);
    qx::SampleTable table;
    table.Build(history, {});
    qx::RecordStatistics figures;
    for (auto _ : state) {
        figures = qx::ComputeHistoryStatistics(history, table, "所有");
        benchmark::DoNotOptimize(figures.series.data());
    }
    state.SetLabel(std::to_string(figures.samples) + " samples x " +
                   std::to_string(figures.series.size()) + " series, " +
                   std::to_string(figures.series[0].limits->excursions.size()) +
                   " temperature excursions");
    state.SetItemsProcessed(state.iterations() * figures.samples);
}
BENCHMARK(BM_HistoryStatistics)->Unit(benchmark::kMillisecond);

std::vector<qx::InstrumentHistory> FourInstruments() {
    std::vector<qx::InstrumentHistory> histories;
    for (int i = 0; i < 4; ++i)
        histories.push_back(YearOfSamples(i));
    return histories;
}

void BM_Comparison(benchmark::State& state) {
    const std::vector<qx::InstrumentHistory> histories = FourInstruments();
    std::optional<qx::Comparison> c;
    for (auto _ : state) {
        c = qx::CompareHistories(histories, {});
        benchmark::DoNotOptimize(c->times.data());
    }
    state.SetLabel(std::to_string(c->instruments.size()) + " instruments, " +
                   std::to_string(c->times.size()) + " aligned rows");
}
BENCHMARK(BM_Comparison)->Unit(benchmark::kMillisecond);

void BM_ComparisonWorkbook(benchmark::State& state) {
    const std::optional<qx::Comparison> c = qx::CompareHistories(FourInstruments(), {});
    const std::string path =
        (std::filesystem::temp_directory_path() / "qx-bench-comparison.xlsx").string();
    for (auto _ : state) {
        if (!qx::WriteComparisonWorkbook(path, *c)) state.SkipWithError("export failed");
    }
    state.SetLabel(std::to_string(c->times.size()) + " rows, " +
                   std::to_string(std::filesystem::file_size(path) / 1024) + " KiB");
    std::filesystem::remove(path);
}
BENCHMARK(BM_ComparisonWorkbook)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
