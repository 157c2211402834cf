#include "cli/cli_command.h"

namespace qx::cli {

std::span<const CliCommand> RecordCommands() { return {}; }

}  // namespace qx::cli
