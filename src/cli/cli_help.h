// qxlog-cli's own help: the usage text of `qxlog-cli --help`, the command list over both
// command tables, the help command and the version. The man page (man_page.h) is made from
// the same texts.
//
// Help texts (these and CliCommand::help) are laid out for an 80-column terminal and follow
// a few rules that the man page relies on:
//   - a block starting with "Usage: " holds the command lines, continued on lines that start
//     with spaces;
//   - blocks are separated by one empty line;
//   - a line at the left margin ending in ':' heads the block below it ("Options:");
//   - a line indented by two spaces starts a list item: the term, two or more spaces, then its
//     text; a term too long for that puts the text on the next lines. The text goes on over
//     lines indented by more than two spaces;
//   - any other line belongs to a running paragraph.
//
// A command's help is written as a printf format whose %s are the messages it quotes (Tr() of
// the very texts the command shows, so the help cannot drift from them). Chinese help is laid
// out as written; English messages have other lengths, so English help is filled again.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli_command.h"

namespace qx::cli {

// The command lines of qxlog-cli as a whole.
inline constexpr std::string_view kUsageLines =
    "Usage: qxlog-cli [--simulate MODELS] [--device N] COMMAND [ARGS...]\n"
    "       qxlog-cli COMMAND --help\n"
    "       qxlog-cli help [COMMAND]\n"
    "       qxlog-cli --help | --version";

// What the program is for.
inline constexpr std::string_view kDescription =
    "Talks to QX data loggers attached over USB, or to simulated ones, and works\n"
    "with record files (*.QXRec). The global options come before the command,\n"
    "the command's own options and arguments after it.";

// Items of the "Global options:" block.
inline constexpr std::string_view kGlobalOptions =
    "  --simulate MODELS  use simulated instruments instead of attached ones,\n"
    "                     separated by commas: QX420, QX450, QX430, QX420B, QX440,\n"
    "                     QX7200, QX390, QX7000, QX410, QX460, QX610 or their\n"
    "                     numbers 1..11\n"
    "  --device N         with several instruments, use the Nth (0-based, as\n"
    "                     'list' numbers them); default: the last one\n"
    "  --lang zh|en       Chinese or English for the output, the messages and the\n"
    "                     help; without it, as qxlog's setting Language chooses\n"
    "                     (~/.config/Vornak/QX_CHN.conf), and when that is auto as\n"
    "                     the locale: LC_ALL, LC_MESSAGES or LANG starting with zh\n"
    "                     gives Chinese, anything else English\n"
    "  -h, --help         print this text; COMMAND --help describes a command\n"
    "  --version          print the program's name and version";

// Items of the "Exit status:" block; every command keeps to them.
inline constexpr std::string_view kExitStatus =
    "  0  the command did its work\n"
    "  1  the work failed: no instrument, a refused or failed exchange with it,\n"
    "     a record file that cannot be read, a file that cannot be written; the\n"
    "     program's message is on stderr\n"
    "  2  bad arguments: an unknown option or command, a missing or wrong value;\n"
    "     nothing was done";

struct CliExample {
    std::string_view what;     // one sentence, ending in ':'
    std::string_view command;  // shell lines, '\n' between them
};
std::span<const CliExample> Examples();

// The instrument commands, the record commands, the library command and the help command, in
// the order of the command list.
std::vector<const CliCommand*> AllCommands();
const CliCommand* FindCommand(std::string_view name);

// The whole text of `qxlog-cli --help`, ending in a line end.
std::string UsageText();

// A command's help from its format and the messages it quotes; in English filled again.
std::string FormatHelp(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A message as a help text quotes it: its lines joined by blanks; in English in double quotes,
// as English messages are sentences with their own punctuation.
std::string Quoted(std::string message);
// The paragraphs and list items of a help text filled to `width` terminal columns; the usage
// block, headings and list terms stay as they are, and so does a line end after ':'.
std::string FillHelp(std::string_view help, int width = 80);
// Terminal columns of a UTF-8 text: CJK and full-width characters take two.
int DisplayWidth(std::string_view text);

// The project version the build gives ("1.0.0") and the --version line ("qxlog-cli 1.0.0").
std::string_view ProgramVersion();
std::string VersionText();

}  // namespace qx::cli
