// qxlog-cli monitor of 8 simulated instruments every second: the CPU time it takes (user and
// system, from getrusage) per second of monitoring, as a share of one core. The clock is a fake
// one that a pause moves on, so an hour of monitoring runs in seconds; everything else is
// what the command does: the exchange of the live status with each instrument (the simulated
// instruments answer inside the process, so their work counts too), the alarm checks and the
// writes into a SQLite record library every 10 readings.
//
// The first hour of a day (live recordings still short) and, after the rest of the day has
// been monitored, its last hour, when each write renews the totals of a day's recording.
//   bench_monitor [HOURS_BEFORE_THE_LAST=22]
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/monitor_command.h"

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Monitors from `from` for `seconds`; returns the CPU seconds it took.
double Monitor(const std::string& library, int64_t from, int64_t seconds) {
    qx::cli::CliOptions options;
    options.simulate = {1, 2, 3, 4, 5, 6, 8, 11};
    int64_t now = from;
    qx::cli::MonitorSeams seams;
    seams.now = [&] { return now; };
    seams.pauseUntil = [&](int64_t until) { now = until; };
    seams.stopRequested = [&] { return now >= from + seconds; };
    const std::vector<std::string> args = {"--all", "--every", "1s", "--library", library};
    // The command's lines go to /dev/null.
    fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
    const double before = CpuSeconds();
    const int code = qx::cli::RunMonitorWith(options, args, seams);
    const double cpu = CpuSeconds() - before;
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    if (code != 0) {
        fprintf(stderr, "monitor failed: exit %d\n", code);
        std::exit(1);
    }
    return cpu;
}

void Print(const char* what, int64_t seconds, double cpu) {
    printf("%-48s %8.3f s CPU for %lld s monitored: %.3f %% of one core\n", what, cpu,
           static_cast<long long>(seconds), 100.0 * cpu / static_cast<double>(seconds));
}

}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "CST-8", 1);
    const int64_t hours = argc > 1 ? std::atoll(argv[1]) : 22;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "qx-bench-monitor";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string library = (folder / "lib.sqlite").string();
    const int64_t midnight = 1796832000;  // 2026-12-10 00:00 +08:00

    Print("8 instruments every 1 s, the day's first hour", 3600, Monitor(library, midnight, 3600));
    if (hours > 0) {
        Monitor(library, midnight + 3600, hours * 3600);  // the rest of the day, not counted
        Print("8 instruments every 1 s, an hour later in the day", 3600,
              Monitor(library, midnight + (1 + hours) * 3600, 3600));
    }
    std::filesystem::remove_all(folder);
    return 0;
}
