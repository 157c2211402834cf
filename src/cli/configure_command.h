// qxlog-cli configure and the profile files of params --save-profile.
#pragma once

#include <span>
#include <string>

#include "cli_command.h"
#include "console_instrument.h"
#include "core/model/param_profile.h"
#include "every_instrument.h"

namespace qx::cli {

int RunConfigure(const CliOptions& options, std::span<const std::string> args);

// What configure applies to an instrument: its current settings, then the profile, then each
// --set in order.
struct ConfigureRequest {
    bool hasProfile = false;
    ParamProfile profile;
    std::vector<std::pair<std::string, std::string>> sets;
    bool dryRun = false;
    bool keys = false;
    // When given, receives the block made for the instrument (written, or with dryRun the one
    // that would be).
    ParamBlock* made = nullptr;
};

// --profile FILE read into `profile`; false with the message in `problem`.
bool ReadProfileFile(const std::string& path, ParamProfile& profile, std::string& problem);
// --set KEY=VALUE added to request.sets; false when the argument is not KEY=VALUE.
bool AddSetArgument(ConfigureRequest& request, const std::string& argument);

// configure on the connected instrument, for other commands that set instruments (collect):
// reads its settings, applies the request, checks, writes and reads back as configure does.
// `verbose`: prints the parameter list (or the keys) and the warnings of skipped keys;
// otherwise they go into the outcome, as on a line of configure --all.
InstrumentOutcome Configure(ConsoleInstrument& instrument, const ConfigureRequest& request,
                            bool verbose);

// Writes the profile of `block` (ProfileText) as the file `path`, replacing it only once the
// new one is complete.
bool SaveProfileFile(const std::string& path, const ParamBlock& block, InstrumentTypeId type);

}  // namespace qx::cli
