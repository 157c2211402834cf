// The record library at the sizes users reach: adding 100 record files of 32,512 samples (and
// adding them again, when nothing is new), opening that library, reading one instrument's year
// at 5-minute intervals (105,120 samples) for the browser, and listing 1,000 recordings as the
// library view shows them.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/library/library_location.h"
#include "core/library/record_library.h"
#include "core/records/record_file.h"
#include "library_bench_records.h"

namespace {

using namespace qx::bench;

std::unique_ptr<qx::RecordLibrary> Open(const std::string& location) {
    qx::OpenedLibrary opened = qx::OpenLibrary(location, qx::LibraryOpen::kCreate);
    return std::move(opened.library);
}

// 100 files of 25 loggers, each downloaded and restarted four times: 3,251,200 samples; the
// daily profile (0) or the sawtooth (1).
void BM_Add100Files(benchmark::State& state) {
    const auto profile = static_cast<Profile>(state.range(0));
    const std::string folder = Scratch(profile == Profile::kDaily ? "add" : "add-sawtooth");
    std::vector<std::string> paths;
    for (int logger = 0; logger < 25; ++logger) {
        for (uint32_t d = 0; d < 4; ++d) {
            const std::string path =
                folder + "/" + std::to_string(logger) + "-" + std::to_string(d) + ".QXRec";
            Write(path, u"L" + std::u16string(1, static_cast<char16_t>(u'A' + logger)), 32512,
                  kStart + d * 32512 * 60 + d * 3600, 60, profile);
            paths.push_back(path);
        }
    }
    double again = 0;
    for (auto _ : state) {
        fs::remove(folder + "/lib.sqlite");
        fs::remove(folder + "/lib.sqlite-wal");
        fs::remove(folder + "/lib.sqlite-shm");
        const auto start = Clock::now();
        auto library = Open(folder + "/lib.sqlite");
        for (const qx::AddResult& r : library->AddPaths(paths)) {
            if (r.status != qx::AddStatus::kAdded) state.SkipWithError("a file was not added");
        }
        library.reset();
        state.SetIterationTime(Seconds(start));
        const auto second = Clock::now();
        library = Open(folder + "/lib.sqlite");
        for (const qx::AddResult& r : library->AddPaths(paths)) {
            if (r.status != qx::AddStatus::kKnown) state.SkipWithError("a file was added again");
        }
        again = Seconds(second);
    }
    state.counters["again_s"] = again;
    state.counters["db_MB"] = static_cast<double>(fs::file_size(folder + "/lib.sqlite")) / 1e6;
    std::vector<qx::RecordingEntry> list;
    Open(folder + "/lib.sqlite")->List({}, list);
    int64_t excursions = 0;
    for (const qx::RecordingEntry& e : list)
        excursions += e.recording.totals.excursions;
    state.counters["excursions"] = static_cast<double>(excursions);
    state.SetLabel(std::string(profile == Profile::kDaily ? "daily" : "sawtooth") +
                   ": 100 files x 32512 samples; again_s: the same files again, nothing new");
}
BENCHMARK(BM_Add100Files)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// Opening the library of BM_Add100Files (daily profile), with its check of the file's
// structure.
void BM_OpenLibrary(benchmark::State& state) {
    const std::string location = fs::temp_directory_path() / "qx-bench-library-add/lib.sqlite";
    if (!fs::exists(location)) {
        state.SkipWithError("run BM_Add100Files first");
        return;
    }
    for (auto _ : state) {
        auto library = Open(location);
        benchmark::DoNotOptimize(library.get());
    }
    state.SetLabel("3,251,200 samples, " + std::to_string(fs::file_size(location) / 1000000) +
                   " MB");
}
BENCHMARK(BM_OpenLibrary)->Unit(benchmark::kMillisecond);

// A year at 5-minute intervals: four downloads of one logger, restarted after each.
void BM_ReadYear(benchmark::State& state) {
    const std::string folder = Scratch("year");
    auto library = Open(folder + "/lib.sqlite");
    AddYear(*library, folder);
    ReadYear(state, *library);
}
BENCHMARK(BM_ReadYear)->Unit(benchmark::kMillisecond);

// 1,000 recordings (100 loggers, 10 recordings each) with a file each, listed with the states
// of their files.
void BM_List1000Recordings(benchmark::State& state) {
    const std::string folder = Scratch("list");
    auto library = Open(folder + "/lib.sqlite");
    for (int logger = 0; logger < 100; ++logger) {
        for (uint32_t r = 0; r < 10; ++r) {
            const std::string path =
                folder + "/" + std::to_string(logger) + "-" + std::to_string(r) + ".QXRec";
            Write(path,
                  u"N" + std::u16string(1, static_cast<char16_t>(u'0' + logger / 10)) +
                      std::u16string(1, static_cast<char16_t>(u'0' + logger % 10)),
                  288, kStart + r * 86400, 300);
            library->AddRecordFile(path);
        }
    }
    size_t listed = 0;
    for (auto _ : state) {
        std::vector<qx::RecordingEntry> list;
        library->List({}, list);
        listed = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.SetLabel(std::to_string(listed) + " recordings with their files");
}
BENCHMARK(BM_List1000Recordings)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
