// qxlog-cli monitor: watches rooms all the time. Every attached instrument (or the one chosen)
// is read at an interval and its live values go into the record library as its live recording
// (core/library/live_recording.h). An instrument that is unplugged leaves a gap and is picked
// up again when it returns; readings outside a limit run a command at the start and the end of
// each excursion; SIGTERM or SIGINT stops it with every reading written.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "cli_command.h"

namespace qx::cli {

inline constexpr const char* kMonitorSummary = TrNoop("监测仪器: 实时值写入记录库");

// Readings waiting for the library are written when this many are pending for an instrument,
// when the oldest has waited kMonitorFlushSeconds, when the instrument is unplugged and at the
// end; a process killed outright loses at most these.
inline constexpr int kMonitorFlushReadings = 10;
inline constexpr int64_t kMonitorFlushSeconds = 60;

// An alarm command that runs longer is reported and ended.
inline constexpr int64_t kAlarmCommandSeconds = 60;

// Time and waiting, replaced by tests and benchmarks.
struct MonitorSeams {
    std::function<int64_t()> now;  // seconds since 1970
    // Waits until `until` (a time of now()), or less when a stop was asked for.
    std::function<void(int64_t until)> pauseUntil;
    // True once the monitor is to stop (SIGTERM or SIGINT).
    std::function<bool()> stopRequested;
    // How long an alarm command may run (real time).
    std::chrono::milliseconds alarmCommandLimit{kAlarmCommandSeconds * 1000};
};

int RunMonitor(const CliOptions& options, std::span<const std::string> args);
int RunMonitorWith(const CliOptions& options, std::span<const std::string> args,
                   const MonitorSeams& seams);
std::string MonitorHelp();

}  // namespace qx::cli
