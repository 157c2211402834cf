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

// The text of qxlog-cli stats --help.
std::string StatsHelp();

}  // namespace qx::cli
