// qxlog-cli stats: the figures of a record query (records/record_statistics.h) as a table or
// as JSON. Listed in the record commands' table.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli_command.h"

namespace qx::cli {

int RunStats(const CliOptions& options, std::span<const std::string> args);

inline constexpr const char* kStatsSummary = TrNoop("记录文件的统计: 极值、平均值、MKT、超限");

// The text of qxlog-cli stats --help.
std::string StatsHelp();

}  // namespace qx::cli
