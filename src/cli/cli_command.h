// qxlog-cli: the instrument and record work of QX Logger without a window, for scripts.
// Commands live in tables: the instrument commands (instrument_commands.cpp), the record
// commands (record_commands.cpp) and the record library (library_commands.cpp); main.cpp parses
// the global options and dispatches.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/instrument_catalogue.h"

namespace qx {
class HidLibrary;
struct SimulationScenario;
}  // namespace qx

namespace qx::cli {

// Global options, given before the command.
struct CliOptions {
    // --simulate MODEL[,MODEL...]: simulated instruments instead of real ones through hidapi.
    std::vector<InstrumentTypeId> simulate;
    // --scenario FILE beside --simulate: the simulated instruments follow its timeline from
    // scenarioStart (seconds since 1970, when the program started).
    std::shared_ptr<const SimulationScenario> scenario;
    int64_t scenarioStart = 0;
    // --device N: which of several attached instruments (0-based); -1 = the last one.
    int device = -1;
    // Where the instruments come from when set (tests, programs that embed the commands);
    // --simulate or hidapi otherwise.
    std::function<std::unique_ptr<HidLibrary>()> hidLibrary;
    // --library FILE|URL: the record library of every command that uses one (a command's own
    // --library wins); empty: ChooseLibrary's settings, server variables or data folder.
    std::string library;

    // Real instruments through hidapi: the pauses the protocol asks for are taken.
    bool RealInstruments() const { return simulate.empty() && !hidLibrary; }
};

// The full text of `qxlog-cli COMMAND --help`, made when it is shown: it quotes the program's
// messages in the language they are shown in.
struct CommandHelp {
    std::string (*make)();
    explicit operator std::string() const { return make(); }
};

struct CliCommand {
    std::string_view name;
    const char* summary;  // one line for the command list (TrNoop: shown with Tr)
    CommandHelp help;
    // Runs with the arguments after the command name; returns the process exit code.
    int (*run)(const CliOptions& options, std::span<const std::string> args);
};

std::span<const CliCommand> InstrumentCommands();
std::span<const CliCommand> RecordCommands();
// The record library (library_commands.cpp): one command whose subcommands add, list, check and
// rebuild.
std::span<const CliCommand> LibraryCommands();
// Signed reports (sign_commands.cpp): sign, sign-key and verify.
std::span<const CliCommand> SignCommands();

// Exit codes shared by all commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the work failed (instrument, file)
inline constexpr int kExitUsage = 2;    // bad arguments

}  // namespace qx::cli
