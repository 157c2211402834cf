// qxlog-cli download, and the download of one connected instrument that collect shares: the
// record file's name is held before the instrument is stopped, and a download counts as saved
// only once its file is written and read back.
#pragma once

#include <span>
#include <string>

#include "cli_command.h"
#include "console_instrument.h"
#include "every_instrument.h"

namespace qx::cli {

// The wait popup on the console, on stderr. kBar redraws a bar with the percent texts when
// they change (for a terminal); kLines prints the popup's first line at the start and the last
// percent text at the end (for a file or a pipe); kQuiet prints nothing.
enum class ProgressStyle { kBar, kLines, kQuiet };

// Where a download goes: the new file `file`, or else a fresh name in the folder `dir`
// (DownloadFileName, with -2, -3, ... when taken).
struct DownloadDestination {
    std::string file;
    std::string dir;
};

struct DownloadRun {
    // ok with the file written as its text; or the failure: the message and why as text, or
    // empty text after a warning of the instrument's (ConsoleUi::Warnings).
    InstrumentOutcome outcome;
    // The instrument's recording was stopped: the transfer had begun.
    bool stopped = false;
};

// Downloads the connected instrument's recording. Nothing is stopped unless the instrument
// holds a recording and the destination's name could be held; `verbose` prints
// "MODEL: N samples written to FILE".
DownloadRun Download(ConsoleInstrument& instrument, const CliOptions& options,
                     const DownloadDestination& destination, ProgressStyle style, bool verbose);

// The file a download of the connected instrument would be written to in `dir` now, creating
// nothing; empty with `problem` when it holds no recording or its settings cannot be read.
std::string PlannedDownloadPath(ConsoleInstrument& instrument, const std::string& dir,
                                std::string& problem);

// A folder that downloads can be written into; false with `problem` saying why not.
bool CheckDownloadFolder(const std::string& dir, std::string& problem);

int RunDownload(const CliOptions& options, std::span<const std::string> args);
std::string DownloadHelp();

}  // namespace qx::cli
