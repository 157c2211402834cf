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

// The record library that every saved download is added to. A library that cannot be opened
// or added to never fails a download: the file is saved as always, and stderr says why it is
// not in the library (a library failure once per run, a file the library refuses each time).
struct LibraryHook {
    std::string location;  // empty: downloads are not added
    bool told = false;     // a library failure was reported
    std::string problem;   // the chosen library was refused: said once, before the first add
    // What the downloads met in the library: files added (or known), files it did not take,
    // samples held there with other values, other recordings whose time they share.
    int added = 0, failed = 0, overlaps = 0;
    int64_t conflicts = 0;

    // Adds the file; prints the conflicts and overlaps of an addition as `library add` does.
    void Add(const std::string& path);
    // The line that sums up what the downloads met in the library; empty when they met
    // nothing to tell (no failure, conflict or overlap).
    std::string Summary() const;
};
// The hook of the library the global options and the settings choose (ChooseLibrary); a
// refused setting leaves the data folder's library, with the refusal in problem.
LibraryHook ChosenLibraryHook(const CliOptions& options);

// The --library FILE and --no-library options of download and collect; kTaken when args[i]
// was one (i then at its last word), kBad with `problem`.
enum class LibraryArgument { kNone, kTaken, kBad };
LibraryArgument TakeLibraryOption(std::span<const std::string> args, size_t& i, LibraryHook& hook,
                                  std::string& problem);

// Where a download goes: the new file `file`, or else a fresh name in the folder `dir`
// (DownloadFileName, with -2, -3, ... when taken); and the library it is added to.
struct DownloadDestination {
    std::string file;
    std::string dir;
    LibraryHook* library = nullptr;
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
