// The man page qxlog-cli(1), written with the man(7) macros from the help texts of
// cli_help.h and the command tables, so that --help and the page say the same.
// The build makes it with the tool qxlog-cli-manpage (man_page_main.cpp).
#pragma once

#include <string>
#include <string_view>

namespace qx::cli {

// Text as roff input: '\' becomes \e, '-' \- (typed options and names stay ASCII on the
// terminal), '\'' \(aq and '`' \(ga; a line starting with '.' gets \& so that it is not
// taken for a request. UTF-8 goes through as it is. No line ends in `text`.
std::string RoffText(std::string_view text);

// A help text laid out as cli_help.h describes, as man(7) requests: the usage block in no-fill
// mode with "Usage: " taken off, headings in bold, list items as .TP, paragraphs filled.
std::string HelpToRoff(std::string_view help);

// The whole page, ending in a line end.
std::string ManPage();

}  // namespace qx::cli
