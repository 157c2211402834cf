// qxlog-cli library history of a year of 10 s readings: 100 downloads of 32,512 samples
// (3,251,200 samples, 376 days, the logger restarted an hour after each download), exported to
// CSV and to a workbook. Each export runs the program itself, so its figures are those of the
// command: the time and the peak resident memory of the process (peak_RSS_MB), for half the
// year and the whole year, which shows that memory does not grow with the samples.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/library/library_location.h"
#include "library_bench_records.h"

extern char** environ;

namespace {

using namespace qx::bench;

constexpr uint32_t kInterval = 10;
constexpr uint32_t kPerFile = 32512;

// The library of `files` downloads, made once per size.
std::string YearLibrary(int files) {
    const std::string folder = Scratch(("export-" + std::to_string(files)).c_str());
    const std::string location = folder + "/lib.sqlite";
    qx::OpenedLibrary opened = qx::OpenLibrary(location, qx::LibraryOpen::kCreate);
    uint32_t start = kStart;
    for (int d = 0; d < files; ++d) {
        const std::string path = folder + "/" + std::to_string(d) + ".QXRec";
        Write(path, u"YEAR", kPerFile, start, kInterval);
        opened.library->AddRecordFile(path);
        fs::remove(path);
        start += kPerFile * kInterval + 3600;
    }
    return location;
}

// Runs qxlog-cli with args; its peak resident memory in MB, or -1 when it failed.
double RunCli(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = QXLOG_CLI;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

void BM_HistoryExport(benchmark::State& state) {
    const bool workbook = state.range(0) == 1;
    const int files = static_cast<int>(state.range(1));
    const std::string location = YearLibrary(files);
    const std::string output = fs::path(location).parent_path() / (workbook ? "y.xlsx" : "y.csv");
    double peak = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        peak = RunCli({"library", "--library", location, "history", "YEAR", "-o", output});
        state.SetIterationTime(Seconds(start));
        if (peak < 0) state.SkipWithError("qxlog-cli library history failed");
    }
    state.counters["peak_RSS_MB"] = peak;
    state.counters["file_MB"] = static_cast<double>(fs::file_size(output)) / 1e6;
    state.SetLabel(std::string(workbook ? "xlsx" : "csv") + ", " +
                   std::to_string(int64_t{files} * kPerFile) + " samples at 10 s");
    fs::remove_all(fs::path(location).parent_path());
}
BENCHMARK(BM_HistoryExport)
    ->ArgsProduct({{0, 1}, {50, 100}})
    ->ArgNames({"xlsx", "files"})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
