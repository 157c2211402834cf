// The comparison window with 8 instruments x 32,512 samples (their full memories, one a
// minute, started a few seconds apart): a comparison filled into the chart, the aligned table
// and the figures (SetHistories, which compares too), and a redraw of its chart at 1920x1080.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <vector>

#include "core/records/history_fixtures.h"
#include "gui/chart/trend_wave.h"
#include "gui/compare/compare_view.h"
#include "gui_bench_main.h"

namespace {

constexpr int kInstruments = 8;
constexpr int kSamples = 32512;
constexpr int64_t kStart = 1489151220;

std::vector<qx::InstrumentHistory> Histories() {
    std::vector<qx::InstrumentHistory> histories;
    for (int k = 0; k < kInstruments; ++k) {
        std::vector<float> values(kSamples);
        for (int i = 0; i < kSamples; ++i)
            values[static_cast<size_t>(i)] =
                static_cast<float>(4 + k * 0.5 + 3 * std::sin(i / 720.0 + k));
        qx::RecordingSamples r = qx::test::MakeRecording(
            1, 60, qx::test::EveryInterval(kStart + 7 * k, 60, kSamples), values);
        r.params.SetNumber(u"B00" + std::u16string(1, static_cast<char16_t>(u'1' + k)));
        histories.push_back({std::move(r)});
    }
    return histories;
}

void BM_CompareViewFill(benchmark::State& state) {
    const std::vector<qx::InstrumentHistory> histories = Histories();
    qx::CCompareView view;
    view.resize(1920, 1080);
    view.show();
    for (auto _ : state) {
        view.SetHistories(histories, qx::QueryWindow{});
        benchmark::DoNotOptimize(view.Result());
    }
    state.counters["rows"] = static_cast<double>(view.Result()->times.size());
}
BENCHMARK(BM_CompareViewFill)->Unit(benchmark::kMillisecond);

void BM_CompareViewChartRender(benchmark::State& state) {
    qx::CCompareView view;
    view.resize(1920, 1080);
    view.show();
    view.SetHistories(Histories(), qx::QueryWindow{});
    view.Chart()->resize(1920, 1080);
    for (auto _ : state) {
        view.Chart()->Render();
        benchmark::DoNotOptimize(view.Chart()->BackBuffer().constBits());
    }
    state.counters["series"] = view.Chart()->State().seriesCount;
}
BENCHMARK(BM_CompareViewChartRender)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
