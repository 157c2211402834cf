// qxlog-cli alarms: what a rules file means for each instrument (check), and a scenario run
// against the rules on a fast clock (test); the rules file as monitor --alarms reads it.
#pragma once

#include <span>
#include <string>

#include "cli_command.h"
#include "core/alarms/alarm_rules.h"

namespace qx::cli {

// A rules file read and parsed; false with `problem` naming the file and, for its text, the
// line and why.
bool ReadAlarmRulesFile(const std::string& path, AlarmRules& rules, std::string& problem);
// A text file of at most 1 MiB, as rules and scenario files are read.
bool ReadSmallTextFile(const std::string& path, std::string& text, std::string& problem);

std::span<const CliCommand> AlarmCommands();

}  // namespace qx::cli
