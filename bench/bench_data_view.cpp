// The record browser with the largest record: 32,512 samples of a temperature logger.
//   BM_LoadRecord   decode the image, hand the set to the view (sample table, list model,
//                   parameter list, chart fill) and paint the whole view once
//   BM_QueryHalf    a "前 45 天" query that selects about half of the samples, and the paint
// Runs on the headless Qt platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <memory>

#include "core/records/record_fixtures.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "gui/browser/data_view.h"
#include "gui/browser/query_panel.h"
#include "gui_bench_main.h"

namespace {

constexpr uint32_t kSamples = 32512;
constexpr uint32_t kInterval = 240;  // 4 minutes: 90 days in all
constexpr uint32_t kStart = 1489151232;
constexpr int64_t kNow = int64_t{kStart} + int64_t{kSamples - 1} * kInterval;

struct Host final : qx::CDataView::Host {
    bool RecordLoaded() const override { return true; }
    QString RecordPath() const override { return QStringLiteral("/records/bench.QXRec"); }
    QString DataFolder() const override { return QDir::tempPath(); }
};

struct Browser {
    Browser() {
        view.SetClock([] { return kNow; });
        view.resize(1280, 760);
        view.FirstShow(0);
        view.show();
        QApplication::processEvents();
    }
    Host host;
    qx::CDataView view{host};
    std::unique_ptr<qx::RecordSet> set = std::make_unique<qx::RecordSet>();
    qx::RecordImage image = qx::test::MakeRecordImage(4, kSamples, kStart, kInterval);
};

void BM_LoadRecord(benchmark::State& state) {
    Browser b;
    for (auto _ : state) {
        qx::DecodeRecord(b.image, *b.set, 4);
        b.view.LoadRecord(b.set.get());
        b.view.repaint();
    }
    state.counters["samples"] = b.view.MatchedCount();
}
BENCHMARK(BM_LoadRecord)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_QueryHalf(benchmark::State& state) {
    Browser b;
    qx::DecodeRecord(b.image, *b.set, 4);
    b.view.LoadRecord(b.set.get());
    qx::QueryPanel& query = b.view.Query();
    query.SetMode(qx::QueryMode::LastDays);
    query.DayEdit()->SetValue(45);
    for (auto _ : state) {
        b.view.RunQuery();
        b.view.repaint();
    }
    state.counters["matched"] = b.view.MatchedCount();
}
BENCHMARK(BM_QueryHalf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
