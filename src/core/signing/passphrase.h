// The passphrase of a signing key: from the first line of a file that only its owner may read,
// or typed on the terminal without echo.
#pragma once

#include <optional>
#include <string>

namespace qx {

// The first line of the file (without its line end). Nothing, with *problem saying why, when
// the file cannot be read or others than its owner may read it: a passphrase others can read
// gives the key away with it.
std::optional<std::string> PassphraseFromFile(const std::string& path, std::string& problem);
// A line typed on the controlling terminal after the prompt, not shown; nothing without a
// terminal.
std::optional<std::string> PassphraseFromTerminal(const std::string& prompt);

}  // namespace qx
