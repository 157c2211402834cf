// Commands that work on one instrument or, with --all, on every attached instrument in turn:
// the choice among a command's arguments and the loop that runs the work and prints one result
// line per instrument.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "cli_command.h"
#include "console_instrument.h"

namespace qx::cli {

// "--all" or "--device N" at args[i] (a command also takes the global --device after its
// name). kTaken: i is on the last argument used. kBad: `problem` says why.
enum class ChoiceArgument { kOther, kTaken, kBad };
ChoiceArgument TakeInstrumentChoice(std::span<const std::string> args, size_t& i,
                                    CliOptions& options, bool& all, std::string& problem);

// What the work on one instrument came to: ok with an optional detail (the file written), or
// the reason it failed.
struct InstrumentOutcome {
    bool ok = false;
    std::string text;
};

// The instrument number of the connected instrument as its settings hold it ("-" when they
// cannot be read).
std::string InstrumentNumber(ConsoleInstrument& instrument);

// How many instruments a run over every instrument worked on, and how many of them failed.
struct InstrumentTally {
    int instruments = 0;
    int failed = 0;
};

// Runs `work` on every attached instrument in turn, each chosen without a dialog, and prints a
// line "MODEL<TAB>NUMBER<TAB>PATH<TAB>ok[ DETAIL]" or "...<TAB>REASON" for each; one failure does
// not stop the others. The instruments' warnings go into the lines. Returns kExitOk when every
// one succeeded, else kExitFailure (also when none is attached); *tally (when given) gets the
// counts.
int ForEveryInstrument(const CliOptions& options,
                       const std::function<InstrumentOutcome(ConsoleInstrument&)>& work,
                       InstrumentTally* tally = nullptr);

}  // namespace qx::cli
