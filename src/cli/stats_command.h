// qxlog-cli stats: the figures of a record query (records/record_statistics.h) as a table or
// as JSON. Listed in the record commands' table.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli_command.h"

namespace qx::cli {

int RunStats(const CliOptions& options, std::span<const std::string> args);

inline constexpr std::string_view kStatsSummary =
    "figures of a record file: extremes, mean, MKT, limit excursions";

inline constexpr std::string_view kStatsHelp =
    "Usage: qxlog-cli stats FILE [--last-days N | --last-months N |\n"
    "                             --from YYYY-MM-DD --to YYYY-MM-DD]\n"
    "                       [--limit SERIES=LOW,HIGH]... [--mkt-dh KJ_PER_MOL]\n"
    "                       [--json]\n"
    "\n"
    "Prints the figures of the samples of the record file FILE within a time\n"
    "window (all samples unless a window is given), for every series the record\n"
    "browser lists, in list order: samples with a value, missing values (empty\n"
    "cells, such as a dew point at 0 %RH), minimum and maximum with the time they\n"
    "first occur, mean and standard deviation (n - 1); for temperature the mean\n"
    "kinetic temperature (MKT). For temperature and humidity (the sound level of\n"
    "sound-level meters, the CO2 or formaldehyde high limit of gas loggers) the\n"
    "record's alarm limits give the samples and time below and above them and\n"
    "every excursion: a run of consecutive samples on one side, with its first\n"
    "and last sample time, samples, time and peak. All figures come from the\n"
    "values as the list shows them; mean, standard deviation and MKT carry two\n"
    "decimals more. The options may come before or after FILE.\n"
    "\n"
    "Options:\n"
    "  --last-days N      samples of the last N days (1..300) up to now\n"
    "  --last-months N    samples of the last N calendar months (1..30) up to now\n"
    "  --from YYYY-MM-DD, --to YYYY-MM-DD\n"
    "                     samples from 00:00:00 of the first to 23:59:59 of the\n"
    "                     last day in local time; the two go together\n"
    "  --limit SERIES=LOW,HIGH\n"
    "                     limits in the series' display unit instead of the\n"
    "                     record's, for example --limit temp=2,8; either side may\n"
    "                     be left empty for none (--limit hum=,80). SERIES is a\n"
    "                     list title such as 温度(℃), a series name such as 露点,\n"
    "                     or temp, hum, sound, co2, hcho. Repeat it for several\n"
    "                     series; the last one given for a series counts\n"
    "  --mkt-dh KJ_PER_MOL\n"
    "                     the activation energy of the MKT in kJ/mol (1..1000);\n"
    "                     default 83.144, for which dH/R is 10000 K\n"
    "  --json             one JSON object instead of the table: file, model,\n"
    "                     number, name, query, interval_s, first, last, samples\n"
    "                     and series, each with title, unit, count, missing, min,\n"
    "                     min_time, max, max_time, mean, stdev, mkt and limits\n"
    "                     (low, high, below, above, excursions); times in ISO 8601\n"
    "                     local time with offset, absent values left out\n"
    "\n"
    "One window at most: --last-days, --last-months or --from with --to.\n"
    "\n"
    "Exit status:\n"
    "  0  figures printed, also when the window holds no sample\n"
    "  1  FILE cannot be read (文件:FILE 不能打开!)\n"
    "  2  a missing or wrong argument, or a --limit for a series the record does\n"
    "     not list";

}  // namespace qx::cli
