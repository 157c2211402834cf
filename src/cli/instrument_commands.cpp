#include "cli/cli_command.h"

namespace qx::cli {

std::span<const CliCommand> InstrumentCommands() { return {}; }

}  // namespace qx::cli
