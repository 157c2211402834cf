// Record work at its largest: decoding every model's fullest record, the sample table of
// 32,512 samples, exporting 32,512 rows as list text, CSV and workbook, and the figures of
// 32,512 samples x 7 series.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/model/param_list_rows.h"
#include "core/records/record_export.h"
#include "core/records/record_fixtures.h"  // tests/records
#include "core/records/record_set.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "core/records/text_export.h"
#include "core/records/workbook_export.h"

namespace {

using qx::InstrumentTypeId;

uint32_t Cap(InstrumentTypeId t) {
    return static_cast<uint32_t>(qx::Model(t).sampleCap);
}

void BM_DecodeFullRecord(benchmark::State& state) {
    const auto type = static_cast<InstrumentTypeId>(state.range(0));
    const qx::RecordImage image = qx::test::MakeRecordImage(type, Cap(type));
    auto set = std::make_unique<qx::RecordSet>();
    for (auto _ : state) {
        qx::DecodeRecord(image, *set, type);
        benchmark::DoNotOptimize(set->rows[0]);
    }
    state.SetLabel(qx::ModelName(type) + ", " + std::to_string(set->count) + " samples");
    state.SetItemsProcessed(state.iterations() * set->count);
}
BENCHMARK(BM_DecodeFullRecord)->DenseRange(1, 11)->Unit(benchmark::kMicrosecond);

// A decoded full record of a type and its table of every sample.
struct Loaded {
    explicit Loaded(InstrumentTypeId type) {
        qx::DecodeRecord(qx::test::MakeRecordImage(type, Cap(type)), *set, type);
        table.Build(*set, {});
        params = qx::RecordParamRows(*set);
    }
    std::unique_ptr<qx::RecordSet> set = std::make_unique<qx::RecordSet>();
    qx::SampleTable table;
    std::vector<qx::ParamListRow> params;
};

void BM_SampleTable(benchmark::State& state) {
    const Loaded loaded(static_cast<InstrumentTypeId>(state.range(0)));
    qx::SampleTable table;
    for (auto _ : state) {
        table.Build(*loaded.set, {});
        benchmark::DoNotOptimize(table.Cell(0, 0));
    }
    state.SetLabel(qx::ModelName(loaded.set->type) + ", " + std::to_string(table.RowCount()) +
                   " rows x " + std::to_string(table.ColumnCount()) + " columns");
    state.SetItemsProcessed(state.iterations() * table.RowCount());
}
// 4: 32,512 samples; 6: the widest table (14,224 rows of 9 columns).
BENCHMARK(BM_SampleTable)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);

std::string OutPath(const char* suffix) {
    return (std::filesystem::temp_directory_path() / ("qx-bench-export" + std::string(suffix)))
        .string();
}

template <typename Write>
void RunExport(benchmark::State& state, const char* suffix, Write write) {
    const Loaded loaded(static_cast<InstrumentTypeId>(state.range(0)));
    const std::string path = OutPath(suffix);
    for (auto _ : state) {
        if (!write(path, loaded)) state.SkipWithError("export failed");
    }
    state.SetLabel(qx::ModelName(loaded.set->type) + ", " +
                   std::to_string(loaded.table.RowCount()) + " rows, " +
                   std::to_string(std::filesystem::file_size(path) / 1024) + " KiB");
    state.SetItemsProcessed(state.iterations() * loaded.table.RowCount());
    std::filesystem::remove(path);
}

void BM_ExportText(benchmark::State& state) {
    RunExport(state, ".txt", [](const std::string& path, const Loaded& l) {
        return qx::WriteListText(path, l.table, l.params);
    });
}
void BM_ExportCsv(benchmark::State& state) {
    RunExport(state, ".csv",
              [](const std::string& path, const Loaded& l) { return qx::WriteCsv(path, l.table); });
}
void BM_ExportWorkbook(benchmark::State& state) {
    RunExport(state, ".xlsx", [](const std::string& path, const Loaded& l) {
        return qx::WriteWorkbook(path, l.table, l.params);
    });
}
BENCHMARK(BM_ExportText)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCsv)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportWorkbook)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);

// Every figure of 32,512 samples x 7 series: the flow meter's seven series over its full
// record repeated to the largest sample count of any type.
void BM_Statistics(benchmark::State& state) {
    constexpr int32_t kSamples = 32512;
    const auto set = std::make_unique<qx::RecordSet>();
    qx::DecodeRecord(qx::test::MakeRecordImage(6, Cap(6)), *set, 6);
    for (int32_t k = set->count; k < kSamples; ++k)
        set->rows[static_cast<size_t>(k)] = set->rows[static_cast<size_t>(k % set->count)];
    set->count = kSamples;
    qx::SampleTable table;
    table.Build(*set, {});
    qx::RecordStatistics figures;
    for (auto _ : state) {
        figures = qx::ComputeRecordStatistics(*set, table, "所有");
        benchmark::DoNotOptimize(figures.series.data());
    }
    size_t excursions = 0;
    for (const qx::SeriesStatistics& s : figures.series)
        excursions += s.limits ? s.limits->excursions.size() : 0;
    state.SetLabel(std::to_string(table.RowCount()) + " samples x " +
                   std::to_string(figures.series.size()) + " series, " +
                   std::to_string(excursions) + " excursions");
    state.SetItemsProcessed(state.iterations() * table.RowCount());
}
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
