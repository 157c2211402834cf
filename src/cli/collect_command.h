// qxlog-cli collect: the nightly round over every attached instrument. Each one's recording is
// downloaded into a folder and, once that file is written and read back, restarted with the
// instrument's own settings (changed by a profile and --set, as configure changes them).
#pragma once

#include <span>
#include <string>

#include "cli_command.h"

namespace qx::cli {

inline constexpr const char* kCollectSummary = TrNoop("把每台仪器下载到一个文件夹并重新开始记录");

int RunCollect(const CliOptions& options, std::span<const std::string> args);
std::string CollectHelp();

}  // namespace qx::cli
