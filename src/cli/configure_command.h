// qxlog-cli configure and the profile files of params --save-profile.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "cli_command.h"
#include "console_instrument.h"
#include "core/model/param_profile.h"
#include "every_instrument.h"

namespace qx::cli {

int RunConfigure(const CliOptions& options, std::span<const std::string> args);

// What configure applies to an instrument: a profile, then the --set options, each a group of
// settings (ParamSettings::SetGroup).
struct ConfigureRequest {
    bool hasProfile = false;
    ParamProfile profile;
    std::vector<ParamSetting> sets;
    bool dryRun = false;  // print the parameter list that would be written, write nothing
    bool keys = false;    // print the model's keys, values and ranges, write nothing
    // When given, receives the block made for the instrument (written, or with dryRun the one
    // that would be).
    ParamBlock* made = nullptr;
};

// --profile FILE read into `profile`; false with the message in `problem`.
bool ReadProfileFile(const std::string& path, ParamProfile& profile, std::string& problem);
// --set KEY=VALUE added to request.sets; false when the argument is not KEY=VALUE.
bool AddSetArgument(ConfigureRequest& request, const std::string& argument);
// Why a request cannot go to every attached instrument alike (configure --all, collect): a
// number given to all of them, or gas-high, whose number means ppm CO2 on one model and mg/m3
// formaldehyde on another. Empty when it can.
std::string FleetProblem(const ConfigureRequest& request);

// Configures the connected instrument: reads its settings (one without any starts from the
// editor's defaults), applies the request to them, checks the result as the settings dialog
// does, writes it and reads it back, comparing every key asked with what the instrument then
// holds and every other key with what was written. An empty request writes the instrument's own
// settings again, which begins a new recording (start=immediate at once). Nothing is written
// when a key or value is refused; the outcome's text then begins with the key, as it does when
// the instrument holds a key otherwise than asked. `verbose`: the parameter list (or the keys)
// goes to stdout and the warnings to stderr; otherwise the warnings go into the outcome.
InstrumentOutcome ConfigureInstrument(ConsoleInstrument& instrument,
                                      const ConfigureRequest& request, bool verbose);

// Writes the profile of `block` (ProfileText) as the file `path`, replacing it only once the
// new one is complete; the number and the name only `withIdentity`. `omitted` gets the keys
// left out because their values hold control characters.
bool SaveProfileFile(const std::string& path, const ParamBlock& block, InstrumentTypeId type,
                     bool withIdentity, std::vector<std::string>* omitted = nullptr);

}  // namespace qx::cli
