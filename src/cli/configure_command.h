// qxlog-cli configure and the profile files of params --save-profile.
#pragma once

#include <span>
#include <string>

#include "cli_command.h"
#include "core/model/param_profile.h"

namespace qx::cli {

int RunConfigure(const CliOptions& options, std::span<const std::string> args);

// Writes the profile of `block` (ProfileText) as the file `path`, replacing it only once the
// new one is complete.
bool SaveProfileFile(const std::string& path, const ParamBlock& block, InstrumentTypeId type);

}  // namespace qx::cli
